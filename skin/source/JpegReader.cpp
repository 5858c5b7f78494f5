#include "skin/source/JpegReader.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE declared first
#include <jpeglib.h>
#include <vector>

namespace JpegReader
{
namespace
{
/** libjpeg's error manager, extended by the place an error jumps back to. */
struct ErrorManager
{
    jpeg_error_mgr base{};
    std::jmp_buf jump{};
};

// After an error libjpeg's state is undefined: the decoder must not carry on, so the handler jumps back
// to the phase that called libjpeg. libjpeg's default handler would exit the process.
[[noreturn]] void leaveOnError (j_common_ptr decoder)
{
    std::longjmp (reinterpret_cast<ErrorManager*> (decoder->err)->jump, 1);
}

// A warning (level -1) means the data is corrupt and libjpeg would fill in what it could not read;
// trace messages (level 0 and up) are only chatter.
void leaveOnWarning (j_common_ptr decoder, int level)
{
    if (level < 0)
        leaveOnError (decoder);
}

void writeNothing (j_common_ptr) {}

// libjpeg calls its progress monitor while it reads, scan after scan, before it decodes each part.
void leaveAfterTooManyScans (j_common_ptr decoder)
{
    if (decoder->is_decompressor &&
        reinterpret_cast<j_decompress_ptr> (decoder)->input_scan_number > maxScans)
        leaveOnError (decoder);
}

/** The decoder, released on every path. */
struct Decoder
{
    Decoder()
    {
        info.err = jpeg_std_error (&errors.base);
        errors.base.error_exit = leaveOnError;
        errors.base.emit_message = leaveOnWarning;
        errors.base.output_message = writeNothing;
        progress.progress_monitor = leaveAfterTooManyScans;
    }

    ~Decoder()
    {
        if (created)
            jpeg_destroy_decompress (&info);
    }

    jpeg_decompress_struct info{};
    ErrorManager errors;
    jpeg_progress_mgr progress{};
    bool created = false;

    JUCE_DECLARE_NON_COPYABLE (Decoder)
};

// The two phases below are the only frames a jump from libjpeg returns to. Each holds plain values only
// and calls nothing that owns memory between its setjmp and its return, so a jump skips no destructor; the
// memory libjpeg itself allocated stays with the decoder, which releases it.

/** Reads the headers up to the first frame and asks for 8-bit RGB output. */
bool readHeader (Decoder& decoder, const unsigned char* data, size_t numBytes)
{
    auto& info = decoder.info;
    if (setjmp (decoder.errors.jump) != 0)
        return false;

    jpeg_create_decompress (&info);
    decoder.created = true;
    info.progress = &decoder.progress; // creating the decompressor cleared it
    jpeg_mem_src (&info, data, (unsigned long) numBytes);
    if (jpeg_read_header (&info, TRUE) != JPEG_HEADER_OK)
        return false;

    // libjpeg converts grey, YCbCr and RGB files to RGB; CMYK and YCCK ones it refuses in
    // jpeg_calc_output_dimensions. The rows are read into a buffer of three samples a pixel.
    info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions (&info);
    return info.output_components == 3;
}

/** Decodes every row into the image, then reads on to the end of the file. */
bool readRows (Decoder& decoder, const juce::Image::BitmapData& pixels, JSAMPLE* row)
{
    auto& info = decoder.info;
    if (setjmp (decoder.errors.jump) != 0)
        return false;

    if (!jpeg_start_decompress (&info))
        return false;

    JSAMPROW rows[] = {row};
    for (int y = 0; y < pixels.height; ++y)
    {
        if (jpeg_read_scanlines (&info, rows, 1) != 1)
            return false;

        const JSAMPLE* source = row;
        auto* destination = pixels.getLinePointer (y);
        for (int x = 0; x < pixels.width; ++x, source += 3, destination += pixels.pixelStride)
            reinterpret_cast<juce::PixelRGB*> (destination)->setARGB (0xff, source[0], source[1], source[2]);
    }

    jpeg_finish_decompress (&info);
    return true;
}
} // namespace

bool hasSignature (const void* data, size_t numBytes) noexcept
{
    const auto* bytes = static_cast<const unsigned char*> (data);
    return bytes != nullptr && numBytes >= 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff;
}

juce::Image decode (const void* data, size_t numBytes, int maxSide, juce::int64 maxPixels)
{
    if (!hasSignature (data, numBytes) || maxSide < 1)
        return {};

    Decoder decoder;
    if (!readHeader (decoder, static_cast<const unsigned char*> (data), numBytes))
        return {};

    const auto width = decoder.info.output_width, height = decoder.info.output_height;
    if (width < 1 || height < 1 || width > (JDIMENSION) maxSide || height > (JDIMENSION) maxSide ||
        (juce::int64) width * height > maxPixels)
        return {};

    juce::Image image (juce::Image::RGB, (int) width, (int) height, false);
    std::vector<JSAMPLE> row ((size_t) width * 3);
    {
        const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::writeOnly);
        if (pixels.pixelFormat != juce::Image::RGB || !readRows (decoder, pixels, row.data()))
            return {};
    }
    return image;
}
} // namespace JpegReader
