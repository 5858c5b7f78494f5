#include "skin/SkinTestSupport.h"
#include "skin/displays/NoteDisplay.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"

using namespace SkinTest;

namespace
{
class DigitDisplays : public SourceTest
{
protected:
    DigitDisplays()
    {
        embed ({{"digit.png", makeStrip (11, 10, 20)},
                {"sign.png", makeStrip (2, 10, 20)},
                {"first.png", makeStrip (12, 10, 20)},
                {"second.png", makeStrip (19, 10, 20)},
                {"third.png", makeStrip (13, 10, 20)},
                {"fourth.png", makeStrip (11, 10, 20)},
                {"notes.png", makeStrip (9, 10, 16)},
                {"tones.png", makeStrip (3, 8, 16)},
                {"octaves.png", makeStrip (13, 12, 16)}});
    }

    static std::vector<int> digitFrames (NumericDisplay& display)
    {
        return frames (display, display.getNumDigits());
    }
    static std::vector<int> digitFrames (PatternNumberDisplay& display) { return frames (display, 4); }

    template <typename Display>
    static std::vector<int> frames (Display& display, int digits)
    {
        std::vector<int> shown;
        for (int i = 0; i < digits; ++i)
            shown.push_back (frameAt (display, display.getDigit (i)->getBounds().getCentre()));
        return shown;
    }

    static std::vector<int> partFrames (NoteDisplay& display)
    {
        std::vector<int> frames;
        for (const auto part :
             {NoteDisplay::letterPart, NoteDisplay::accidentalPart, NoteDisplay::octavePart})
            frames.push_back (frameAt (display, display.getPartBounds (part).getCentre()));
        return frames;
    }
};

juce::String numericXml (const juce::String& attributes, const juce::String& children)
{
    return "<NumericDisplay name='n' " + attributes + ">" + children + "</NumericDisplay>";
}

//==============================================================================
TEST_F (DigitDisplays, NumericDigitsShowTheirFramesFromTheStrips)
{
    const struct
    {
        const char* attributes;
        double value;
        std::vector<int> frames; // digit + 1, 0 blank
        int signFrame;           // -1: no sign
    } cases[] = {
        {"digitsNum='4' firstDigitOrder='100' minValue='30' maxValue='300'", 120.5, {2, 3, 1, 6}, -1},
        {"digitsNum='4' firstDigitOrder='100' minValue='30' maxValue='300'", 30.0, {0, 4, 1, 1}, -1},
        {"digitsNum='4' firstDigitOrder='100' minValue='30' maxValue='300'", 301.0, {4, 1, 1, 1}, -1},
        {"digitsNum='3' firstDigitOrder='100' maxValue='999'", 7.0, {0, 0, 8}, -1},
        // a maximum wider than the digits: every digit stays within its strip
        {"digitsNum='3' firstDigitOrder='100' maxValue='5000'", 1234.0, {10, 10, 10}, -1},
        {"digitsNum='2' firstDigitOrder='50' maxValue='99'", 42.0, {5, 3}, -1}, // 50 is no place: 10
        {"digitsNum='2' firstDigitOrder='10' minValue='-12' maxValue='12'", -5.0, {0, 6}, 1},
        {"digitsNum='2' firstDigitOrder='10' minValue='-12' maxValue='12'", 11.0, {2, 2}, 0},
        {"digitsNum='2' firstDigitOrder='10' minValue='-12' maxValue='12'", -40.0, {2, 3}, 1},
    };
    for (const auto& c : cases)
    {
        NumericDisplay display ("n");
        load (display,
              numericXml (c.attributes, "<size width='40' height='20'/><digits resource='digit.png'/>"
                                        "<sign><gfx resource='sign.png'/></sign>"));
        display.setValue (c.value, false);
        EXPECT_EQ (digitFrames (display), c.frames) << c.attributes << " showing " << c.value;
        if (c.signFrame < 0)
        {
            EXPECT_EQ (display.getSign(), nullptr) << c.attributes;
            continue;
        }
        ASSERT_NE (display.getSign(), nullptr) << c.attributes;
        EXPECT_EQ (frameAt (display, display.getSign()->getBounds().getCentre()), c.signFrame) << c.value;
    }
}

TEST_F (DigitDisplays, NumericDigitsBlankWhileDisabledOrBlinking)
{
    NumericDisplay display ("n");
    load (display, numericXml ("digitsNum='2' firstDigitOrder='10' minValue='-20' maxValue='20'",
                               "<digits resource='digit.png'/><sign><gfx resource='sign.png'/></sign>"));
    display.setValue (-13.0, false);
    EXPECT_EQ (digitFrames (display), (std::vector<int>{2, 4}));

    display.getDigit (1)->setBlinking (true);
    display.getDigit (1)->blinkTick();
    EXPECT_EQ (digitFrames (display), (std::vector<int>{2, 0}));
    display.getDigit (1)->blinkTick();
    EXPECT_EQ (digitFrames (display), (std::vector<int>{2, 4}));

    display.setEnabled (false);
    EXPECT_EQ (digitFrames (display), (std::vector<int>{0, 0}));
    EXPECT_EQ (frameAt (display, display.getSign()->getBounds().getCentre()), 0);
}

TEST_F (DigitDisplays, NumericPlacesAndSizes)
{
    const struct
    {
        const char* attributes;
        const char* children;
        int digits;
        juce::Rectangle<int> bounds;
        bool sign;
    } cases[] = {
        {"digitsNum='3'", "<size width='30' height='12'/><pos left='5' top='6'/>", 3, {5, 6, 30, 12}, false},
        {"digitsNum='3' minValue='-1'", "<size width='40' height='12'/>", 3, {0, 0, 40, 12}, true},
        // places of no width are one pixel wide, never a division by zero
        {"digitsNum='3'", "<size width='0' height='0'/>", 3, {0, 0, 3, 1}, false},
        {"digitsNum='0'", "<size width='-8' height='5'/>", 1, {0, 0, 1, 5}, false},
        {"digitsNum='4'",
         "<digits><gfx resource='digit.png'/><gfx resource='digit.png'/></digits>",
         2,
         {0, 0, 20, 20},
         false},
        {"digitsNum='2'",
         "<digits><gfx resource='digit.png'/><gfx resource='digit.png'/><gfx resource='digit.png'/></digits>",
         2,
         {0, 0, 20, 20},
         false},
        {"digitsNum='2'",
         "<size width='14' height='9'/><digits resource='absent.png'/>",
         2,
         {0, 0, 14, 9},
         false},
        {"digitsNum='2'", "<digits/>", 0, {0, 0, 0, 0}, false},
    };
    for (const auto& c : cases)
    {
        NumericDisplay display ("n");
        load (display, numericXml (c.attributes, c.children));
        EXPECT_EQ (display.getNumDigits(), c.digits) << c.attributes << c.children;
        EXPECT_EQ (display.getBounds(), c.bounds) << c.attributes << c.children;
        EXPECT_EQ (display.getSign() != nullptr, c.sign) << c.attributes << c.children;
    }

    // another tag reads only links and actions
    NumericDisplay other ("n");
    load (other, "<Knob name='n' digitsNum='3'><size width='30' height='12'/></Knob>");
    EXPECT_EQ (other.getNumDigits(), 0);
}

TEST_F (DigitDisplays, NumericDragStepsByTheDigitUnderThePointerInOneGesture)
{
    const struct
    {
        const char* control;
        float x;
        int deltaY;
        double value;
    } cases[] = {
        {"", 0, -10, 600.0},          {"", 9, -25, 700.0},  {"", 10, -10, 510.0},
        {"", 29, -10, 501.0},         {"", 29, 34, 497.0},  {"", 0, -9, 500.0},
        {"", 0, -200, 999.0},         {"", 0, 200, -999.0}, {"continous", 0, -10, 510.0},
        {"continous", 29, 20, 480.0},
    };
    for (const auto& c : cases)
    {
        NumericDisplay display ("n");
        load (display,
              numericXml (
                  juce::String ("digitsNum='3' firstDigitOrder='100' minValue='-999' "
                                "maxValue='999' control='") +
                      c.control + "'",
                  "<size width='40' height='10'/><links><link as='connectedTo' param='Tempo'/></links>"));
        auto& tempo = parameter ("Tempo");
        tempo.setValue (500.0f, false);
        display.updateFromParameter (&tempo);
        GestureCounter gestures;
        tempo.addListener (&gestures);
        ControllerLog log;
        display.addListener (&log);

        drag (display, {c.x + 10.0f, 5.0f}, {c.deltaY}); // the sign takes the first 10 pixels

        EXPECT_DOUBLE_EQ (display.getValue(), c.value) << c.control << " x " << c.x << " by " << c.deltaY;
        EXPECT_FLOAT_EQ (tempo.getValue(), (float) c.value) << c.control << " x " << c.x;
        EXPECT_EQ (gestures.begins, 1);
        EXPECT_EQ (gestures.ends, 1);
        EXPECT_EQ (gestures.changes, c.value != 500.0 ? 1 : 0);
        EXPECT_EQ (log.lines.front(), "started n");
        EXPECT_EQ (log.lines.back(), "ended n");
        tempo.removeListener (&gestures);
    }
}

TEST_F (DigitDisplays, NumericFollowsItsParameterWithoutWritingBackAndIgnoresDragsWhenNotInteractive)
{
    NumericDisplay display ("n");
    load (display, numericXml ("digitsNum='3' firstDigitOrder='100' maxValue='999'",
                               "<links><link as='connectedTo' param='Tempo'/></links>"));
    auto& tempo = parameter ("Tempo");
    GestureCounter heard;
    tempo.addListener (&heard);

    tempo.setValue (250.0f, true);
    tempo.handleUpdateNowIfNeeded();
    EXPECT_DOUBLE_EQ (display.getValue(), 250.0);
    EXPECT_EQ (heard.changes, 1); // the change itself, nothing written back

    display.setInteractive (false);
    drag (display, {1.0f, 1.0f}, {-51});
    EXPECT_DOUBLE_EQ (display.getValue(), 250.0);
    EXPECT_EQ (heard.begins, 0);
    EXPECT_EQ (heard.ends, 0);
    tempo.removeListener (&heard);
}

//==============================================================================
TEST_F (DigitDisplays, PatternNumberStripsInEveryMode)
{
    using PM = DisplayArithmetic::PatternMode;
    const struct
    {
        PM mode;
        int number;
        std::vector<int> frames;
    } cases[] = {
        {PM::note, 61, {11, 11, 11, 6}},      {PM::note, 125, {11, 14, 12, 0}},
        {PM::numeric, 7, {0, 1, 8, 0}},       {PM::numeric, 40, {0, 2, 7, 0}}, // clamped to 16
        {PM::bankAndSlot, 1, {2, 18, 1, 2}},  {PM::bankAndSlot, 13, {3, 18, 1, 2}},
        {PM::bankAndSlot, 96, {9, 18, 2, 3}}, {PM::bankAndSlot, 0, {2, 18, 1, 2}}, // clamped to 1
    };
    for (const auto& c : cases)
    {
        PatternNumberDisplay display ("p");
        load (display, "<PatternNumberDisplay name='p'><gfx firstDigit='first.png' secondDigit='second.png' "
                       "thirdDigit='third.png' fourthDigit='fourth.png'/></PatternNumberDisplay>");
        display.setDisplayMode ((int) c.mode);
        display.clampToModeRange();
        display.setNumber (c.number);
        display.updateDigits();
        EXPECT_EQ (digitFrames (display), c.frames) << "mode " << (int) c.mode << " number " << c.number;
    }
}

TEST_F (DigitDisplays, PatternNumberSetUpRangesAndDisabledPicture)
{
    PatternNumberDisplay display ("p");
    load (display, "<PatternNumberDisplay name='p' slotMax='40' notePatternMin='24' notePatternMax='119'>"
                   "<links><link as='connectedTo' param='Pattern'/></links><pos left='3' top='4'/>"
                   "<gfx firstDigit='first.png' secondDigit='second.png' thirdDigit='third.png' "
                   "fourthDigit='absent.png'/></PatternNumberDisplay>");
    EXPECT_EQ (display.getSlotMax(), 16);
    EXPECT_EQ (display.getBounds(), juce::Rectangle<int> (3, 4, 100, 40));
    EXPECT_EQ (display.getDigit (3)->getBounds(),
               juce::Rectangle<int> (30, 0, 25, 40)); // no image: a quarter

    const struct
    {
        int value, number;
    } follows[] = {{61, 61}, {10, 24}, {127, 119}};
    for (const auto& f : follows)
    {
        parameter ("Pattern").setValueInt (f.value, true);
        parameter ("Pattern").handleUpdateNowIfNeeded();
        EXPECT_EQ (display.getNumber(), f.number) << f.value;
    }

    display.setEnabled (false);
    EXPECT_EQ (digitFrames (display), (std::vector<int>{0, 0, 0, -1}));
    display.setEnabled (true);
    EXPECT_EQ (digitFrames (display)[0], 11);

    PatternNumberDisplay small ("p");
    load (small,
          "<PatternNumberDisplay name='p' slotMax='2'><size width='2' height='0'/></PatternNumberDisplay>");
    EXPECT_EQ (small.getSlotMax(), 4);
    EXPECT_EQ (small.getDigit (0)->getBounds(), juce::Rectangle<int> (0, 0, 1, 1));
}

//==============================================================================
TEST_F (DigitDisplays, NoteDisplayShowsLetterAccidentalAndOctaveInNoteNotation)
{
    const struct
    {
        int value;
        std::vector<int> frames;
    } cases[] = {{61, {1, 1, 6}}, {60, {1, 2, 6}},   {0, {1, 2, 1}},   {11, {7, 2, 1}},
                 {70, {6, 1, 6}}, {120, {1, 2, 11}}, {127, {5, 2, 11}}};
    NoteDisplay display ("note");
    load (display, "<NoteDisplay name='note'><links><link as='connectedTo' param='Note'/></links>"
                   "<gfx><notes resource='notes.png'/><tones resource='tones.png'/>"
                   "<octaves resource='octaves.png'/></gfx></NoteDisplay>");
    display.updateFromParameter (&parameter ("Note")); // as the panel does once after building
    for (const auto& c : cases)
    {
        parameter ("Note").setValueInt (c.value, true);
        parameter ("Note").handleUpdateNowIfNeeded();
        EXPECT_EQ (partFrames (display), c.frames) << c.value;
    }

    display.setBlinking (true);
    display.blinkTick();
    EXPECT_EQ (partFrames (display), (std::vector<int>{0, 0, 0}));
    display.setBlinking (false);
    display.setEnabled (false);
    EXPECT_EQ (partFrames (display), (std::vector<int>{0, 0, 0}));
}

TEST_F (DigitDisplays, NoteDisplayIsAsHighAsItsHighestPart)
{
    const struct
    {
        const char* children;
        juce::Rectangle<int> bounds;
    } cases[] = {
        {"<size width='30' height='16'/><pos left='2' top='3'/>", {2, 3, 30, 16}},
        {"<gfx><notes resource='notes.png'/><tones resource='tones.png'/><octaves "
         "resource='octaves.png'/></gfx>",
         {0, 0, 30, 16}},
        {"<size width='30' height='24'/><gfx><tones resource='tones.png'/></gfx>", {0, 0, 28, 24}},
        {"<size width='0' height='0'/>", {0, 0, 3, 1}},
    };
    for (const auto& c : cases)
    {
        NoteDisplay display ("note");
        load (display, juce::String ("<NoteDisplay name='note'>") + c.children + "</NoteDisplay>");
        EXPECT_EQ (display.getBounds(), c.bounds) << c.children;
    }
}

TEST_F (DigitDisplays, NoteDisplayDragsOneNotePerTwentyPixelsInOneGesture)
{
    NoteDisplay display ("note");
    load (display, "<NoteDisplay name='note'><size width='30' height='16'/>"
                   "<links><link as='connectedTo' param='Note'/></links></NoteDisplay>");
    auto& note = parameter ("Note");
    display.updateFromParameter (&note);
    GestureCounter gestures;
    note.addListener (&gestures);
    ControllerLog log;
    display.addListener (&log);

    drag (display, {5.0f, 8.0f}, {-25, -45});

    EXPECT_EQ (display.getNote(), 63);
    EXPECT_EQ (note.getValueInt(), 63);
    EXPECT_EQ (gestures.begins, 1);
    EXPECT_EQ (gestures.ends, 1);
    EXPECT_EQ (gestures.changes, 2);
    EXPECT_EQ (log.lines,
               (std::vector<std::string>{"started note", "value note", "value note", "ended note"}));
    note.removeListener (&gestures);
}
} // namespace
