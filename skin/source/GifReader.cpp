#include "skin/source/GifReader.h"

#include <cstring>
#include <gif_lib.h>
#include <vector>

namespace GifReader
{
namespace
{
struct MemorySource
{
    const GifByteType* data = nullptr;
    size_t size = 0;
    size_t position = 0;
};

// giflib takes a short read as the end of the data and fails the call that wanted more.
int readFromMemory (GifFileType* gif, GifByteType* out, int length)
{
    auto* source = static_cast<MemorySource*> (gif->UserData);
    const auto count = juce::jmin ((size_t) juce::jmax (length, 0), source->size - source->position);
    std::memcpy (out, source->data + source->position, count);
    source->position += count;
    return (int) count;
}

/** The open decoder, closed on every path. */
struct Decoder
{
    explicit Decoder (MemorySource& source)
    {
        int error = 0;
        gif = DGifOpen (&source, readFromMemory, &error);
    }

    ~Decoder()
    {
        if (gif != nullptr)
            DGifCloseFile (gif, nullptr);
    }

    GifFileType* gif = nullptr;

    JUCE_DECLARE_NON_COPYABLE (Decoder)
};

/** Skips records up to the first image descriptor and reads it; notes the transparent index of the last
    graphic control extension on the way (-1 when none names one). */
bool readUpToFirstFrame (GifFileType* gif, int& transparentIndex)
{
    transparentIndex = -1;
    for (;;)
    {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType (gif, &record) != GIF_OK)
            return false;

        if (record == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc (gif) == GIF_OK;
        if (record != EXTENSION_RECORD_TYPE)
            return false; // the terminator before any image, or a record giflib does not know

        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension (gif, &code, &block) != GIF_OK)
            return false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr)
        {
            GraphicsControlBlock control;
            if (DGifExtensionToGCB ((size_t) block[0], block + 1, &control) != GIF_OK)
                return false;
            transparentIndex = control.TransparentColor;
        }
        while (block != nullptr)
            if (DGifGetExtensionNext (gif, &block) != GIF_OK)
                return false;
    }
}

/** The rows of an interlaced frame come in four passes; this is the image row of the n-th row read. */
int rowOfInterlaced (int n, int height)
{
    static constexpr int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
    {
        const int rowsInPass =
            starts[pass] < height ? (height - starts[pass] + steps[pass] - 1) / steps[pass] : 0;
        if (n < rowsInPass)
            return starts[pass] + n * steps[pass];
        n -= rowsInPass;
    }
    return -1;
}

/** Reads the frame's rows into the pixels, of the frame's size: ARGB when there is a transparent index. */
bool readFrame (GifFileType* gif, const ColorMapObject& colours, int transparentIndex,
                const juce::Image::BitmapData& pixels)
{
    std::vector<juce::PixelARGB> palette ((size_t) colours.ColorCount);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i].setARGB (0xff, colours.Colors[i].Red, colours.Colors[i].Green, colours.Colors[i].Blue);
    const bool hasTransparency = transparentIndex >= 0;
    if (hasTransparency && transparentIndex < colours.ColorCount)
        palette[(size_t) transparentIndex].setARGB (0, 0, 0, 0);

    const auto& frame = gif->Image;
    std::vector<GifPixelType> line ((size_t) frame.Width);
    for (int n = 0; n < frame.Height; ++n)
    {
        if (DGifGetLine (gif, line.data(), frame.Width) != GIF_OK)
            return false;

        auto* destination = pixels.getLinePointer (frame.Interlace ? rowOfInterlaced (n, frame.Height) : n);
        for (const auto index : line)
        {
            if (index >= palette.size())
                return false;
            if (hasTransparency)
                reinterpret_cast<juce::PixelARGB*> (destination)->set (palette[index]);
            else
                reinterpret_cast<juce::PixelRGB*> (destination)->set (palette[index]);
            destination += pixels.pixelStride;
        }
    }
    return true;
}
} // namespace

bool hasSignature (const void* data, size_t numBytes) noexcept
{
    return data != nullptr && numBytes >= 6 &&
           (std::memcmp (data, "GIF87a", 6) == 0 || std::memcmp (data, "GIF89a", 6) == 0);
}

juce::Image decode (const void* data, size_t numBytes, int maxSide, juce::int64 maxPixels)
{
    if (!hasSignature (data, numBytes) || maxSide < 1)
        return {};

    MemorySource source{static_cast<const GifByteType*> (data), numBytes, 0};
    Decoder decoder (source);
    auto* gif = decoder.gif;
    if (gif == nullptr || gif->SWidth < 1 || gif->SHeight < 1 || gif->SWidth > maxSide ||
        gif->SHeight > maxSide || (juce::int64) gif->SWidth * gif->SHeight > maxPixels)
        return {};

    int transparentIndex = -1;
    if (!readUpToFirstFrame (gif, transparentIndex))
        return {};

    const auto& frame = gif->Image;
    if (frame.Width < 1 || frame.Height < 1 || frame.Width > gif->SWidth - frame.Left ||
        frame.Height > gif->SHeight - frame.Top)
        return {};

    const auto* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    if (colours == nullptr)
        return {};

    juce::Image image (transparentIndex >= 0 ? juce::Image::ARGB : juce::Image::RGB, frame.Width,
                       frame.Height, false);
    {
        const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::writeOnly);
        if (!readFrame (gif, *colours, transparentIndex, pixels))
            return {};
    }
    return image;
}
} // namespace GifReader
