#pragma once

#include <cstdlib>
#include <juce_graphics/juce_graphics.h>

// Captures of a window compared as the end-to-end tests compare them.

/** How far two captures of one area may differ and still count as the same picture. */
struct PictureTolerance
{
    int colour = 0; // a pixel differs when its red, green and blue differences add up to more
    int pixels = 0; // how many pixels may differ
};

/** Anti-aliasing depends on how a repaint was split: a few pixels of it may come out otherwise. */
constexpr PictureTolerance antiAliased{48, 8};

/** How many pixels of two pictures differ by more than the colour tolerance; -1 when either is missing or
    their sizes differ, so that a failed capture never passes for a picture. */
inline int differingPixels (const juce::Image& a, const juce::Image& b, int colourTolerance = 0)
{
    if (!a.isValid() || !b.isValid() || a.getBounds() != b.getBounds())
        return -1;
    int differing = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y), q = b.getPixelAt (x, y);
            differing += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen()) +
                             std::abs (p.getBlue() - q.getBlue()) >
                         colourTolerance;
        }
    return differing;
}

inline bool samePicture (const juce::Image& a, const juce::Image& b, PictureTolerance tolerance = {})
{
    const int differing = differingPixels (a, b, tolerance.colour);
    return differing >= 0 && differing <= tolerance.pixels;
}

/** Both pictures there, of one size, and different beyond the tolerance. */
inline bool otherPicture (const juce::Image& a, const juce::Image& b, PictureTolerance tolerance = {})
{
    return differingPixels (a, b, tolerance.colour) > tolerance.pixels;
}
