#pragma once

#include <cstddef>
#include <juce_graphics/juce_graphics.h>

/** Decodes the first frame of GIF bytes from outside the plug-in (a user skin's film strips) through giflib.

    JUCE's own loader trusts the frame's size, its codes and its colour indices, and a damaged file takes the
    process down. Here the frame must lie inside the logical screen, every colour index must name an entry
    of the colour map in force, any error of giflib refuses the image, and the decoder is closed on every
    path.

    The pixels come out as JUCE's loader gives them: the first frame at its own size, an ARGB image when a
    graphic control extension before it names a transparent index (that index fully transparent), else an
    RGB image; interlaced frames are put in row order. Any thread; allocates only the decoder and the
    image. */
namespace GifReader
{
/** The image, or a null image when the bytes are not a GIF whose first frame giflib reads without error,
    when that frame leaves the logical screen or uses an index beyond its colour map, or when the screen is
    wider or taller than maxSide or holds more than maxPixels pixels (checked before the canvas is
    allocated). */
juce::Image decode (const void* data, size_t numBytes, int maxSide, juce::int64 maxPixels);

/** Whether the bytes start with "GIF87a" or "GIF89a". */
bool hasSignature (const void* data, size_t numBytes) noexcept;
} // namespace GifReader
