#pragma once

#include <cstddef>
#include <juce_graphics/juce_graphics.h>

/** Decodes PNG bytes from outside the plug-in (a user skin's film strips) straight through libpng.

    JUCE's own loader lets libpng carry on after an error (a broken zlib stream, for one), and libpng then
    reads freed or undefined state: a hostile image takes the process down. Here every error leaves the
    decoder at once, the decoder's memory is released on every path, and the image is refused.

    The pixels come out as JUCE's loader gives them: an image with an alpha channel or a transparency
    chunk becomes a premultiplied ARGB image, any other an RGB image; 16-bit samples keep their high byte,
    palettes and grey levels are expanded, no gamma is applied. Any thread; allocates only the decoder
    and the image. */
namespace PngReader
{
/** The image, or a null image when the bytes are not a whole PNG that libpng reads without error, or
    when the image is wider or taller than maxSide or holds more than maxPixels pixels (checked before the
    canvas is allocated). */
juce::Image decode (const void* data, size_t numBytes, int maxSide, juce::int64 maxPixels);

/** Whether the bytes start with the PNG signature. */
bool hasSignature (const void* data, size_t numBytes) noexcept;
} // namespace PngReader
