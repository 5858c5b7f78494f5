#include "ImageTestSupport.h"

#include <algorithm>
#include <cstdio> // jpeglib.h needs FILE declared first
#include <functional>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <vector>

namespace JpegBytes
{
namespace
{
/** A fixed pattern of pixels as libjpeg encodes it, after the settings are made; flat within each block of
    8 x 8 when asked. */
juce::MemoryBlock encode (int width, int height, int components, bool flatBlocks,
                          const std::function<void (jpeg_compress_struct&)>& configure)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error (&errors);
    jpeg_create_compress (&info);
    info.image_width = (JDIMENSION) width;
    info.image_height = (JDIMENSION) height;
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults (&info);
    configure (info);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest (&info, &buffer, &size);
    jpeg_start_compress (&info, TRUE);
    std::vector<JSAMPLE> row ((size_t) (width * components));
    const size_t blockSide = flatBlocks ? 8 : 1;
    while (info.next_scanline < info.image_height)
    {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = (JSAMPLE) (i / blockSide * 9 + info.next_scanline / blockSide * 13 +
                                (i % (size_t) components) * 70);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines (&info, rows, 1);
    }
    jpeg_finish_compress (&info);
    jpeg_destroy_compress (&info);

    juce::MemoryBlock block (buffer, size);
    std::free (buffer);
    return block;
}
} // namespace

juce::MemoryBlock write (int width, int height, int components, bool progressive)
{
    return encode (width, height, components, false,
                   [progressive] (jpeg_compress_struct& info)
                   {
                       if (progressive)
                           jpeg_simple_progression (&info);
                   });
}

juce::MemoryBlock writeWithScans (int width, int height, int scans)
{
    // Flat blocks: every AC coefficient is 0, so the AC scan is a few bytes.
    static const jpeg_scan_info script[] = {{1, {0}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0}};
    const auto twoScans = encode (width, height, 1, true,
                                  [] (jpeg_compress_struct& info)
                                  {
                                      info.scan_info = script;
                                      info.num_scans = 2;
                                  });

    // The AC scan, with the tables written before it, runs from the first marker after the DC scan's data
    // to the end-of-image marker.
    const auto* bytes = static_cast<const juce::uint8*> (twoScans.getData());
    const auto dcScan = findMarker (twoScans, 0xda);
    const auto end = twoScans.getSize() - 2;
    auto acScan = dcScan + 2 + (size_t) ((bytes[dcScan + 2] << 8) | bytes[dcScan + 3]);
    while (acScan < end &&
           !(bytes[acScan] == 0xff && bytes[acScan + 1] != 0 && (bytes[acScan + 1] & 0xf8) != 0xd0))
        ++acScan;

    // Sized once: growing by each scan copies the whole so far, which the sanitizers make very slow.
    juce::MemoryBlock repeated (acScan + (size_t) juce::jmax (0, scans - 1) * (end - acScan) + 2);
    auto* out = std::copy (bytes, bytes + acScan, static_cast<juce::uint8*> (repeated.getData()));
    for (int i = 1; i < scans; ++i)
        out = std::copy (bytes + acScan, bytes + end, out);
    std::copy (bytes + end, bytes + end + 2, out);
    return repeated;
}

size_t findMarker (const juce::MemoryBlock& jpeg, int code)
{
    const auto* bytes = static_cast<const juce::uint8*> (jpeg.getData());
    for (size_t i = 2; i + 4 <= jpeg.getSize();)
    {
        if (bytes[i] != 0xff)
            break;
        if (bytes[i + 1] == code)
            return i;
        i += 2 + (size_t) ((bytes[i + 2] << 8) | bytes[i + 3]);
    }
    ADD_FAILURE() << "no marker " << code;
    return 0;
}
} // namespace JpegBytes

namespace GifBytes
{
namespace
{
GifColorType colourOf (size_t index)
{
    return {(GifByteType) (index * 53 + 11), (GifByteType) (index * 97 + 7),
            (GifByteType) (index * 31 + 200)};
}

int indexAt (const Options& options, int x, int y)
{
    return (3 * x + 5 * y) % options.colours;
}

int writeToMemory (GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<juce::MemoryOutputStream*> (gif->UserData)->write (data, (size_t) length);
    return length;
}
} // namespace

juce::MemoryBlock write (const Options& options)
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    int error = 0;
    auto* gif = EGifOpen (&out, writeToMemory, &error);
    EXPECT_NE (gif, nullptr);
    if (gif == nullptr)
        return {};

    std::vector<GifColorType> colours ((size_t) options.colours), others (colours.size());
    for (size_t i = 0; i < colours.size(); ++i)
    {
        colours[i] = colourOf (i);
        others[i] = colourOf (i + 1);
    }
    auto* map = GifMakeMapObject (options.colours, colours.data());
    auto* screenMap = options.localColourMap ? GifMakeMapObject (options.colours, others.data()) : map;

    EGifSetGifVersion (gif, true);
    bool ok = EGifPutScreenDesc (gif, options.width, options.height, 8, 0, screenMap) == GIF_OK;
    if (options.transparentIndex >= 0)
    {
        GraphicsControlBlock control{};
        control.TransparentColor = options.transparentIndex;
        GifByteType extension[4];
        EGifGCBToExtension (&control, extension);
        ok = ok && EGifPutExtension (gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc (gif, 0, 0, options.width, options.height, options.interlaced,
                                 options.localColourMap ? map : nullptr) == GIF_OK;

    // giflib writes the rows in the order given: an interlaced frame's rows go in its pass order.
    std::vector<int> order;
    for (const auto& [first, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = first; y < options.height; y += step)
            order.push_back (y);
    if (!options.interlaced)
        for (int y = 0; y < options.height; ++y)
            order[(size_t) y] = y;

    std::vector<GifPixelType> line ((size_t) options.width);
    for (const int y : order)
    {
        for (int x = 0; x < options.width; ++x)
            line[(size_t) x] = (GifPixelType) indexAt (options, x, y);
        ok = ok && EGifPutLine (gif, line.data(), options.width) == GIF_OK;
    }
    EXPECT_TRUE (ok);
    EXPECT_EQ (EGifCloseFile (gif, &error), GIF_OK);
    if (screenMap != map)
        GifFreeMapObject (screenMap);
    GifFreeMapObject (map);
    out.flush();
    return block;
}

juce::Image expectedImage (const Options& options)
{
    const bool transparency = options.transparentIndex >= 0;
    juce::Image image (transparency ? juce::Image::ARGB : juce::Image::RGB, options.width, options.height,
                       true);
    for (int y = 0; y < options.height; ++y)
        for (int x = 0; x < options.width; ++x)
        {
            const int index = indexAt (options, x, y);
            const auto colour = colourOf ((size_t) index);
            if (index != options.transparentIndex)
                image.setPixelAt (x, y, juce::Colour (colour.Red, colour.Green, colour.Blue));
        }
    return image;
}

size_t frameOffset (const juce::MemoryBlock& gif)
{
    const auto* bytes = static_cast<const juce::uint8*> (gif.getData());
    size_t i = 13;
    if ((bytes[10] & 0x80) != 0)
        i += 3 * ((size_t) 2 << (bytes[10] & 7));
    while (i < gif.getSize() && bytes[i] == '!') // extensions: introducer, label, sub-blocks
    {
        i += 2;
        while (i < gif.getSize() && bytes[i] != 0)
            i += 1 + bytes[i];
        ++i;
    }
    EXPECT_TRUE (i < gif.getSize() && bytes[i] == ',') << "no image descriptor";
    return i;
}

void put16 (juce::MemoryBlock& gif, size_t offset, int value)
{
    gif[(int) offset] = (char) (value & 0xff);
    gif[(int) offset + 1] = (char) ((value >> 8) & 0xff);
}
} // namespace GifBytes
