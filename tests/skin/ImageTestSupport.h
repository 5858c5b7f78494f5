#pragma once

#include <juce_graphics/juce_graphics.h>

/** JPEG and GIF files written by the system's own libraries, with a fixed pattern of pixels, and the
    offsets a test needs to damage one part of them and leave the rest whole. */
namespace JpegBytes
{
/** A baseline file of 1 (grey), 3 (YCbCr) or 4 (CMYK) components; progressive in libjpeg's simple
    progression when asked. */
juce::MemoryBlock write (int width, int height, int components, bool progressive = false);
/** A progressive grey file of that many scans: the DC scan, then one full AC scan repeated, which libjpeg
    reads without a warning however often it comes. The image is flat in each block, so the AC scan is
    short. */
juce::MemoryBlock writeWithScans (int width, int height, int scans);
/** The offset of the first marker of that code (0xc0 start of frame, 0xda start of scan...); the test fails
    when there is none. */
size_t findMarker (const juce::MemoryBlock& jpeg, int code);
} // namespace JpegBytes

namespace GifBytes
{
struct Options
{
    int width = 12, height = 10;
    int colours = 8;           // a power of two from 2 to 256
    int transparentIndex = -1; // written in a graphic control extension when not -1
    bool interlaced = false;
    bool localColourMap = false; // the frame's own map, over a screen map of other colours
};

/** One frame covering the whole screen; pixel (x, y) takes colour (3x + 5y) mod colours. */
juce::MemoryBlock write (const Options& options);
/** The image such a file holds, in the format JUCE's loader gives: ARGB when there is a transparent index,
    else RGB. (JUCE's GIF loader itself reads before its buffer on every file, which the undefined-behaviour
    sanitizer stops: it cannot be the reference there.) */
juce::Image expectedImage (const Options& options);
/** The offset of the first image descriptor's separator (','). */
size_t frameOffset (const juce::MemoryBlock& gif);
/** Writes a little-endian 16-bit number at the offset. */
void put16 (juce::MemoryBlock& gif, size_t offset, int value);
} // namespace GifBytes
