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
void appendChunk (juce::MemoryOutputStream& out, const char* type, const void* data, size_t length)
{
    juce::MemoryBlock chunk;
    chunk.append (type, 4);
    chunk.append (data, length);
    out.writeIntBigEndian ((int) length);
    out.write (chunk.getData(), chunk.getSize());
    out.writeIntBigEndian (
        (int) crc32 (0L, static_cast<const Bytef*> (chunk.getData()), (uInt) chunk.getSize()));
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

    juce::MemoryBlock png;
    juce::MemoryOutputStream out (png, false);
    out.write ("\x89PNG\r\n\x1a\n", 8);
    const juce::uint8 header[] = {(juce::uint8) (width >> 24),
                                  (juce::uint8) (width >> 16),
                                  (juce::uint8) (width >> 8),
                                  (juce::uint8) width,
                                  (juce::uint8) (height >> 24),
                                  (juce::uint8) (height >> 16),
                                  (juce::uint8) (height >> 8),
                                  (juce::uint8) height,
                                  8,
                                  3,
                                  0,
                                  0,
                                  0};
    appendChunk (out, "IHDR", header, sizeof (header));
    const juce::uint8 palette[] = {colour.getRed(), colour.getGreen(), colour.getBlue()};
    appendChunk (out, "PLTE", palette, sizeof (palette));
    appendChunk (out, "IDAT", rows.getData(), rows.getSize());
    appendChunk (out, "IEND", nullptr, 0);
    out.flush();
    return png;
}
} // namespace PngBytes
