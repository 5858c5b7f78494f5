#include "skin/source/PngReader.h"

#include <csetjmp>
#include <cstring>
#include <png.h>
#include <vector>

namespace PngReader
{
namespace
{
struct MemorySource
{
    const png_byte* data = nullptr;
    size_t size = 0;
    size_t position = 0;
};

void readFromMemory (png_structp png, png_bytep out, size_t length)
{
    auto* source = static_cast<MemorySource*> (png_get_io_ptr (png));
    if (length > source->size - source->position)
        png_error (png, "cut short");
    std::memcpy (out, source->data + source->position, length);
    source->position += length;
}

// After an error libpng's state is undefined: the decoder must not carry on, so the handler jumps back
// to the phase that called libpng. libpng's default handlers would also write to stderr.
[[noreturn]] void leaveOnError (png_structp png, png_const_charp)
{
    png_longjmp (png, 1);
}

void ignoreWarning (png_structp, png_const_charp) {}

/** The decoder and its info structure, released together on every path. */
struct Decoder
{
    Decoder()
        : png (png_create_read_struct (PNG_LIBPNG_VER_STRING, nullptr, leaveOnError, ignoreWarning))
        , info (png != nullptr ? png_create_info_struct (png) : nullptr)
    {
    }

    ~Decoder() { png_destroy_read_struct (&png, info != nullptr ? &info : nullptr, nullptr); }

    png_structp png;
    png_infop info;

    JUCE_DECLARE_NON_COPYABLE (Decoder)
};

struct Header
{
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool hasAlpha = false;
    size_t rowBytes = 0;
};

// The two phases below are the only frames a jump from libpng returns to. Each holds plain values only and
// calls nothing that owns memory between its setjmp and its return, so a jump skips no destructor; the
// memory libpng itself allocated stays with the decoder, which releases it.

/** Reads up to the first image data and sets the transforms that give 8-bit RGBA rows. */
bool readHeader (png_structp png, png_infop info, MemorySource& source, int maxSide, Header& header)
{
    if (setjmp (png_jmpbuf (png)) != 0)
        return false;

    png_set_read_fn (png, &source, readFromMemory);
    // libpng refuses larger sides while it reads the header, before it allocates anything for the rows.
    png_set_user_limits (png, (png_uint_32) maxSide, (png_uint_32) maxSide);
    png_read_info (png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR (png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    const bool hasTransparency = png_get_valid (png, info, PNG_INFO_tRNS) != 0;

    if (bitDepth == 16)
        png_set_strip_16 (png);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb (png);
    if (bitDepth < 8 && (colourType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_expand_gray_1_2_4_to_8 (png);
    if (hasTransparency)
        png_set_tRNS_to_alpha (png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb (png);
    png_set_add_alpha (png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling (png);
    png_read_update_info (png, info);

    // Whatever the file holds, the transforms must have made 8-bit RGBA rows, or the rows are not read.
    if (png_get_bit_depth (png, info) != 8 || png_get_channels (png, info) != 4)
        return false;

    header.width = width;
    header.height = height;
    header.hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || hasTransparency;
    header.rowBytes = png_get_rowbytes (png, info);
    return true;
}

/** Reads every row and the chunks after the image data up to the end. */
bool readRows (png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp (png_jmpbuf (png)) != 0)
        return false;

    png_read_image (png, rows);
    png_read_end (png, info);
    return true;
}

juce::Image imageOfRows (const Header& header, const std::vector<png_bytep>& rows)
{
    const int width = (int) header.width;
    const int height = (int) header.height;
    juce::Image image (header.hasAlpha ? juce::Image::ARGB : juce::Image::RGB, width, height, false);
    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < height; ++y)
    {
        const png_byte* source = rows[(size_t) y];
        auto* destination = pixels.getLinePointer (y);
        for (int x = 0; x < width; ++x, source += 4, destination += pixels.pixelStride)
        {
            if (header.hasAlpha)
            {
                auto* pixel = reinterpret_cast<juce::PixelARGB*> (destination);
                pixel->setARGB (source[3], source[0], source[1], source[2]);
                pixel->premultiply();
            }
            else
            {
                reinterpret_cast<juce::PixelRGB*> (destination)
                    ->setARGB (0xff, source[0], source[1], source[2]);
            }
        }
    }
    return image;
}
} // namespace

bool hasSignature (const void* data, size_t numBytes) noexcept
{
    return data != nullptr && numBytes >= 8 && png_sig_cmp (static_cast<png_const_bytep> (data), 0, 8) == 0;
}

juce::Image decode (const void* data, size_t numBytes, int maxSide, juce::int64 maxPixels)
{
    if (!hasSignature (data, numBytes) || maxSide < 1)
        return {};

    Decoder decoder;
    if (decoder.png == nullptr || decoder.info == nullptr)
        return {};

    MemorySource source{static_cast<const png_byte*> (data), numBytes, 0};
    Header header;
    if (!readHeader (decoder.png, decoder.info, source, maxSide, header))
        return {};

    if (header.width < 1 || header.height < 1 || header.width > (png_uint_32) maxSide ||
        header.height > (png_uint_32) maxSide || (juce::int64) header.width * header.height > maxPixels ||
        header.rowBytes != (size_t) header.width * 4)
        return {};

    std::vector<png_byte> buffer (header.rowBytes * header.height);
    std::vector<png_bytep> rows (header.height);
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = buffer.data() + y * header.rowBytes;

    if (!readRows (decoder.png, decoder.info, rows.data()))
        return {};

    return imageOfRows (header, rows);
}
} // namespace PngReader
