#pragma once

#include "skin/controller/FilmStrip.h"

#include <juce_core/juce_core.h>

/** The arithmetic of the film-strip controls beyond the value-to-frame rounding of FilmStrip: the frames of
    buttons, the stand-by pictures' sizes, which event a click fires, how a skin word selects a style. The
    controls and their tests call the same functions. Pure functions; any thread.

    Every frame returned lies within the control's strip, whatever state or count a skin or an editor sets. */
namespace ControlFrames
{
/** The channel a channel selector's value stands for: 0 all channels, 1 to 16 one channel. */
int midiChannelOfValue (double value) noexcept;

/** "ALL" for channel 0, else the channel number. */
juce::String channelText (int channel);

/** The frame an animation draws: frame 0 during the on phase of blinking, else its frame kept inside the
    strip. */
int animationShownFrame (int frame, int framesNum, bool blinking, bool blinkOn) noexcept;

/** The stand-by animation's dot, in pixels (0 to 10). A one-frame animation has no steps to divide by: it
    is a plain light, dot full while its frame is above 0 (the MIDI activity light sets frame 1 whatever the
    strip says). */
float animationDotDiameter (int frame, int framesNum) noexcept;

//==============================================================================
/** The bender's slider runs -1..1 and its parameter 0..1. */
inline float benderValueOfNormalised (float normalised) noexcept
{
    return 2.0f * normalised - 1.0f;
}

inline float normalisedOfBenderValue (double value) noexcept
{
    return (float) ((value + 1.0) * 0.5);
}

//==============================================================================
/** The position of a two-position switch (one whose strip holds two frames) for its value: 1 only above
    the middle, 0 at or below it (a NaN reads as 0). The synthesis reads its two-state parameters the same
    way, so a host's 0.5 shows the position that sounds, which the halfway rounding of FilmStrip would not.
 */
int twoPositionOfValue (float value) noexcept;

/** A switch's frame for its value 0..1: the two-position rule for a strip of two frames, the halfway
    rounding of FilmStrip::switchFrame for any other count. */
int switchFrame (int framesNum, float value) noexcept;

/** A switch's "style" word ("Rotary" 2, "Horizontal" 1, "Vertical" 0, any case); other words keep the
    current style. */
int switchStyleOfWord (const juce::String& word, int currentStyle);

/** A button's "style" word ("2D" 0, "3D" 1, exact); other words keep the current style. */
int buttonStyleOfWord (const juce::String& word, int currentStyle);

/** A rocker's "type" word ("vertical" 0, "horizontal" 1, exact); other words keep the current type. */
int rockerTypeOfWord (const juce::String& word, int currentType);

/** The frames a toggle button uses: 2 for "2D", 4 for "3D" (the skin's own count is ignored). */
inline int toggleFramesNum (int style) noexcept
{
    return style == 1 ? 4 : 2;
}

/** The frames a multi-state button uses: one per state, twice that for "3D". */
inline int multiStateFramesNum (int style, int statesNum) noexcept
{
    return style == 1 ? 2 * statesNum : statesNum;
}

/** A toggle button's frame; frame 0 while disabled or in the on phase of blinking. */
int toggleFrame (int framesNum, bool on, bool overAndDown, bool enabled, bool blinkOn) noexcept;

/** The state a multi-state button takes from its parameter's normalised value (clamped to 0..1). */
int multiStateOfValue (float normalised, int statesNum) noexcept;

/** A multi-state button's frame; "inverted" swaps the pictures of state 0 and the others. */
int multiStateFrame (int style, int state, int statesNum, bool inverted, bool overAndDown,
                     bool blinkOn) noexcept;

/** The stand-by multi-state button's dot, in pixels (2 to 12). */
float multiStateDotDiameter (int state, int statesNum) noexcept;

//==============================================================================
/** The event identifiers of one control, -1 where the skin set none. */
struct ClickEvents
{
    int click = -1;
    int ctrlClick = -1;
    int shiftClick = -1;
    int rightClick = -1;
};

/** A plain button: Ctrl fires only its own event; a right click falls back to the plain click's event.
    -1 fires nothing. */
int buttonClickEvent (const ClickEvents& events, bool ctrl, bool rightButton) noexcept;

/** A multi-state button: the first set event of Ctrl, Shift, right button, plain click. */
int multiStateClickEvent (const ClickEvents& events, bool ctrl, bool shift, bool rightButton) noexcept;

/** The rocker's positions. */
enum RockerPosition
{
    rockerLess = 0,
    rockerRest = 1,
    rockerMore = 2
};

/** The half a press lands on: a vertical rocker's upper half and a horizontal rocker's right half are
    "more". */
RockerPosition rockerHalf (int type, int x, int y, int width, int height) noexcept;

/** The rocker's "less" and "more" events, plain and with Ctrl. */
struct RockerEvents
{
    int less = -1;
    int more = -1;
    int lessCtrl = -1;
    int moreCtrl = -1;
};

/** The event a press on that half fires (-1 none). */
int rockerEvent (const RockerEvents& events, RockerPosition half, bool ctrl) noexcept;
} // namespace ControlFrames
