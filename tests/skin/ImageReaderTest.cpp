#include "ImageTestSupport.h"
#include "PngTestSupport.h"
#include "SkinTestSupport.h"
#include "skin/source/GifReader.h"
#include "skin/source/JpegReader.h"
#include "skin/source/PngReader.h"

#include <gtest/gtest.h>
#include <png.h>

// The readers of a user skin's images: each must give a good file's pixels as JUCE's own loader does, and
// refuse a damaged or oversized one without crashing.
namespace
{
using namespace SkinTest;

using Reader = juce::Image (*) (const void*, size_t, int, juce::int64);
constexpr int defaultMaxSide = 16384;
constexpr juce::int64 defaultMaxPixels = 1 << 24;

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

/** A smooth image with every channel varying, as JUCE's own JPEG writer encodes it. */
juce::MemoryBlock jpegByJuce (int width, int height)
{
    juce::Image image (juce::Image::RGB, width, height, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelAt (
                x, y, juce::Colour ((juce::uint8) (x * 11), (juce::uint8) (y * 17), (juce::uint8) (x * y)));
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    juce::JPEGImageFormat().writeImageToStream (image, out);
    out.flush();
    return block;
}

juce::MemoryBlock withByte (const juce::MemoryBlock& whole, size_t at, juce::uint8 value)
{
    auto bytes = whole;
    bytes[(int) at] = (char) value;
    return bytes;
}

/** A GIF of four colours whose screen colour map is cut to the first two (or dropped, with none left):
    the pixels still name all four. */
juce::MemoryBlock gifWithColourMapOf (int entries)
{
    auto bytes = GifBytes::write ({12, 10, 4});
    bytes[10] = (char) (entries == 0 ? bytes[10] & 0x78 : (bytes[10] & 0xf8) | 0); // 0: two entries
    bytes.removeSection (13 + 3 * (size_t) entries, 3 * (4 - (size_t) entries));
    return bytes;
}

struct GoodCase
{
    const char* what;
    Reader reader;
    juce::MemoryBlock bytes;
    bool alpha;
    juce::Image expected = {}; // when null, what JUCE's own loader gives
};

TEST (ImageReaders, DecodeGoodFilesAsJuceDoes)
{
    std::vector<GoodCase> cases;
    const struct
    {
        const char* what;
        juce::uint32 format;
        int paletteSize;
    } pngs[] = {
        {"png grey", PNG_FORMAT_GRAY, 0},
        {"png grey and alpha", PNG_FORMAT_GA, 0},
        {"png RGB", PNG_FORMAT_RGB, 0},
        {"png RGBA", PNG_FORMAT_RGBA, 0},
        {"png 16-bit RGB", PNG_FORMAT_LINEAR_RGB, 0},
        {"png 16-bit RGBA", PNG_FORMAT_LINEAR_RGB_ALPHA, 0},
        {"png 2-bit palette", PNG_FORMAT_RGB_COLORMAP, 4},
        {"png palette with transparency", PNG_FORMAT_RGBA_COLORMAP, 200},
    };
    for (const auto& p : pngs)
        cases.push_back ({p.what, PngReader::decode,
                          PngBytes::writeWithLibpng (13, 7, p.format, p.paletteSize),
                          (p.format & PNG_FORMAT_FLAG_ALPHA) != 0});

    cases.push_back ({"jpeg by JUCE", JpegReader::decode, jpegByJuce (21, 13), false});
    cases.push_back ({"jpeg grey", JpegReader::decode, JpegBytes::write (13, 7, 1), false});
    cases.push_back ({"jpeg colour", JpegReader::decode, JpegBytes::write (17, 9, 3), false});
    cases.push_back ({"jpeg progressive", JpegReader::decode, JpegBytes::write (17, 9, 3, true), false});

    const struct
    {
        const char* what;
        GifBytes::Options options;
    } gifs[] = {
        {"gif", {12, 10, 8}},
        {"gif of two colours", {5, 3, 2}},
        {"gif with a transparent index", {12, 10, 8, 3}},
        {"gif interlaced", {7, 19, 16, -1, true}},
        {"gif with the frame's own map", {9, 4, 256, -1, false, true}},
    };
    for (const auto& g : gifs)
        cases.push_back ({g.what, GifReader::decode, GifBytes::write (g.options),
                          g.options.transparentIndex >= 0, GifBytes::expectedImage (g.options)});

    for (const auto& c : cases)
    {
        const auto ours = c.reader (c.bytes.getData(), c.bytes.getSize(), defaultMaxSide, defaultMaxPixels);
        ASSERT_TRUE (ours.isValid()) << c.what;
        EXPECT_EQ (ours.hasAlphaChannel(), c.alpha) << c.what;
        const auto expected = c.expected.isValid()
                                  ? c.expected
                                  : juce::ImageFileFormat::loadFrom (c.bytes.getData(), c.bytes.getSize());
        EXPECT_EQ (firstDifference (ours, expected), "") << c.what;
    }
}

struct DamagedCase
{
    const char* what;
    juce::MemoryBlock bytes;
    int maxSide = defaultMaxSide;
    juce::int64 maxPixels = defaultMaxPixels;
};

/** Each case is refused; the whole file it was made from is not (or every case would pass for nothing). */
void expectRefused (Reader reader, const juce::MemoryBlock& whole, const std::vector<DamagedCase>& cases)
{
    ASSERT_TRUE (reader (whole.getData(), whole.getSize(), defaultMaxSide, defaultMaxPixels).isValid());
    for (const auto& c : cases)
        EXPECT_FALSE (reader (c.bytes.getData(), c.bytes.getSize(), c.maxSide, c.maxPixels).isValid())
            << c.what;
    EXPECT_FALSE (reader (nullptr, 100, defaultMaxSide, defaultMaxPixels).isValid());
}

TEST (ImageReaders, RefuseDamagedPngFilesAndImagesBeyondTheLimits)
{
    // 8 x 8, as the hostile-skin runs found it; JUCE's loader crashed on the first case.
    const auto whole = encodePng (makeStrip (1, 8, 8));
    const auto idat = PngBytes::findChunk (whole, "IDAT"), ihdr = PngBytes::findChunk (whole, "IHDR");

    const auto withSides = [&whole, &ihdr] (juce::uint32 width, juce::uint32 height)
    {
        auto bytes = whole;
        PngBytes::put32 (bytes, ihdr.dataOffset, width);
        PngBytes::put32 (bytes, ihdr.dataOffset + 4, height);
        PngBytes::fixChecksum (bytes, ihdr);
        return bytes;
    };

    expectRefused (PngReader::decode, whole,
                   {
                       {"zlib check broken", PngBytes::flipped (whole, idat, idat.length - 1, 0x5a)},
                       {"zlib header broken", PngBytes::flipped (whole, idat, 0, 0xff)},
                       {"deflate data broken", PngBytes::flipped (whole, idat, 3, 0xff)},
                       {"image data checksum wrong", PngBytes::flipped (whole, idat, 3, 0xff, false)},
                       {"header checksum wrong", PngBytes::flipped (whole, ihdr, 3, 1, false)},
                       {"unknown colour type", PngBytes::flipped (whole, ihdr, 9, 7)},
                       {"taller than its data", withSides (8, 64)},
                       {"zero width", withSides (0, 8)},
                       {"a side beyond libpng's range", withSides (1u << 30, 8)},
                       {"wider than allowed", whole, 7},
                       {"more pixels than allowed", whole, defaultMaxSide, 63},
                       {"cut inside the image data", cut (whole, idat.dataOffset + idat.length / 2)},
                       {"cut before the end chunk", cut (whole, idat.dataOffset + idat.length + 4)},
                       {"signature only", cut (whole, 8)},
                       {"not a PNG", textBlock ("GIF89a not a png at all")},
                   });
}

TEST (ImageReaders, RefuseDamagedJpegFilesAndImagesBeyondTheLimits)
{
    const auto whole = JpegBytes::write (16, 8, 3);
    const auto frame = JpegBytes::findMarker (whole, 0xc0), scan = JpegBytes::findMarker (whole, 0xda);
    const auto huffman = JpegBytes::findMarker (whole, 0xc4);
    const auto withSides = [&whole, frame] (int width, int height)
    {
        auto bytes = withByte (withByte (whole, frame + 5, (juce::uint8) (height >> 8)), frame + 6,
                               (juce::uint8) height);
        return withByte (withByte (bytes, frame + 7, (juce::uint8) (width >> 8)), frame + 8,
                         (juce::uint8) width);
    };
    const auto withScans = [] (int scans) { return JpegBytes::writeWithScans (16, 8, scans); };

    expectRefused (JpegReader::decode, whole,
                   {
                       {"cut inside the scan data", cut (whole, scan + (whole.getSize() - scan) / 2)},
                       {"cut before the end marker", cut (whole, whole.getSize() - 2)},
                       {"signature only", cut (whole, 3)},
                       {"zero height", withSides (16, 0)},
                       {"sides beyond the limit", withSides (65000, 65000)},
                       {"wider than allowed", whole, 15},
                       {"more pixels than allowed", whole, defaultMaxSide, 127},
                       {"12-bit samples", withByte (whole, frame + 4, 12)},
                       {"a quantisation table that is not there", withByte (whole, frame + 12, 3)},
                       {"a Huffman table that is not there", withByte (whole, scan + 6, 0x33)},
                       {"a Huffman table of too many codes", withByte (whole, huffman + 20, 0xff)},
                       {"CMYK", JpegBytes::write (8, 8, 4)},
                       {"not a JPEG", withByte (whole, 2, 0)},
                       {"more scans than any real file", withScans (JpegReader::maxScans + 1)},
                       {"one scan repeated 40,000 times", withScans (40000)},
                   });
    const auto mostScans = withScans (JpegReader::maxScans);
    EXPECT_TRUE (
        JpegReader::decode (mostScans.getData(), mostScans.getSize(), defaultMaxSide, defaultMaxPixels)
            .isValid())
        << "the most scans allowed";
}

TEST (ImageReaders, RefuseDamagedGifFilesAndImagesBeyondTheLimits)
{
    const auto whole = GifBytes::write ({12, 10, 8});
    const auto frame = GifBytes::frameOffset (whole);
    const auto with16 = [&whole] (size_t at, int value)
    {
        auto bytes = whole;
        GifBytes::put16 (bytes, at, value);
        return bytes;
    };
    const auto screenOf = [&with16] (int width, int height)
    {
        auto bytes = with16 (6, width);
        GifBytes::put16 (bytes, 8, height);
        return bytes;
    };
    // The frame's descriptor: ',', left, top, width, height, flags; then the code size and the data.

    expectRefused (GifReader::decode, whole,
                   {
                       {"cut inside the image data", cut (whole, frame + 14)},
                       {"cut before the end of the image data", cut (whole, whole.getSize() - 2)},
                       {"header only", cut (whole, 6)},
                       {"a screen beyond the limit", screenOf (65535, 65535)},
                       {"a screen of no width", screenOf (0, 10)},
                       {"wider than allowed", whole, 11},
                       {"more pixels than allowed", whole, defaultMaxSide, 119},
                       {"a frame wider than the screen", screenOf (11, 10)},
                       {"a frame moved right off the screen", with16 (frame + 1, 1)},
                       {"a frame moved down off the screen", with16 (frame + 3, 1)},
                       {"a frame of no height", with16 (frame + 7, 0)},
                       {"a code size beyond 8 bits", withByte (whole, frame + 10, 12)},
                       {"a first code beyond the table", withByte (whole, frame + 12, 0xff)},
                       {"an index beyond the colour map", gifWithColourMapOf (2)},
                       {"no colour map", gifWithColourMapOf (0)},
                       {"not a GIF", withByte (whole, 4, '0')},
                   });
}
} // namespace
