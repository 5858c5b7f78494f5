#include "skin/controls/ControlFrames.h"

#include <cmath>

namespace ControlFrames
{
namespace
{
float clampUnit (float value) noexcept
{
    // A NaN from a broken parameter counts as 0 rather than reaching the float-to-int conversion.
    return std::isnan (value) ? 0.0f : juce::jlimit (0.0f, 1.0f, value);
}
} // namespace

int midiChannelOfValue (double value) noexcept
{
    return (int) std::floor (16.0f * clampUnit ((float) value) + 0.5f);
}

juce::String channelText (int channel)
{
    return channel == 0 ? juce::String ("ALL") : juce::String (channel);
}

int animationShownFrame (int frame, int framesNum, bool blinking, bool blinkOn) noexcept
{
    return blinking && blinkOn ? 0 : FilmStrip::clampFrame (frame, framesNum);
}

float animationDotDiameter (int frame, int framesNum) noexcept
{
    if (framesNum <= 1)
        return frame > 0 ? 10.0f : 0.0f;

    return 10.0f * (float) FilmStrip::clampFrame (frame, framesNum) / (float) (framesNum - 1);
}

//==============================================================================
int twoPositionOfValue (float value) noexcept
{
    return value > 0.5f ? 1 : 0; // false for a NaN
}

int switchFrame (int framesNum, float value) noexcept
{
    return framesNum == 2 ? twoPositionOfValue (value) : FilmStrip::switchFrame (framesNum, value);
}

int switchStyleOfWord (const juce::String& word, int currentStyle)
{
    if (word.equalsIgnoreCase ("Rotary"))
        return 2;
    if (word.equalsIgnoreCase ("Horizontal"))
        return 1;
    if (word.equalsIgnoreCase ("Vertical"))
        return 0;
    return currentStyle;
}

int buttonStyleOfWord (const juce::String& word, int currentStyle)
{
    if (word == "2D")
        return 0;
    if (word == "3D")
        return 1;
    return currentStyle;
}

int rockerTypeOfWord (const juce::String& word, int currentType)
{
    if (word == "vertical")
        return 0;
    if (word == "horizontal")
        return 1;
    return currentType;
}

int toggleFrame (int framesNum, bool on, bool overAndDown, bool enabled, bool blinkOn) noexcept
{
    if (!enabled || blinkOn)
        return 0;
    if (framesNum == 2)
        return on ? 1 : 0;
    if (framesNum == 4)
        return 2 * (on ? 1 : 0) + (overAndDown ? 1 : 0);
    return 0;
}

int multiStateOfValue (float normalised, int statesNum) noexcept
{
    return FilmStrip::animationFrame (statesNum, normalised);
}

int multiStateFrame (int style, int state, int statesNum, bool inverted, bool overAndDown,
                     bool blinkOn) noexcept
{
    const int states = juce::jmax (2, statesNum);
    const int pressed = overAndDown ? 1 : 0;
    const bool threeD = style == 1;

    int frame = 0;
    if (blinkOn)
    {
        frame = threeD ? pressed : 0;
    }
    else
    {
        const int shown = juce::jlimit (0, states - 1, state);
        const int base = inverted ? (shown == 0 ? states - 1 : 0) : shown;
        frame = threeD ? 2 * base + pressed : base;
    }
    return FilmStrip::clampFrame (frame, multiStateFramesNum (style, states));
}

float multiStateDotDiameter (int state, int statesNum) noexcept
{
    const int states = juce::jmax (2, statesNum);
    return 10.0f * (float) juce::jlimit (0, states - 1, state) / (float) (states - 1) + 2.0f;
}

//==============================================================================
int buttonClickEvent (const ClickEvents& events, bool ctrl, bool rightButton) noexcept
{
    if (ctrl)
        return events.ctrlClick;
    if (rightButton && events.rightClick != -1)
        return events.rightClick;
    return events.click;
}

int multiStateClickEvent (const ClickEvents& events, bool ctrl, bool shift, bool rightButton) noexcept
{
    if (ctrl && events.ctrlClick != -1)
        return events.ctrlClick;
    if (shift && events.shiftClick != -1)
        return events.shiftClick;
    if (rightButton && events.rightClick != -1)
        return events.rightClick;
    return events.click;
}

RockerPosition rockerHalf (int type, int x, int y, int width, int height) noexcept
{
    if (type == 1)
        return (float) x > (float) width * 0.5f ? rockerMore : rockerLess;
    return (float) y < (float) height * 0.5f ? rockerMore : rockerLess;
}

int rockerEvent (const RockerEvents& events, RockerPosition half, bool ctrl) noexcept
{
    if (half == rockerMore)
        return ctrl ? events.moreCtrl : events.more;
    if (half == rockerLess)
        return ctrl ? events.lessCtrl : events.less;
    return -1;
}
} // namespace ControlFrames
