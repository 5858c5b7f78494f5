#include "skin/displays/DisplayArithmetic.h"

#include <gtest/gtest.h>

using namespace DisplayArithmetic;

namespace
{
// Digits as text: ' ' hidden, '0'..'9' shown.
juce::String digitsText (const std::vector<NumericDigit>& digits)
{
    juce::String text;
    for (const auto& d : digits)
        text << (d.hidden ? juce::String (" ") : juce::String (d.digit));
    return text;
}

TEST (NumericDisplayDigits, ValuesLayoutsAndDragSteps)
{
    const struct
    {
        int digitsNum;
        double firstDigitOrder, value;
        int digitsCount;
        const char* shown;
    } cases[] = {
        {4, 100.0, 120.54, 4, "1205"},
        {4, 100.0, 120.56, 4, "1206"},
        {3, 100.0, -7.0, 3, "  7"},
        {2, 0.1, 0.05, 2, " 5"}, // fractions only: no ones digit
        {2, 10.0, 9.96, 2, "10"},
        {3, 100.0, 1234.0, 3, "999"},
        {2, 10.0, 1.0e30, 2, "99"},
        {2, 10.0, std::nan (""), 2, " 0"},
        {4, 100.0, 120.5, 2, "12"},
        {0, 1.0, 7.0, 1, "7"},
        {500, 0.0, 3.0, 15, "              3"}, // more digits than a double holds: 15
    };
    for (const auto& c : cases)
        EXPECT_EQ (digitsText (numericDigits (makeNumericLayout (c.digitsNum, c.firstDigitOrder), c.value,
                                              c.digitsCount)),
                   juce::String (c.shown))
            << c.digitsNum << " digits from " << c.firstDigitOrder << " showing " << c.value;

    EXPECT_DOUBLE_EQ (makeNumericLayout (2, 50.0).firstDigitOrder, 10.0);
    EXPECT_DOUBLE_EQ (makeNumericLayout (3, -10.0).firstDigitOrder, 100.0);
    EXPECT_DOUBLE_EQ (makeNumericLayout (1, 1.0e301).firstDigitOrder, 1.0);

    const auto layout = makeNumericLayout (3, 100.0);
    EXPECT_DOUBLE_EQ (numericDragStep (layout, false, 45, 30), 1.0); // beyond the last digit
    EXPECT_DOUBLE_EQ (numericDragStep (layout, false, -3, 30), 100.0);
    EXPECT_DOUBLE_EQ (numericDragStep (layout, false, 5, 0), 100.0); // no width to divide
    EXPECT_EQ (dragSteps (-10.0f, 0), 10);                           // no pixels per step: one
    EXPECT_EQ (dragSteps (-1.0e20f, 10), 10000000);
}

//==============================================================================
TEST (PatternNumberDigits, FramesInEveryMode)
{
    using Frames = std::array<int, 4>;
    const struct
    {
        PatternMode mode;
        int number, slotMax;
        bool enabled;
        Frames frames;
    } cases[] = {
        // note: "P.", letter, sharp (11) or natural (12), octave digit
        {PatternMode::note, 61, 12, true, {11, 11, 11, 6}},
        {PatternMode::note, 71, 12, true, {11, 17, 12, 6}},
        {PatternMode::note, 119, 12, true, {11, 17, 12, 10}},
        {PatternMode::note, 120, 12, true, {11, 11, 12, 0}}, // octave 10 has no digit: blank
        {PatternMode::note, 127, 12, true, {11, 15, 12, 0}},
        {PatternMode::note, 128, 12, true, {11, 0, 0, 0}},
        // numeric: two middle digits
        {PatternMode::numeric, 99, 12, true, {0, 10, 10, 0}},
        {PatternMode::numeric, 100, 12, true, {0, 0, 0, 0}},
        {PatternMode::numeric, -3, 12, true, {0, 0, 0, 0}},
        // bank and slot: bank digit from "1", separator, two slot digits
        {PatternMode::bankAndSlot, 12, 12, true, {2, 18, 2, 3}},
        {PatternMode::bankAndSlot, 16, 16, true, {2, 18, 2, 7}},
        {PatternMode::bankAndSlot, 5, 2, true, {3, 18, 1, 2}},   // slotMax 2 counts as 4
        {PatternMode::bankAndSlot, 17, 40, true, {3, 18, 1, 2}}, // slotMax 40 counts as 16
        {PatternMode::bankAndSlot, 36, 4, true, {10, 18, 1, 5}}, // bank 9
        {PatternMode::bankAndSlot, 37, 4, true, {0, 18, 1, 2}},  // bank 10: no digit for it
        {PatternMode::bankAndSlot, -13, 12, true, {0, 0, 0, 0}},
        {PatternMode::bankAndSlot, 13, 12, false, {0, 0, 0, 0}},
        {(PatternMode) 3, 13, 12, true, {0, 0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        const auto frames = patternNumberFrames ((int) c.mode, c.number, c.slotMax, c.enabled);
        EXPECT_EQ (frames, c.frames) << "mode " << (int) c.mode << " number " << c.number << " slots "
                                     << c.slotMax;
        for (size_t i = 0; i < frames.size(); ++i)
            EXPECT_LT (frames[i], patternDigitFramesNum[i]) << "digit " << i << " of " << c.number;
    }
    EXPECT_EQ (clampToRange (5, 10, 3), 10);
    EXPECT_EQ (clampSlotMax (0), 4);
}

TEST (NoteDisplayParts, FramesAndDragsStayWithinTheNotes)
{
    EXPECT_EQ (noteFrames (-5, false), (NoteFrames{1, 2, 1}));
    EXPECT_EQ (noteFrames (300, false), (NoteFrames{5, 2, 11}));
    EXPECT_EQ (noteAfterDrag (61, 45.0f), 59);
    EXPECT_EQ (noteAfterDrag (61, -19.0f), 61);
    EXPECT_EQ (noteAfterDrag (1, 100.0f), 0);
    EXPECT_EQ (noteAfterDrag (0, -2600.0f), 127);
}

//==============================================================================
TEST (BitmapFont, CarelessSkinNumbers)
{
    const struct
    {
        int width, height, fontHeight, first;
        int glyphWidth, glyphCount, last;
    } cases[] = {
        {7, 1728, 9, 32, 7, 96, 127}, //
        {7, 1728, 0, 32, 7, 1, 32},   // no font height: one glyph
        {0, 1728, 9, 32, 1, 96, 127}, // a zero-wide image is one pixel wide, never a division by zero
        {7, 5, 9, 32, 7, 1, 32},      // shorter than two glyphs
        {7, 1728, 2000000000, 32, 7, 1, 32},
    };
    for (const auto& c : cases)
    {
        const auto font = makeBitmapFont (c.width, c.height, c.fontHeight, c.first);
        EXPECT_EQ (font.glyphWidth, c.glyphWidth) << c.width << "x" << c.height << "/" << c.fontHeight;
        EXPECT_EQ (font.glyphCount, c.glyphCount) << c.width << "x" << c.height << "/" << c.fontHeight;
        EXPECT_EQ (font.lastASCII, c.last) << c.width << "x" << c.height << "/" << c.fontHeight;
    }
    const auto font = makeBitmapFont (7, 1728, 9, ' ');
    EXPECT_EQ (glyphIndex (font, 0x20ac), 95);
    EXPECT_EQ (glyphSource (font, 500, true), juce::Rectangle<int> (0, (96 + 95) * 9, 7, 9));
    EXPECT_EQ (cellCount (40, 0), 40);
    EXPECT_EQ (cellCount (-4, 7), 0);
}

TEST (BitmapFont, ScrollKeepsCaretInView)
{
    const struct
    {
        int scroll, caret, cells, length, expected;
    } cases[] = {
        {0, 10, 5, 10, 6}, // caret at the end: the last cell holds it
        {0, 7, 5, 10, 4},  // inside: one character after it shows too
        {6, 3, 5, 10, 2},  // moved left past the first cell: one character before it shows
        {6, 0, 5, 10, 0},  // Home
        {2, 4, 5, 10, 2},  // already in view
        {0, 0, 5, 0, 0},   // empty text
    };
    for (const auto& c : cases)
        EXPECT_EQ (adjustScroll (c.scroll, c.caret, c.cells, c.length), c.expected)
            << "scroll " << c.scroll << " caret " << c.caret;
}

//==============================================================================
TEST (KeyboardKeys, FrameFromNeighbours)
{
    const struct
    {
        int note, left, right, framesNum;
        std::vector<int> held;
        int frame;
    } cases[] = {
        {60, 0, 2, 8, {62}, 2},         // right neighbours from the farthest
        {60, 0, 2, 8, {61}, 1},         //
        {60, 2, 0, 8, {59}, 2},         // left neighbours from the nearest
        {0, 1, 1, 8, {0}, 4},           // no key below note 0: up
        {127, 1, 1, 8, {126, 127}, 5},  // no key above 127: up
        {60, 1, 1, 4, {60, 59, 61}, 3}, // a strip too short for its neighbours: its last frame
        {60, 1, 1, 0, {60, 61}, 0},     //
        {60, -2, 40, 8, {72}, 7},       // neighbour counts kept to the bits an int holds
        {60, -2, 40, 8, {73}, 0},       //
        {128, 1, 1, 8, {}, 0},
    };
    for (const auto& c : cases)
    {
        std::array<bool, 128> held{};
        for (const int n : c.held)
            held[(size_t) n] = true;
        EXPECT_EQ (keyFrame (c.note, c.left, c.right, c.framesNum, held), c.frame)
            << "key " << c.note << " left " << c.left << " right " << c.right;
    }
    EXPECT_TRUE (keyDependsOn (60, 1, 2, 62));
    EXPECT_FALSE (keyDependsOn (60, 1, 2, 63));
    EXPECT_FALSE (keyDependsOn (60, 1, 2, 58));
}

TEST (KeyboardKeys, PlainGeometry)
{
    const struct
    {
        int note;
        juce::Rectangle<float> bounds;
    } cases[] = {{60, {0.0f, 0.0f, 10.0f, 100.0f}},
                 {61, {7.0f, 0.0f, 6.0f, 60.0f}},
                 {66, {37.0f, 0.0f, 6.0f, 60.0f}},
                 {71, {60.0f, 0.0f, 10.0f, 100.0f}},
                 {59, {}}};
    for (const auto& c : cases)
        EXPECT_EQ (defaultKeyBounds (c.note, 60, 71, 70.0f, 100.0f), c.bounds) << c.note;

    // a range of one black key still has a width to divide by
    EXPECT_EQ (defaultKeyBounds (61, 61, 61, 70.0f, 100.0f),
               juce::Rectangle<float> (-21.0f, 0.0f, 42.0f, 60.0f));
    EXPECT_TRUE (defaultKeyBounds (60, 80, 20, 70.0f, 100.0f).isEmpty());
}
} // namespace
