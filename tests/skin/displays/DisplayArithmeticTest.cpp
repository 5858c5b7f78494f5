#include "skin/displays/DisplayArithmetic.h"

#include <gtest/gtest.h>

using namespace DisplayArithmetic;

namespace
{
// Digits written as text: ' ' hidden, '0'..'9' shown.
juce::String digitsText (const std::vector<NumericDigit>& digits)
{
    juce::String text;
    for (const auto& d : digits)
        text << (d.hidden ? juce::String (" ") : juce::String (d.digit));
    return text;
}

TEST (NumericDisplayDigits, ShowValueWithLeadingZerosHidden)
{
    const struct
    {
        int digitsNum;
        double firstDigitOrder;
        double value;
        int digitsCount;
        const char* shown;
    } cases[] = {
        {4, 100.0, 120.5, 4, "1205"},
        {4, 100.0, 30.0, 4, " 300"},
        {4, 100.0, 300.0, 4, "3000"},
        {4, 100.0, 120.54, 4, "1205"},
        {4, 100.0, 120.56, 4, "1206"},
        {3, 100.0, 7.0, 3, "  7"},
        {3, 100.0, 0.0, 3, "  0"},
        {3, 100.0, -7.0, 3, "  7"}, // the sign is a part of its own
        {2, 0.1, 0.05, 2, " 5"},    // no ones digit: fractions only
        {2, 10.0, 9.96, 2, "10"},   // rounding carries into the next digit
        // a value wider than the row saturates to nines instead of a digit past 9
        {3, 100.0, 1234.0, 3, "999"},
        {2, 10.0, 1.0e30, 2, "99"},
        {2, 10.0, std::nan (""), 2, " 0"},
        // fewer digit images than digits: the row is cut at the right
        {4, 100.0, 120.5, 2, "12"},
        {4, 100.0, 120.5, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ (digitsText (numericDigits (makeNumericLayout (c.digitsNum, c.firstDigitOrder), c.value,
                                              c.digitsCount)),
                   juce::String (c.shown))
            << c.digitsNum << " digits from " << c.firstDigitOrder << " showing " << c.value;
}

TEST (NumericDisplayDigits, LayoutRepairsSkinNumbers)
{
    const struct
    {
        int digitsNum;
        double firstDigitOrder;
        int expectedDigits;
        double expectedOrder;
        int expectedUnits;
    } cases[] = {
        {4, 100.0, 4, 100.0, 2}, {2, 50.0, 2, 10.0, 1},     {3, 0.0, 3, 100.0, 1},
        {3, -10.0, 3, 100.0, 1}, {2, 0.1, 2, 0.1, 3},       {0, 1.0, 1, 1.0, 1},
        {-4, 0.0, 1, 1.0, 1},    {500, 0.0, 15, 1.0e14, 1}, {2, std::nan (""), 2, 10.0, 1},
        {1, 1.0e301, 1, 1.0, 1},
    };
    for (const auto& c : cases)
    {
        const auto layout = makeNumericLayout (c.digitsNum, c.firstDigitOrder);
        EXPECT_EQ (layout.digitsNum, c.expectedDigits) << c.digitsNum << "/" << c.firstDigitOrder;
        EXPECT_DOUBLE_EQ (layout.firstDigitOrder, c.expectedOrder) << c.digitsNum << "/" << c.firstDigitOrder;
        EXPECT_EQ (layout.unitsDigitsNum, c.expectedUnits) << c.digitsNum << "/" << c.firstDigitOrder;
    }
}

TEST (NumericDisplayDigits, DragStepFollowsDigitUnderPointer)
{
    const auto layout = makeNumericLayout (3, 100.0);
    const struct
    {
        bool continuous;
        int x, width;
        double step;
    } cases[] = {{false, 0, 30, 100.0}, {false, 9, 30, 100.0}, {false, 10, 30, 10.0},
                 {false, 29, 30, 1.0},  {false, 45, 30, 1.0},  {false, -3, 30, 100.0},
                 {false, 5, 0, 100.0},  {true, 0, 30, 10.0},   {true, 29, 30, 10.0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ (numericDragStep (layout, c.continuous, c.x, c.width), c.step)
            << c.x << " of " << c.width << (c.continuous ? " continuous" : "");

    const struct
    {
        float deltaY;
        int pixelsPerStep, steps;
    } drags[] = {{0.0f, 10, 0},   {-9.4f, 10, 0}, {-9.6f, 10, 1},  {-45.0f, 10, 4},         {45.0f, 10, -4},
                 {-45.0f, 20, 2}, {19.0f, 20, 0}, {-10.0f, 0, 10}, {-1.0e20f, 10, 10000000}};
    for (const auto& d : drags)
        EXPECT_EQ (dragSteps (d.deltaY, d.pixelsPerStep), d.steps) << d.deltaY << " / " << d.pixelsPerStep;
}

TEST (NumericDisplayDigits, DigitFrames)
{
    EXPECT_EQ (numericDigitFrame ({0, false}, false), 1);
    EXPECT_EQ (numericDigitFrame ({9, false}, false), 10);
    EXPECT_EQ (numericDigitFrame ({9, true}, false), 0);
    EXPECT_EQ (numericDigitFrame ({5, false}, true), 0);
    EXPECT_EQ (numericDigitFrame ({12, false}, false), 10);
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
        {PatternMode::note, 60, 12, true, {11, 11, 12, 6}},
        {PatternMode::note, 0, 12, true, {11, 11, 12, 1}},
        {PatternMode::note, 71, 12, true, {11, 17, 12, 6}},
        {PatternMode::note, 119, 12, true, {11, 17, 12, 10}},
        {PatternMode::note, 120, 12, true, {11, 11, 12, 0}}, // octave 10 has no digit: blank
        {PatternMode::note, 127, 12, true, {11, 15, 12, 0}},
        {PatternMode::note, 128, 12, true, {11, 0, 0, 0}},
        {PatternMode::note, -1, 12, true, {11, 0, 0, 0}},
        // numeric: two middle digits
        {PatternMode::numeric, 7, 12, true, {0, 1, 8, 0}},
        {PatternMode::numeric, 16, 12, true, {0, 2, 7, 0}},
        {PatternMode::numeric, 99, 12, true, {0, 10, 10, 0}},
        {PatternMode::numeric, 100, 12, true, {0, 0, 0, 0}},
        {PatternMode::numeric, -3, 12, true, {0, 0, 0, 0}},
        // bank and slot: bank digit from "1", separator, two slot digits
        {PatternMode::bankAndSlot, 1, 12, true, {2, 18, 1, 2}},
        {PatternMode::bankAndSlot, 12, 12, true, {2, 18, 2, 3}},
        {PatternMode::bankAndSlot, 13, 12, true, {3, 18, 1, 2}},
        {PatternMode::bankAndSlot, 96, 12, true, {9, 18, 2, 3}},
        {PatternMode::bankAndSlot, 16, 16, true, {2, 18, 2, 7}},
        {PatternMode::bankAndSlot, 5, 2, true, {3, 18, 1, 2}},   // slotMax 2 counts as 4
        {PatternMode::bankAndSlot, 17, 40, true, {3, 18, 1, 2}}, // slotMax 40 counts as 16
        {PatternMode::bankAndSlot, 36, 4, true, {10, 18, 1, 5}}, // bank 9
        {PatternMode::bankAndSlot, 37, 4, true, {0, 18, 1, 2}},  // bank 10: no digit for it
        {PatternMode::bankAndSlot, 96, 4, true, {0, 18, 1, 5}},
        {PatternMode::bankAndSlot, 0, 12, true, {0, 0, 0, 0}},
        {PatternMode::bankAndSlot, -13, 12, true, {0, 0, 0, 0}},
        // disabled or unknown mode: blank
        {PatternMode::note, 61, 12, false, {0, 0, 0, 0}},
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
}

TEST (PatternNumberDigits, RangesAndSlots)
{
    const struct
    {
        int number, minimum, maximum, clamped;
    } cases[] = {{0, 1, 96, 1}, {1, 1, 96, 1}, {97, 1, 96, 96}, {50, 1, 96, 50}, {5, 10, 3, 10}};
    for (const auto& c : cases)
        EXPECT_EQ (clampToRange (c.number, c.minimum, c.maximum), c.clamped) << c.number;

    EXPECT_EQ (clampSlotMax (2), 4);
    EXPECT_EQ (clampSlotMax (0), 4);
    EXPECT_EQ (clampSlotMax (12), 12);
    EXPECT_EQ (clampSlotMax (40), 16);
}

//==============================================================================
TEST (NoteDisplayParts, FramesInNoteNotation)
{
    const struct
    {
        int note;
        bool blank;
        NoteFrames frames;
    } cases[] = {
        {61, false, {1, 1, 6}},   {60, false, {1, 2, 6}},   {0, false, {1, 2, 1}},    {11, false, {7, 2, 1}},
        {70, false, {6, 1, 6}},   {127, false, {5, 2, 11}}, {120, false, {1, 2, 11}}, {-5, false, {1, 2, 1}},
        {300, false, {5, 2, 11}}, {61, true, {0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ (noteFrames (c.note, c.blank), c.frames) << c.note;
}

TEST (NoteDisplayParts, DragMovesOneNotePerTwentyPixels)
{
    const struct
    {
        int start;
        float deltaY;
        int note;
    } cases[] = {{61, -45.0f, 63},    {61, 45.0f, 59}, {61, -19.0f, 61},
                 {126, -100.0f, 127}, {1, 100.0f, 0},  {0, -2600.0f, 127}};
    for (const auto& c : cases)
        EXPECT_EQ (noteAfterDrag (c.start, c.deltaY), c.note) << c.start << " by " << c.deltaY;
}

TEST (NoteDisplayParts, PartsLieSideBySideAsHighAsTheHighest)
{
    std::array<juce::Rectangle<int>, 3> parts{juce::Rectangle<int> (10, 16), juce::Rectangle<int> (8, 20),
                                              juce::Rectangle<int> (12, 16)};
    EXPECT_EQ (layOutNoteParts (parts), juce::Point<int> (30, 20));
    EXPECT_EQ (parts[0], juce::Rectangle<int> (0, 0, 10, 16));
    EXPECT_EQ (parts[1], juce::Rectangle<int> (10, 0, 8, 20));
    EXPECT_EQ (parts[2], juce::Rectangle<int> (18, 0, 12, 16));

    std::array<juce::Rectangle<int>, 3> equal{juce::Rectangle<int> (10, 16), juce::Rectangle<int> (10, 16),
                                              juce::Rectangle<int> (10, 16)};
    EXPECT_EQ (layOutNoteParts (equal), juce::Point<int> (30, 16));
}

//==============================================================================
TEST (BitmapFont, GlyphsOfTheFontStrip)
{
    const auto font = makeBitmapFont (7, 1728, 9, ' ');
    EXPECT_EQ (font.glyphWidth, 7);
    EXPECT_EQ (font.glyphCount, 96);
    EXPECT_EQ (font.lastASCII, 127);

    const struct
    {
        juce::juce_wchar character;
        int glyph;
    } glyphs[] = {{' ', 0}, {'A', 33}, {127, 95}, {128, 95}, {200, 95}, {10, 0}, {0x20ac, 95}};
    for (const auto& g : glyphs)
        EXPECT_EQ (glyphIndex (font, g.character), g.glyph) << (int) g.character;

    EXPECT_EQ (glyphSource (font, 33, false), juce::Rectangle<int> (0, 33 * 9, 7, 9));
    EXPECT_EQ (glyphSource (font, 33, true), juce::Rectangle<int> (0, (96 + 33) * 9, 7, 9));
    EXPECT_EQ (glyphSource (font, 500, false), juce::Rectangle<int> (0, 95 * 9, 7, 9));
}

TEST (BitmapFont, CarelessSkinNumbers)
{
    const struct
    {
        int width, height, fontHeight, first;
        int glyphWidth, glyphCount, last;
    } cases[] = {
        {7, 1728, 0, 32, 7, 1, 32},   // no font height: one glyph
        {7, 1728, -3, 65, 7, 1, 65},  //
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
    EXPECT_EQ (cellCount (40, 7), 5);
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
        {0, 3, 5, 10, 0},  // already in view
        {2, 4, 5, 10, 2},  //
        {0, 0, 5, 0, 0},   // empty text
    };
    for (const auto& c : cases)
        EXPECT_EQ (adjustScroll (c.scroll, c.caret, c.cells, c.length), c.expected)
            << "scroll " << c.scroll << " caret " << c.caret;

    EXPECT_EQ (firstShownCharacter (0, true, 10, 4), -3);
    EXPECT_EQ (firstShownCharacter (0, false, 10, 4), 0);
    EXPECT_EQ (firstShownCharacter (2, true, 5, 10), 2);
}

TEST (BitmapFont, FloatTextKeepsDotOutOfLastCell)
{
    const struct
    {
        double value;
        int cells;
        const char* text;
    } cases[] = {{1234.5, 5, " 1234.5"}, {1234.5, 7, "1234.5"}, {12.5, 3, " 12.5"},   {0.5, 1, "0.5"},
                 {120.0, 3, "120"},      {-1.5, 3, " -1.5"},    {1.0e20, 4, "1e+20"}, {7.25, 0, "7.25"}};
    for (const auto& c : cases)
        EXPECT_EQ (floatDisplayText (c.value, c.cells), juce::String (c.text))
            << c.value << " in " << c.cells;
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
        {60, 1, 1, 8, {}, 0},
        {60, 1, 1, 8, {61}, 2},
        {60, 1, 1, 8, {59}, 1},
        {60, 1, 1, 8, {59, 61}, 3},
        {60, 1, 1, 8, {60, 59}, 5},
        {60, 1, 1, 8, {60, 59, 61}, 7},
        {60, 1, 1, 8, {62, 58}, 0}, // beyond the neighbours
        {60, 0, 2, 8, {62}, 2},     // right neighbours from the farthest
        {60, 0, 2, 8, {61}, 1},
        {60, 2, 0, 8, {59}, 2},         // left neighbours from the nearest
        {0, 1, 1, 8, {0}, 4},           // no key below note 0: up
        {127, 1, 1, 8, {126, 127}, 5},  // no key above 127: up
        {60, 1, 1, 4, {60, 59, 61}, 3}, // a strip too short for its neighbours: its last frame
        {60, 1, 1, 0, {60, 61}, 0},
        {60, -2, 40, 8, {72}, 7}, // neighbour counts kept to the bits an int
                                  // holds
        {60, -2, 40, 8, {73}, 0},
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
    EXPECT_TRUE (keyDependsOn (60, 1, 2, 59));
    EXPECT_FALSE (keyDependsOn (60, 1, 2, 63));
    EXPECT_FALSE (keyDependsOn (60, 1, 2, 58));
    EXPECT_TRUE (keyDependsOn (0, 3, 0, -1)); // harmless: no such note ever changes
}

TEST (KeyboardKeys, DefaultGeometry)
{
    const struct
    {
        int note;
        juce::Rectangle<float> bounds;
    } cases[] = {{60, {0.0f, 0.0f, 10.0f, 100.0f}},
                 {61, {7.0f, 0.0f, 6.0f, 60.0f}},
                 {62, {10.0f, 0.0f, 10.0f, 100.0f}},
                 {66, {37.0f, 0.0f, 6.0f, 60.0f}},
                 {71, {60.0f, 0.0f, 10.0f, 100.0f}},
                 {59, {}},
                 {72, {}}};
    for (const auto& c : cases)
        EXPECT_EQ (defaultKeyBounds (c.note, 60, 71, 70.0f, 100.0f), c.bounds) << c.note;

    // a range of one black key still has a width to divide by
    EXPECT_EQ (defaultKeyBounds (61, 61, 61, 70.0f, 100.0f),
               juce::Rectangle<float> (-21.0f, 0.0f, 42.0f, 60.0f));
    EXPECT_TRUE (defaultKeyBounds (60, 80, 20, 70.0f, 100.0f).isEmpty());
}
} // namespace
