#include "skin/controls/ControlFrames.h"

#include <gtest/gtest.h>

using namespace ControlFrames;

namespace
{
TEST (ControlFrames, ChannelSelectorValueNamesChannelAndText)
{
    const struct
    {
        double value;
        int channel;
        const char* text;
    } cases[] = {{0.0, 0, "ALL"}, {0.03, 0, "ALL"}, {1.0 / 16.0, 1, "1"},
                 {0.5, 8, "8"},   {1.0, 16, "16"},  {1.7, 16, "16"}};
    for (const auto& c : cases)
    {
        EXPECT_EQ (midiChannelOfValue (c.value), c.channel) << c.value;
        EXPECT_EQ (channelText (midiChannelOfValue (c.value)), juce::String (c.text)) << c.value;
    }
}

TEST (ControlFrames, AnimationShownFrameAndStandByDot)
{
    const struct
    {
        int frame, framesNum;
        bool blinking, blinkOn;
        int shown;
        float dot;
    } cases[] = {
        {3, 5, false, false, 3, 7.5f},
        {3, 5, true, false, 3, 7.5f},
        {3, 5, true, true, 0, 7.5f},
        {0, 5, false, false, 0, 0.0f},
        {9, 5, false, false, 4, 10.0f},
        // a one-frame animation is a plain light: no division by its (frames - 1)
        {1, 1, false, false, 0, 10.0f},
        {0, 1, false, false, 0, 0.0f},
        {1, 0, false, false, 0, 10.0f},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ (animationShownFrame (c.frame, c.framesNum, c.blinking, c.blinkOn), c.shown)
            << c.frame << "/" << c.framesNum;
        EXPECT_FLOAT_EQ (animationDotDiameter (c.frame, c.framesNum), c.dot) << c.frame << "/" << c.framesNum;
    }
}

TEST (ControlFrames, WordsStylesAndTypes)
{
    EXPECT_EQ (switchStyleOfWord ("rotary", 0), 2);
    EXPECT_EQ (switchStyleOfWord ("HORIZONTAL", 2), 1);
    EXPECT_EQ (switchStyleOfWord ("Vertical", 2), 0);
    EXPECT_EQ (switchStyleOfWord ("diagonal", 1), 1);
    EXPECT_EQ (buttonStyleOfWord ("3D", 0), 1);
    EXPECT_EQ (buttonStyleOfWord ("2D", 1), 0);
    EXPECT_EQ (buttonStyleOfWord ("3d", 0), 0);
    EXPECT_EQ (rockerTypeOfWord ("horizontal", 0), 1);
    EXPECT_EQ (rockerTypeOfWord ("vertical", 1), 0);
    EXPECT_EQ (rockerTypeOfWord ("Horizontal", 0), 0);
}

TEST (ControlFrames, BenderValueAndNormalisedRoundTrip)
{
    const struct
    {
        float normalised, value;
    } cases[] = {{0.0f, -1.0f}, {0.5f, 0.0f}, {0.75f, 0.5f}, {1.0f, 1.0f}};
    for (const auto& c : cases)
    {
        EXPECT_FLOAT_EQ (benderValueOfNormalised (c.normalised), c.value);
        EXPECT_FLOAT_EQ (normalisedOfBenderValue (c.value), c.normalised);
    }
}

TEST (ControlFrames, ToggleFramesStyleStateAndBlinking)
{
    const struct
    {
        int style;
        bool on, overAndDown, enabled, blinkOn;
        int expected;
    } cases[] = {
        {0, false, false, true, false, 0}, {0, true, false, true, false, 1}, {0, true, true, true, false, 1},
        {1, false, false, true, false, 0}, {1, false, true, true, false, 1}, {1, true, false, true, false, 2},
        {1, true, true, true, false, 3},   {1, true, true, false, false, 0}, {1, true, true, true, true, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ (toggleFrame (toggleFramesNum (c.style), c.on, c.overAndDown, c.enabled, c.blinkOn),
                   c.expected)
            << "style " << c.style << " on " << c.on << " pressed " << c.overAndDown;
    EXPECT_EQ (toggleFrame (7, true, true, true, false), 0);
}

TEST (ControlFrames, MultiStateFramesStateStyleInversionAndBlinking)
{
    const struct
    {
        int style, state, statesNum;
        bool inverted, overAndDown, blinkOn;
        int expected;
    } cases[] = {
        {0, 0, 3, false, false, false, 0},
        {0, 2, 3, false, false, false, 2},
        {1, 1, 3, false, false, false, 2},
        {1, 1, 3, false, true, false, 3},
        {1, 2, 3, false, true, false, 5},
        {0, 0, 3, true, false, false, 2},
        {0, 1, 3, true, false, false, 0},
        {1, 0, 3, true, true, false, 5},
        {1, 2, 3, true, false, false, 0},
        {0, 2, 3, false, false, true, 0},
        {1, 2, 3, false, true, true, 1},
        {1, 2, 3, false, false, true, 0},
        // a state beyond the strip stays on it
        {0, 7, 3, false, false, false, 2},
        {1, 7, 3, false, true, false, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ (multiStateFrame (c.style, c.state, c.statesNum, c.inverted, c.overAndDown, c.blinkOn),
                   c.expected)
            << "style " << c.style << " state " << c.state << " inverted " << c.inverted;

    EXPECT_EQ (multiStateOfValue (0.5f, 3), 1);
    EXPECT_EQ (multiStateOfValue (0.24f, 3), 0);
    EXPECT_EQ (multiStateOfValue (1.0f, 3), 2);
    EXPECT_EQ (multiStateFramesNum (1, 3), 6);
    EXPECT_FLOAT_EQ (multiStateDotDiameter (0, 3), 2.0f);
    EXPECT_FLOAT_EQ (multiStateDotDiameter (2, 3), 12.0f);
}

TEST (ControlFrames, ClickTablesButtonAndMultiStateChooseTheirEvent)
{
    const ClickEvents all{1, 2, 3, 4};
    const ClickEvents clickAndCtrl{1, 2, -1, -1};
    const ClickEvents ctrlOnly{-1, 2, -1, -1};
    const struct
    {
        const ClickEvents& events;
        bool ctrl, shift, right;
        int button, multiState;
    } cases[] = {
        {all, false, false, false, 1, 1},
        {all, true, false, false, 2, 2},
        {all, false, true, false, 1, 3},
        {all, false, false, true, 4, 4},
        {all, true, true, true, 2, 2},
        {all, false, true, true, 4, 3},
        {clickAndCtrl, false, false, true, 1, 1},
        {clickAndCtrl, false, true, false, 1, 1},
        {ctrlOnly, false, false, false, -1, -1},
        {ctrlOnly, true, false, false, 2, 2},
        {ClickEvents{1, -1, -1, -1}, true, false, false, -1, 1},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ (buttonClickEvent (c.events, c.ctrl, c.right), c.button)
            << "ctrl " << c.ctrl << " shift " << c.shift << " right " << c.right;
        EXPECT_EQ (multiStateClickEvent (c.events, c.ctrl, c.shift, c.right), c.multiState)
            << "ctrl " << c.ctrl << " shift " << c.shift << " right " << c.right;
    }
}

TEST (ControlFrames, ClickTablesRockerHalvesAndEvents)
{
    const RockerEvents events{10, 20, 11, 21};
    const struct
    {
        int type, x, y;
        bool ctrl;
        RockerPosition half;
        int event;
    } cases[] = {
        {0, 5, 0, false, rockerMore, 20},  {0, 5, 9, false, rockerMore, 20},
        {0, 5, 10, false, rockerLess, 10}, {0, 5, 19, true, rockerLess, 11},
        {0, 5, 2, true, rockerMore, 21},   {1, 21, 5, false, rockerMore, 20},
        {1, 20, 5, false, rockerLess, 10}, {1, 39, 5, true, rockerMore, 21},
        {1, 0, 5, true, rockerLess, 11},
    };
    for (const auto& c : cases)
    {
        const auto half = rockerHalf (c.type, c.x, c.y, 40, 20);
        EXPECT_EQ (half, c.half) << "type " << c.type << " at " << c.x << "," << c.y;
        EXPECT_EQ (rockerEvent (events, half, c.ctrl), c.event)
            << "type " << c.type << " at " << c.x << "," << c.y;
    }
    EXPECT_EQ (rockerEvent (RockerEvents{}, rockerMore, false), -1);
}
} // namespace
