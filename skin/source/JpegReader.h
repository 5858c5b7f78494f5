#pragma once

#include <cstddef>
#include <juce_graphics/juce_graphics.h>

/** Decodes JPEG bytes from outside the plug-in (a user skin's film strips) through the system's libjpeg.

    JUCE's own loader lets libjpeg carry on after a fatal error, and a damaged file then takes the process
    down. Here an error, and any warning about corrupt data too, leaves the decoder at once, the decoder is
    released on every path, and the image is refused: a skin shows no image rather than half of one.

    The pixels come out as JUCE's loader gives them: an RGB image, grey levels expanded. CMYK and YCCK
    files are refused, as libjpeg converts them to nothing but CMYK. Any thread; allocates only the
    decoder and the image. */
namespace JpegReader
{
/** The most scans a file may have. A real progressive file has about ten; each scan is a pass over the
    whole image, so a few kilobytes of one scan repeated would keep libjpeg busy for minutes. */
constexpr int maxScans = 256;

/** The image, or a null image when the bytes are not a whole JPEG that libjpeg reads without error or
    warning, when the image is wider or taller than maxSide or holds more than maxPixels pixels (checked
    from the frame header before the canvas is allocated), or when it has more than maxScans scans (counted
    as they are read). */
juce::Image decode (const void* data, size_t numBytes, int maxSide, juce::int64 maxPixels);

/** Whether the bytes start with a JPEG start-of-image marker followed by another marker. */
bool hasSignature (const void* data, size_t numBytes) noexcept;

} // namespace JpegReader
