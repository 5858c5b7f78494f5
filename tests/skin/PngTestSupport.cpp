#include "PngTestSupport.h"

#include <gtest/gtest.h>
#include <png.h>
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
} // namespace PngBytes
