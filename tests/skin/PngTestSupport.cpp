#include "PngTestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <png.h>
#include <utility>
#include <zlib.h>

namespace PngBytes
{
std::vector<Chunk> chunksOf (const juce::MemoryBlock& png)
{
    std::vector<Chunk> chunks;
    const auto* bytes = static_cast<const char*> (png.getData());
    for (size_t offset = 8; offset + 12 <= png.getSize();)
    {
        const size_t length = juce::ByteOrder::bigEndianInt (bytes + offset);
        if (length > png.getSize() - offset - 12)
            break;
        chunks.push_back ({std::string (bytes + offset + 4, 4), offset + 8, length});
        offset += 12 + length;
    }
    return chunks;
}

Chunk findChunk (const juce::MemoryBlock& png, const std::string& type)
{
    for (const auto& chunk : chunksOf (png))
        if (chunk.type == type)
            return chunk;
    ADD_FAILURE() << "no " << type << " chunk";
    return {};
}

void put32 (juce::MemoryBlock& png, size_t offset, juce::uint32 value)
{
    const auto bigEndian = juce::ByteOrder::swapIfLittleEndian (value);
    png.copyFrom (&bigEndian, (int) offset, 4);
}

void fixChecksum (juce::MemoryBlock& png, const Chunk& chunk)
{
    const auto* typeAndData = static_cast<const Bytef*> (png.getData()) + chunk.dataOffset - 4;
    put32 (png, chunk.dataOffset + chunk.length,
           (juce::uint32) crc32 (0L, typeAndData, (uInt) chunk.length + 4));
}

juce::MemoryBlock flipped (const juce::MemoryBlock& png, const Chunk& chunk, size_t at, juce::uint8 bits,
                           bool fixChecksum)
{
    auto bytes = png;
    static_cast<juce::uint8*> (bytes.getData())[chunk.dataOffset + at] ^= bits;
    if (fixChecksum)
        PngBytes::fixChecksum (bytes, chunk);
    return bytes;
}

juce::MemoryBlock cutInsideData (const juce::MemoryBlock& png, double keptFraction)
{
    const auto data = findChunk (png, "IDAT");
    return juce::MemoryBlock (png.getData(),
                              data.dataOffset + (size_t) ((double) data.length * keptFraction));
}

juce::MemoryBlock writeWithLibpng (int width, int height, juce::uint32 format, int paletteSize)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = (png_uint_32) width;
    image.height = (png_uint_32) height;
    image.format = format;
    image.colormap_entries = (png_uint_32) paletteSize;

    std::vector<juce::uint8> pixels (PNG_IMAGE_SIZE (image)), palette (PNG_IMAGE_COLORMAP_SIZE (image));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (juce::uint8) (paletteSize > 0 ? i * 7 % (size_t) paletteSize : i * 37 + i / 5);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = (juce::uint8) (i * 53 + 11);

    png_alloc_size_t size = 0;
    png_image_write_to_memory (&image, nullptr, &size, 0, pixels.data(), 0, palette.data());
    juce::MemoryBlock block (size);
    EXPECT_TRUE (
        png_image_write_to_memory (&image, block.getData(), &size, 0, pixels.data(), 0, palette.data()))
        << image.message;
    return block;
}

namespace
{
void appendChunk (juce::MemoryBlock& png, const char* type, const void* data, size_t length)
{
    const Chunk chunk{type, png.getSize() + 8, length};
    png.setSize (chunk.dataOffset + length + 4);
    put32 (png, chunk.dataOffset - 8, (juce::uint32) length);
    png.copyFrom (type, (int) chunk.dataOffset - 4, 4);
    png.copyFrom (data, (int) chunk.dataOffset, length);
    fixChecksum (png, chunk);
}
} // namespace

juce::MemoryBlock writeFlat (int width, int height, juce::Colour colour)
{
    // Every row: filter "none", then palette index 0 for each pixel.
    static std::map<std::pair<int, int>, juce::MemoryBlock> compressedRows;
    auto& rows = compressedRows[{width, height}];
    if (rows.isEmpty())
    {
        const std::vector<Bytef> raw ((size_t) height * (size_t) (width + 1), 0);
        auto size = compressBound ((uLong) raw.size());
        rows.setSize (size);
        EXPECT_EQ (compress2 (static_cast<Bytef*> (rows.getData()), &size, raw.data(), (uLong) raw.size(), 9),
                   Z_OK);
        rows.setSize (size);
    }

    juce::MemoryBlock png ("\x89PNG\r\n\x1a\n", 8), header (13, true);
    put32 (header, 0, (juce::uint32) width);
    put32 (header, 4, (juce::uint32) height);
    header[8] = 8; // bits per palette index
    header[9] = 3; // colour type: palette
    appendChunk (png, "IHDR", header.getData(), header.getSize());
    const juce::uint8 palette[] = {colour.getRed(), colour.getGreen(), colour.getBlue()};
    appendChunk (png, "PLTE", palette, sizeof (palette));
    appendChunk (png, "IDAT", rows.getData(), rows.getSize());
    appendChunk (png, "IEND", nullptr, 0);
    return png;
}
} // namespace PngBytes
