#pragma once

#include <functional>
#include <juce_graphics/juce_graphics.h>
#include <vector>

/** The pictures of the product's front panel, drawn from code: every film strip is painted frame by frame
    at twice its size and averaged down 2 x 2, so edges are anti-aliased the same way on every machine.
    The same input always gives the same pixels (no clock, no random source but a fixed-seed one).

    Painters draw in 1x coordinates; the strip builder scales the context. Message thread (fonts). */
namespace PanelArtwork
{
//==============================================================================
// The palette: one hue per section of the panel, one warm colour for every light.

namespace Palette
{
const juce::Colour face (0xff2c2e32);
const juce::Colour faceDark (0xff1f2124);
const juce::Colour engraveDark (0xff141517);
const juce::Colour engraveLight (0xff44474d);
const juce::Colour silk (0xffece3cf);
const juce::Colour silkDim (0xffa8a090);
const juce::Colour ledOn (0xffff7a1c);
const juce::Colour ledGlow (0xffffa050);
const juce::Colour ledOff (0xff3b1a10);
const juce::Colour window (0xff130b08);
const juce::Colour segmentOn (0xffff8a2a);
const juce::Colour segmentGhost (0xff2a150d);

const juce::Colour oscillator (0xffd6a449);
const juce::Colour filter (0xff58a6a6);
const juce::Colour envelope (0xffcf6e5e);
const juce::Colour distortion (0xff9c82c6);
const juce::Colour output (0xff8fa4ba);
const juce::Colour arpeggiator (0xff88b462);
const juce::Colour sequencer (0xffe0903e);
} // namespace Palette

/** Draws frame `frame` of a strip into a context already scaled to the strip's 1x size. */
using FramePainter = std::function<void (juce::Graphics&, int frame)>;

/** A vertical film strip of framesNum frames of width x frameHeight, each painted at 2x and averaged
    down. Alpha is kept (the frames lie over the panel's face). */
juce::Image makeStrip (int width, int frameHeight, int framesNum, const FramePainter& paint);

/** Averages each 2 x 2 block of an image of even size into one pixel (premultiplied, rounded to
    nearest); the result is half as wide and half as high. */
juce::Image halve (const juce::Image& image);

//==============================================================================
// Control pictures (1x coordinates inside the frame's bounds)

/** A rotary knob: black cap, bright pointer, a groove with the value arc in the hue (from the middle
    when bipolar), scale dots. Proportion 0..1 maps to -135..+135 degrees. */
void paintKnob (juce::Graphics& g, juce::Rectangle<float> area, float proportion, juce::Colour hue,
                bool bipolar);

/** A rotary selector: a small readout window with the position's text over a pointer knob, one dot per
    position with the chosen one lit. */
void paintSelector (juce::Graphics& g, juce::Rectangle<float> area, int position,
                    const juce::StringArray& texts, juce::Colour hue);

/** A two-position slide switch, lever left (0) or right (1). */
void paintSlideSwitch (juce::Graphics& g, juce::Rectangle<float> area, int position);

enum class CapColour
{
    light,
    dark,
    grey,
    accent
};

enum class CapLight
{
    none,
    off,
    on
};

/** A key cap, pressed one pixel down, with an optional light in its upper part. */
void paintKey (juce::Graphics& g, juce::Rectangle<float> area, CapColour colour, bool pressed,
               CapLight light);

/** A round light with its glow; off shows the dark lens. */
void paintLed (juce::Graphics& g, juce::Rectangle<float> area, bool on);

/** A flat bar light (the length lights). */
void paintBarLed (juce::Graphics& g, juce::Rectangle<float> area, bool on);

/** A two-way rocker: position 0 the left half held, 1 at rest, 2 the right half held. */
void paintRocker (juce::Graphics& g, juce::Rectangle<float> area, int position);

//==============================================================================
// Seven-segment digits and the bitmap font

/** Segment bits: a = 1 (top), b = 2, c = 4, d = 8, e = 16, f = 32, g = 64 (middle), point = 128. */
int segmentsOfCharacter (juce::juce_wchar character) noexcept;

/** One digit cell on the display window: every segment drawn, lit ones in the light colour. A sharp sign
    is drawn as its own glyph when sharp is set. */
void paintSegments (juce::Graphics& g, juce::Rectangle<float> area, int segments, bool sharp = false);

/** One cell of the display font, drawn from the embedded face: plain (light on the window) or highlighted
    (window on light, the caret's cell). A glyph wider than the cell is narrowed to fit. */
void paintGlyph (juce::Graphics& g, juce::Rectangle<float> cell, juce::juce_wchar character, bool highlighted,
                 float pointHeight);

//==============================================================================
// The panel's face

/** Brushed graphite with a fixed-seed grain, darker at the edges. */
void paintFace (juce::Graphics& g, juce::Rectangle<int> area);

/** An engraved section frame with its title cut into the top edge and a short stripe of the hue. */
void paintSection (juce::Graphics& g, juce::Rectangle<float> area, const juce::String& title,
                   juce::Colour hue);

/** A recessed dark window (the LED displays sit in it). */
void paintWindow (juce::Graphics& g, juce::Rectangle<float> area);

/** The font of the silk-screened texts: the embedded face, slightly spaced out. */
juce::Font silkFont (float height, bool bold);

/** Silk-screened text in the embedded face. */
void paintSilk (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
                juce::Justification justification, float height, bool bold, juce::Colour colour);

/** The product's name plate. */
void paintLogo (juce::Graphics& g, juce::Rectangle<float> area);

/** A countersunk screw head. */
void paintScrew (juce::Graphics& g, juce::Point<float> centre);
} // namespace PanelArtwork
