#include "skin/source/ImageHeader.h"

namespace ImageHeader
{
namespace
{
int bigEndian16 (const juce::uint8* p) noexcept
{
    return (p[0] << 8) | p[1];
}
juce::int64 bigEndian32 (const juce::uint8* p) noexcept
{
    return ((juce::int64) p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
int littleEndian16 (const juce::uint8* p) noexcept
{
    return p[0] | (p[1] << 8);
}

// PNG sides are unsigned 31-bit numbers; anything beyond int range is refused by isAcceptable anyway.
int clampSide (juce::int64 side) noexcept
{
    return (int) juce::jmin (side, (juce::int64) 0x7fffffff);
}

Size readPng (const juce::uint8* p, size_t n) noexcept
{
    // Signature, then the first chunk, which must be IHDR: length, type, width, height.
    if (n < 24 || std::memcmp (p + 12, "IHDR", 4) != 0)
        return {};
    return {true, clampSide (bigEndian32 (p + 16)), clampSide (bigEndian32 (p + 20))};
}

Size readGif (const juce::uint8* p, size_t n) noexcept
{
    if (n < 10)
        return {};
    return {true, littleEndian16 (p + 6), littleEndian16 (p + 8)};
}

Size readJpeg (const juce::uint8* p, size_t n) noexcept
{
    // Walk the marker segments up to the first start-of-frame, which holds the size.
    size_t i = 2;
    while (i + 4 <= n)
    {
        if (p[i] != 0xff)
            return {};
        const int marker = p[i + 1];
        if (marker == 0xff) // fill byte
        {
            ++i;
            continue;
        }
        const bool isStartOfFrame =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        const int length = bigEndian16 (p + i + 2);
        if (isStartOfFrame)
        {
            if (i + 9 > n)
                return {};
            return {true, bigEndian16 (p + i + 7), bigEndian16 (p + i + 5)};
        }
        if (length < 2)
            return {};
        i += 2 + (size_t) length;
    }
    return {};
}
} // namespace

Size readSize (const void* data, size_t numBytes) noexcept
{
    const auto* p = static_cast<const juce::uint8*> (data);
    if (p == nullptr)
        return {};

    static const juce::uint8 pngSignature[] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
    if (numBytes >= 8 && std::memcmp (p, pngSignature, 8) == 0)
        return readPng (p, numBytes);
    if (numBytes >= 6 && (std::memcmp (p, "GIF87a", 6) == 0 || std::memcmp (p, "GIF89a", 6) == 0))
        return readGif (p, numBytes);
    if (numBytes >= 4 && p[0] == 0xff && p[1] == 0xd8)
        return readJpeg (p, numBytes);
    return {};
}

bool isAcceptable (const Size& size, int maxSide, juce::int64 maxPixels) noexcept
{
    return size.known && size.width > 0 && size.height > 0 && size.width <= maxSide &&
           size.height <= maxSide && (juce::int64) size.width * size.height <= maxPixels;
}
} // namespace ImageHeader
