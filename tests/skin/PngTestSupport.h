#pragma once

#include <juce_core/juce_core.h>

#include <string>
#include <vector>

/** PNG files taken apart, so a test can damage one part and leave the rest whole: a changed byte behind a
    correct chunk checksum reaches the decoder instead of being refused by the chunk reader. */
namespace PngBytes
{
struct Chunk
{
    std::string type;
    size_t dataOffset = 0, length = 0;
};

/** The chunks after the signature, in order, as far as they lie whole within the bytes. */
std::vector<Chunk> chunksOf (const juce::MemoryBlock& png);
/** The first chunk of that type; the test fails when there is none. */
Chunk findChunk (const juce::MemoryBlock& png, const std::string& type);
/** Writes a big-endian 32-bit number at the offset. */
void put32 (juce::MemoryBlock& png, size_t offset, juce::uint32 value);
/** Writes the chunk's checksum for its type and data as they are now. */
void fixChecksum (juce::MemoryBlock& png, const Chunk& chunk);
/** A copy with these bits of one byte of the chunk's data flipped, and its checksum fixed when asked. */
juce::MemoryBlock flipped (const juce::MemoryBlock& png, const Chunk& chunk, size_t at, juce::uint8 bits,
                           bool fixChecksum = true);
/** A copy cut inside its image data, of which it keeps that fraction: it claims its size all the same. */
juce::MemoryBlock cutInsideData (const juce::MemoryBlock& png, double keptFraction);

/** An image of the libpng "simplified" format (PNG_FORMAT_...) written by libpng itself, with a fixed
    pattern of pixels; colour-mapped formats get a palette of paletteSize entries. */
juce::MemoryBlock writeWithLibpng (int width, int height, juce::uint32 format, int paletteSize = 0);

/** A palette image of one colour; its image data is compressed once per size, so even the largest image a
    skin may hold costs little to make, and images of one size differ only in their colour. */
juce::MemoryBlock writeFlat (int width, int height, juce::Colour colour);
} // namespace PngBytes
