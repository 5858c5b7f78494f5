#pragma once

#include <cstddef>
#include <juce_core/juce_core.h>

/** The pixel size an image file claims, read from its header alone (PNG, JPEG, GIF: the formats JUCE
    decodes), so a hostile file is refused before a decoder allocates its canvas. */
namespace ImageHeader
{
struct Size
{
    bool known = false; // false: not one of the three formats, or the header is cut short
    int width = 0;
    int height = 0;
};

Size readSize (const void* data, size_t numBytes) noexcept;

/** Known, at least 1 x 1, no side above maxSide and no more than maxPixels pixels. */
bool isAcceptable (const Size& size, int maxSide, juce::int64 maxPixels) noexcept;
} // namespace ImageHeader
