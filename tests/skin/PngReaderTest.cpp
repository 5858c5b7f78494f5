#include "skin/source/PngReader.h"
#include "PngTestSupport.h"
#include "SkinTestSupport.h"

#include <gtest/gtest.h>
#include <png.h>

namespace
{
using namespace SkinTest;

juce::Image decode (const juce::MemoryBlock& bytes, int maxSide = 16384, juce::int64 maxPixels = 1 << 24)
{
    return PngReader::decode (bytes.getData(), bytes.getSize(), maxSide, maxPixels);
}

/** The first pixel where the images differ; empty when they are alike in format, size and pixels. */
std::string firstDifference (const juce::Image& a, const juce::Image& b)
{
    if (a.getFormat() != b.getFormat() || a.getBounds() != b.getBounds())
        return "format or size";
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return "pixel " + std::to_string (x) + "," + std::to_string (y);
    return {};
}

TEST (PngReader, DecodesEveryColourTypeAsJuceDoes)
{
    const struct
    {
        const char* what;
        juce::uint32 format;
        int paletteSize;
    } cases[] = {
        {"grey", PNG_FORMAT_GRAY, 0},
        {"grey and alpha", PNG_FORMAT_GA, 0},
        {"RGB", PNG_FORMAT_RGB, 0},
        {"RGBA", PNG_FORMAT_RGBA, 0},
        {"16-bit RGB", PNG_FORMAT_LINEAR_RGB, 0},
        {"16-bit RGBA", PNG_FORMAT_LINEAR_RGB_ALPHA, 0},
        {"2-bit palette", PNG_FORMAT_RGB_COLORMAP, 4},
        {"palette with transparency", PNG_FORMAT_RGBA_COLORMAP, 200},
    };
    for (const auto& c : cases)
    {
        const auto bytes = PngBytes::writeWithLibpng (13, 7, c.format, c.paletteSize);
        const auto ours = decode (bytes);
        ASSERT_TRUE (ours.isValid()) << c.what;
        EXPECT_EQ (ours.hasAlphaChannel(), (c.format & PNG_FORMAT_FLAG_ALPHA) != 0) << c.what;
        EXPECT_EQ (firstDifference (ours, juce::ImageFileFormat::loadFrom (bytes.getData(), bytes.getSize())),
                   "")
            << c.what;
    }
}

TEST (PngReader, RefusesDamagedFilesAndImagesBeyondTheLimits)
{
    // 8 x 8, as the hostile-skin runs found it; JUCE's loader crashed on the first case.
    const auto whole = encodePng (makeStrip (1, 8, 8));
    ASSERT_TRUE (decode (whole).isValid());
    const auto idat = PngBytes::findChunk (whole, "IDAT"), ihdr = PngBytes::findChunk (whole, "IHDR");

    const auto changed = [&whole] (const PngBytes::Chunk& chunk, size_t at, juce::uint8 flip, bool fix = true)
    {
        auto bytes = whole;
        static_cast<juce::uint8*> (bytes.getData())[chunk.dataOffset + at] ^= flip;
        if (fix)
            PngBytes::fixChecksum (bytes, chunk);
        return bytes;
    };
    const auto withSides = [&whole, &ihdr] (juce::uint32 width, juce::uint32 height)
    {
        auto bytes = whole;
        PngBytes::put32 (bytes, ihdr.dataOffset, width);
        PngBytes::put32 (bytes, ihdr.dataOffset + 4, height);
        PngBytes::fixChecksum (bytes, ihdr);
        return bytes;
    };
    const auto cut = [&whole] (size_t size) { return juce::MemoryBlock (whole.getData(), size); };

    const struct
    {
        const char* what;
        juce::MemoryBlock bytes;
        int maxSide = 16384;
        juce::int64 maxPixels = 1 << 24;
    } cases[] = {
        {"zlib check broken", changed (idat, idat.length - 1, 0x5a)},
        {"zlib header broken", changed (idat, 0, 0xff)},
        {"deflate data broken", changed (idat, 3, 0xff)},
        {"image data checksum wrong", changed (idat, 3, 0xff, false)},
        {"header checksum wrong", changed (ihdr, 3, 1, false)},
        {"unknown colour type", changed (ihdr, 9, 7)},
        {"taller than its data", withSides (8, 64)},
        {"zero width", withSides (0, 8)},
        {"a side beyond libpng's range", withSides (1u << 30, 8)},
        {"wider than allowed", whole, 7},
        {"more pixels than allowed", whole, 16384, 63},
        {"cut inside the image data", cut (idat.dataOffset + idat.length / 2)},
        {"cut before the end chunk", cut (idat.dataOffset + idat.length + 4)},
        {"signature only", cut (8)},
        {"not a PNG", textBlock ("GIF89a not a png at all")},
    };
    for (const auto& c : cases)
        EXPECT_FALSE (decode (c.bytes, c.maxSide, c.maxPixels).isValid()) << c.what;
    EXPECT_FALSE (PngReader::decode (nullptr, 100, 16384, 1 << 24).isValid());
}
} // namespace
