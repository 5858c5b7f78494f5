#pragma once

#include <juce_graphics/juce_graphics.h>

/** The arithmetic of film strips: images whose frames are stacked vertically, frame i occupying rows
    i * frameHeight to (i + 1) * frameHeight - 1. Every control and its tests call these functions, so the
    value-to-frame rounding of each control kind lives in one place.

    Counts read from a skin (frames, digits, glyphs, states) may be 0 or negative in a careless or hostile
    skin: every function here treats such a count as 1 and every frame it returns lies within the strip. */
namespace FilmStrip
{
/** A count read from a skin that something is divided by or indexed with: below 1 it is 1. */
constexpr int safeCount (int count) noexcept
{
    return count < 1 ? 1 : count;
}

/** The frame index clamped into 0..framesNum - 1. */
constexpr int clampFrame (int frame, int framesNum) noexcept
{
    return frame < 0 ? 0 : (frame >= safeCount (framesNum) ? safeCount (framesNum) - 1 : frame);
}

/** The height of one frame of an image of that height (integer division, as the skins are drawn). */
constexpr int frameHeightOf (int imageHeight, int framesNum) noexcept
{
    return imageHeight < 0 ? 0 : imageHeight / safeCount (framesNum);
}

/** floor ((framesNum - 1) * proportion + 0.5) in single precision, the proportion clamped to 0..1 (a NaN
    reads as 0): the rounding of the knobs, switches, animations and multi-state buttons. */
int frameOfProportion (int framesNum, float proportion) noexcept;

/** A knob's frame: the proportion of the value within minimum..maximum (an empty range gives frame 0). */
int knobFrame (int framesNum, float value, float minimum, float maximum) noexcept;

/** A switch's frame for its value 0..1. */
inline int switchFrame (int framesNum, float value) noexcept
{
    return frameOfProportion (framesNum, value);
}

/** An animation's frame (and a multi-state button's state) for a normalised value. */
inline int animationFrame (int framesNum, float normalised) noexcept
{
    return frameOfProportion (framesNum, normalised);
}

/** The MIDI channel selector's frame: frame 0 is the disabled picture, frames 1 to framesNum - 1 run from
    "all channels" to channel 16, so the strip holds one frame more than the positions. */
int channelFrame (int framesNum, float value) noexcept;

/** The rows of the image that frame occupies; the frame is clamped into the strip first. */
juce::Rectangle<int> sourceArea (int frame, int framesNum, int frameWidth, int frameHeight) noexcept;

/** Draws frame (clamped into the strip) of the image stretched over the destination. A null image or an
    empty frame draws nothing. The image is only read, never drawn into: it is shared between controls. */
void drawFrame (juce::Graphics& g, const juce::Image& image, int frame, int framesNum,
                juce::Rectangle<int> destination);
} // namespace FilmStrip
