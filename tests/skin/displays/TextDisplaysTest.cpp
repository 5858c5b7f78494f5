#include "skin/SkinTestSupport.h"
#include "skin/displays/GFXDisplay.h"
#include "skin/displays/TextInput.h"
#include "skin/windows/ModalTextEditor.h"

using namespace SkinTest;

namespace
{
// The font strip: the glyphs " " to "Z" (59), 6 x 8 pixels, glyph i plain in frame i, highlighted in 59 + i.
constexpr int glyphs = 'Z' - ' ' + 1;

struct ModalLog : public ModalTextEditor::ModalListener
{
    void modalTextChanged (ModalTextEditor*) override { ++changes; }
    void modalTextCommitted (ModalTextEditor* e) override
    {
        calls.push_back ("committed " + e->getText().toStdString());
    }
    void modalEditingCancelled (ModalTextEditor*) override { calls.push_back ("cancelled"); }
    void modalEditingFinished (ModalTextEditor*) override { calls.push_back ("finished"); }

    std::vector<std::string> calls;
    int changes = 0;
};

juce::KeyPress typed (juce::juce_wchar c, juce::ModifierKeys mods = {})
{
    return juce::KeyPress ((int) c, mods, c);
}

juce::KeyPress key (int code, juce::ModifierKeys mods = {})
{
    return juce::KeyPress (code, mods, 0);
}

class TextDisplays : public SourceTest
{
protected:
    TextDisplays() { embed ({{"font.png", makeStrip (2 * glyphs, 6, 8)}}); }

    /** A 40 x 10 display: 6 cells from x 2, glyph rows from y 1. */
    void loadDisplay (GFXDisplay& display, const juce::String& name = "AB", const juce::String& extra = {})
    {
        load (display,
              "<Display name='" + name + "' " + extra +
                  "><gfx resource='font.png' fontHeight='8' firstASCII=' '/><size width='40' height='10'/>"
                  "</Display>");
    }

    static std::vector<int> cellFrames (GFXDisplay& display)
    {
        std::vector<int> frames;
        for (int cell = 0; cell < 6; ++cell)
            frames.push_back (frameAt (display, {5 + 6 * cell, 5}));
        return frames;
    }
};

//==============================================================================
TEST_F (TextDisplays, GlyphCellsFromTheFontStrip)
{
    const int A = 'A' - ' ', B = 'B' - ' ', Z = 'Z' - ' ';
    const struct
    {
        const char* text;
        bool centred, editing;
        std::vector<int> frames;
    } cases[] = {
        {"AB", false, false, {A, B, 0, 0, 0, 0}},
        {"AB", true, false, {0, 0, A, B, 0, 0}},
        {"az~", false, false, {Z, Z, Z, 0, 0, 0}},  // above the last glyph: the last glyph
        {"A\tB", false, false, {A, 0, B, 0, 0, 0}}, // below the first: glyph 0
        {"ABCDEFGH", false, false, {A, B, 2 + A, 3 + A, 4 + A, 5 + A}},
        // editing: the caret cell (at the end) shows its glyph highlighted
        {"AB", false, true, {A, B, glyphs, 0, 0, 0}},
        {"ABCDEFGH", false, true, {3 + A, 4 + A, 5 + A, 6 + A, 7 + A, glyphs}},
    };
    for (const auto& c : cases)
    {
        GFXDisplay display ("d");
        loadDisplay (display);
        display.setText (c.text);
        display.setCentred (c.centred);
        if (c.editing)
            display.mouseDown (mouseAt (display, {3.0f, 3.0f}));
        EXPECT_EQ (cellFrames (display), c.frames)
            << c.text << (c.centred ? " centred" : "") << (c.editing ? " editing" : "");
    }
}

TEST_F (TextDisplays, FontMetricsAndLookFromTheElement)
{
    const struct
    {
        const char* xml;
        int glyphWidth, glyphCount, first, last;
        bool enabled;
        juce::Colour background;
    } cases[] = {
        {"<Display name='d' fontHeight='8' firstASCII=' '><gfx resource='font.png'/></Display>", 6, glyphs,
         ' ', 'Z', true, juce::Colours::transparentBlack},
        {"<Display name='d' backgroundColour='FF102030'><gfx resource='font.png' fontHeight='8' "
         "firstASCII='A'/></Display>",
         6, glyphs, 'A', 'A' + glyphs - 1, true, juce::Colour (0xff102030)},
        {"<Display name='d' readonly='yes'><gfx resource='font.png'/></Display>", 6, 1, ' ', ' ', false,
         juce::Colours::transparentBlack},
    };
    for (const auto& c : cases)
    {
        GFXDisplay display ("d");
        load (display, c.xml);
        const auto& font = display.getFont();
        EXPECT_EQ (std::tuple (font.glyphWidth, font.glyphCount, font.firstASCII, font.lastASCII),
                   std::tuple (c.glyphWidth, c.glyphCount, c.first, c.last))
            << c.xml;
        EXPECT_EQ (display.isEnabled(), c.enabled) << c.xml;
        EXPECT_EQ (display.findColour (juce::TextEditor::backgroundColourId), c.background) << c.xml;
        EXPECT_EQ (display.getText(), "d");
    }

    GFXDisplay readOnly ("d");
    load (readOnly, cases[2].xml);
    readOnly.mouseDown (mouseAt (readOnly, {1.0f, 1.0f}));
    EXPECT_FALSE (readOnly.isEditing());
}

TEST_F (TextDisplays, KeysEditInPlaceAndOnlyACommittedChangeIsHeard)
{
    const auto shift = juce::ModifierKeys (juce::ModifierKeys::shiftModifier);
    const auto ctrl = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
    using KP = juce::KeyPress;
    const struct
    {
        const char* what;
        std::vector<KP> keys;
        const char* text;
        int heard;
        bool stillEditing;
    } cases[] = {
        {"type and Return", {typed ('X'), typed ('Y'), key (KP::returnKey)}, "ABXY", 1, false},
        {"type and Escape", {typed ('X'), typed ('Y'), key (KP::escapeKey)}, "AB", 0, false},
        {"Return unchanged", {key (KP::returnKey)}, "AB", 0, false},
        {"type back to the same", {typed ('X'), key (KP::backspaceKey), key (KP::returnKey)}, "AB", 0, false},
        {"Backspace", {key (KP::backspaceKey), key (KP::returnKey)}, "A", 1, false},
        {"Home Delete", {key (KP::homeKey), key (KP::deleteKey), key (KP::returnKey)}, "B", 1, false},
        {"Left insert", {key (KP::leftKey), typed ('Q'), key (KP::returnKey)}, "AQB", 1, false},
        {"Home Right End",
         {key (KP::homeKey), key (KP::rightKey), typed ('-'), key (KP::endKey), typed ('!'),
          key (KP::returnKey)},
         "A-B!",
         1,
         false},
        {"caret kept inside",
         {key (KP::leftKey), key (KP::leftKey), key (KP::leftKey), typed ('0'), key (KP::rightKey),
          key (KP::rightKey), key (KP::rightKey), key (KP::rightKey), typed ('9'), key (KP::returnKey)},
         "0AB9",
         1,
         false},
        {"outside the font", {typed ('q'), typed (0x20ac), key (KP::returnKey)}, "AB", 0, false},
        {"shifted character", {typed ('Z', shift), key (KP::returnKey)}, "ABZ", 1, false},
        {"shift Return is no Return", {key (KP::returnKey, shift)}, "AB", 0, true},
        {"ctrl character types nothing", {typed ('X', ctrl)}, "AB", 0, true},
    };
    for (const auto& c : cases)
    {
        GFXDisplay display ("d");
        loadDisplay (display);
        EditLog log;
        display.addListener (&log);
        display.mouseDown (mouseAt (display, {3.0f, 3.0f}));
        ASSERT_TRUE (display.isEditing()) << c.what;

        for (const auto& k : c.keys)
            EXPECT_TRUE (display.keyPressed (k)) << c.what;

        EXPECT_EQ (display.getText(), juce::String (c.text)) << c.what;
        EXPECT_EQ (log.texts.size(), c.heard) << c.what;
        if (c.heard > 0)
        {
            EXPECT_EQ (log.texts[0], juce::String (c.text)) << c.what;
        }
        EXPECT_EQ (display.isEditing(), c.stillEditing) << c.what;
        EXPECT_EQ (display.isCaretTimerRunning(), c.stillEditing) << c.what;
    }
}

TEST_F (TextDisplays, CaretTimerRunsOnlyWhileEditingAndEveryKeyRestartsIt)
{
    GFXDisplay display ("d");
    loadDisplay (display);
    EXPECT_FALSE (display.isCaretTimerRunning());

    display.mouseDown (mouseAt (display, {3.0f, 3.0f}));
    EXPECT_TRUE (display.isCaretTimerRunning());
    EXPECT_TRUE (display.isCaretVisible());
    display.caretTick();
    EXPECT_FALSE (display.isCaretVisible());
    EXPECT_EQ (cellFrames (display)[2], 0); // the caret's phase off: plain space

    display.keyPressed (typed ('q')); // outside the font: no text, but the caret shows again
    EXPECT_EQ (display.getText(), "AB");
    EXPECT_TRUE (display.isCaretVisible());
    EXPECT_EQ (cellFrames (display)[2], glyphs);

    display.keyPressed (key (juce::KeyPress::returnKey));
    EXPECT_FALSE (display.isCaretTimerRunning());
    display.caretTick(); // a stray tick after the edit changes nothing
    EXPECT_FALSE (display.isCaretVisible());
}

TEST_F (TextDisplays, AClickElsewhereCommitsAndAGoneWindowEndsTheEditSilently)
{
    juce::Component window;
    window.setSize (200, 100);
    juce::Component sibling;
    window.addAndMakeVisible (sibling);
    auto display = std::make_unique<GFXDisplay> ("d");
    loadDisplay (*display);
    window.addAndMakeVisible (*display);
    EditLog log;
    display->addListener (&log);

    display->mouseDown (mouseAt (*display, {3.0f, 3.0f}));
    display->keyPressed (typed ('X'));
    display->getOutsideClickWatcher().clickedOn (display.get()); // on itself: goes on
    EXPECT_TRUE (display->isEditing());
    display->getOutsideClickWatcher().clickedOn (&sibling);
    EXPECT_FALSE (display->isEditing());
    EXPECT_EQ (log.texts, juce::StringArray ("ABX"));

    // Taken out of its window mid-edit (the panel goes): the edit ends and nobody hears of it.
    display->mouseDown (mouseAt (*display, {3.0f, 3.0f}));
    display->keyPressed (typed ('Y'));
    window.removeChildComponent (display.get());
    EXPECT_FALSE (display->isEditing());
    EXPECT_FALSE (display->isCaretTimerRunning());
    display->getOutsideClickWatcher().clickedOn (&sibling);
    EXPECT_EQ (log.texts.size(), 1);

    // Destroyed mid-edit: nothing is called on the way out.
    window.addAndMakeVisible (*display);
    display->mouseDown (mouseAt (*display, {3.0f, 3.0f}));
    display->keyPressed (typed ('Z'));
    display.reset();
    EXPECT_EQ (log.texts.size(), 1);
}

TEST_F (TextDisplays, BlinkingBlanksTheTextAndFloatDisplaysKeepTheDotOutOfTheLastCell)
{
    GFXDisplay display ("d");
    loadDisplay (display);
    display.setBlinking (true);
    display.blinkTick();
    EXPECT_EQ (display.getDisplayedText(), "");
    EXPECT_EQ (cellFrames (display), (std::vector<int>{0, 0, 0, 0, 0, 0}));
    display.blinkTick();
    EXPECT_EQ (display.getDisplayedText(), "AB");

    const struct
    {
        int width;
        float value;
        const char* text;
    } cases[] = {
        {30, 1234.5f, " 1234.5"}, {36, 1234.5f, "1234.5"}, {30, 12.25f, "12.25"}, {18, -1.5f, " -1.5"}};
    for (const auto& c : cases)
    {
        GFXDisplayFloat number ("f");
        load (number, "<DisplayFloat name='f'><gfx resource='font.png' fontHeight='8'/><size width='" +
                          juce::String (c.width) + "' height='10'/></DisplayFloat>");
        parameter ("Tempo").setValue (c.value, false);
        number.updateFromParameter (&parameter ("Tempo"));
        EXPECT_EQ (number.getText(), juce::String (c.text)) << c.value << " in " << c.width;
    }
}

//==============================================================================
TEST_F (TextDisplays, ModalTextEditorEndsEditsInOrder)
{
    enum Ending
    {
        returnKey,
        escapeKey,
        clickOutside,
        clickInside,
        destroyed
    };
    const struct
    {
        const char* what;
        bool typeSomething;
        Ending ending;
        std::vector<std::string> calls;
        const char* text;
    } cases[] = {
        {"Return after typing", true, returnKey, {"committed abc!", "finished"}, "abc!"},
        {"Return unchanged", false, returnKey, {"finished"}, "abc"},
        {"Escape after typing", true, escapeKey, {"finished", "cancelled"}, "abc"},
        {"click outside after typing", true, clickOutside, {"committed abc!", "finished"}, "abc!"},
        {"click inside", true, clickInside, {}, "abc!"},
        {"destroyed while editing", true, destroyed, {}, ""},
    };
    for (const auto& c : cases)
    {
        juce::Component window;
        juce::Component elsewhere;
        window.addAndMakeVisible (elsewhere);
        auto editor = std::make_unique<ModalTextEditor> ("field");
        window.addAndMakeVisible (*editor);
        editor->setText ("abc", false);
        ModalLog log;
        editor->addModalListener (&log);
        editor->addModalListener (&log);
        editor->addModalListener (nullptr);

        editor->beginEditing();
        ASSERT_TRUE (editor->isEditing());
        if (c.typeSomething)
        {
            editor->moveCaretToEnd();
            editor->keyPressed (typed ('!'));
        }

        switch (c.ending)
        {
            case returnKey: editor->keyPressed (key (juce::KeyPress::returnKey)); break;
            case escapeKey: editor->keyPressed (key (juce::KeyPress::escapeKey)); break;
            case clickOutside: editor->getOutsideClickWatcher().clickedOn (&elsewhere); break;
            case clickInside: editor->getOutsideClickWatcher().clickedOn (editor.get()); break;
            case destroyed: editor.reset(); break;
        }

        EXPECT_EQ (log.calls, c.calls) << c.what;
        if (editor != nullptr)
        {
            EXPECT_EQ (editor->getText(), juce::String (c.text)) << c.what;
            EXPECT_EQ (editor->isEditing(), c.ending == clickInside) << c.what;
        }
    }
}

TEST_F (TextDisplays, ModalListenerMayDeleteTheEditorWhileItIsTold)
{
    struct Deleter : public ModalTextEditor::ModalListener
    {
        void modalTextCommitted (ModalTextEditor*) override { owned.reset(); }
        std::unique_ptr<ModalTextEditor> owned;
    } deleter;

    deleter.owned = std::make_unique<ModalTextEditor> ("field");
    ModalLog later;
    deleter.owned->addModalListener (&later);
    deleter.owned->addModalListener (&deleter); // called first
    deleter.owned->beginEditing();
    deleter.owned->keyPressed (typed ('x'));
    deleter.owned->keyPressed (key (juce::KeyPress::returnKey));
    EXPECT_EQ (deleter.owned, nullptr);
    EXPECT_TRUE (later.calls.empty());

    struct DisplayDeleter : public GFXDisplayListener
    {
        void displayTextEdited (GFXDisplay*) override { owned.reset(); }
        std::unique_ptr<GFXDisplay> owned;
    } displayDeleter;
    EditLog laterDisplay;
    displayDeleter.owned = std::make_unique<GFXDisplay> ("d");
    displayDeleter.owned->addListener (&laterDisplay);
    displayDeleter.owned->addListener (&displayDeleter);
    displayDeleter.owned->beginEditing();
    displayDeleter.owned->keyPressed (typed (' '));
    displayDeleter.owned->keyPressed (key (juce::KeyPress::returnKey));
    EXPECT_EQ (displayDeleter.owned, nullptr);
    EXPECT_TRUE (laterDisplay.texts.isEmpty());
}

//==============================================================================
TEST_F (TextDisplays, TextInputEditTriggers)
{
    const struct
    {
        const char* editable;
        bool clickEdits, doubleClickEdits, takesClicks;
    } cases[] = {
        {"", true, false, true},
        {"editable='no'", false, false, false},
        {"editable='onClick'", true, false, true},
        {"editable='onDoubleClick'", false, true, true},
        {"editable='sometimes'", true, false, true},
    };
    for (const auto& c : cases)
    {
        for (const bool doubleClick : {false, true})
        {
            TextInput input ("t");
            load (input, juce::String ("<TextInput name='t' ") + c.editable +
                             "><size width='80' height='20'/></TextInput>");
            bool takesSelf = false, takesChildren = false;
            input.getInterceptsMouseClicks (takesSelf, takesChildren);
            EXPECT_EQ (takesSelf, c.takesClicks) << c.editable;

            if (doubleClick)
                input.mouseDoubleClick (mouseAt (input, {5.0f, 5.0f}, {}, 2));
            else
                input.mouseDown (mouseAt (input, {5.0f, 5.0f}));

            const bool edits = doubleClick ? c.doubleClickEdits : c.clickEdits;
            EXPECT_EQ (input.isEditing(), edits) << c.editable << (doubleClick ? " double" : " single");
            if (!c.clickEdits && !c.doubleClickEdits)
            {
                EXPECT_EQ (input.getEditor(), nullptr) << c.editable;
            }
        }
    }

    TextInput disabled ("t");
    disabled.setEnabled (false);
    disabled.mouseDown (mouseAt (disabled, {1.0f, 1.0f}));
    EXPECT_EQ (disabled.getEditor(), nullptr);
}

TEST_F (TextDisplays, TextInputWritesItsParameterOnlyOnCommit)
{
    TextInput input ("t");
    load (input,
          "<TextInput name='t' textColour='FF112233' outlineColour='00000000'><size width='80' height='20'/>"
          "<font name='Tahoma' height='15' style='bold'/><links><link as='connectedTo' param='Name'/></links>"
          "</TextInput>");
    auto& name = parameter ("Name");
    input.updateFromParameter (&name);
    EXPECT_EQ (input.getText(), "Init");
    EXPECT_FLOAT_EQ (input.getFont().getHeight(), 15.0f);
    EXPECT_TRUE (input.getFont().isBold());
    ControllerLog log;
    input.addListener (&log);

    input.mouseDown (mouseAt (input, {5.0f, 5.0f}));
    auto* editor = input.getEditor();
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getText(), "Init");
    EXPECT_EQ (editor->getHighlightedRegion().getLength(), 4); // all selected: typing replaces it
    EXPECT_EQ (editor->findColour (juce::TextEditor::textColourId), juce::Colour (0xff112233));
    EXPECT_TRUE (editor->findColour (juce::TextEditor::backgroundColourId).isTransparent());

    // Escape leaves the parameter alone, Return writes it once.
    for (const auto& [ending, text, heard] : {std::tuple (juce::KeyPress::escapeKey, "Init", 0u),
                                              std::tuple (juce::KeyPress::returnKey, "Bo", 1u)})
    {
        if (heard > 0) // the second edit opens the same editor again
        {
            input.mouseDown (mouseAt (input, {5.0f, 5.0f}));
            EXPECT_TRUE (editor->isVisible());
        }
        for (const auto k : {typed ('B'), typed ('o'), key (ending)})
            editor->keyPressed (k);
        EXPECT_EQ (name.getValueText(), text);
        EXPECT_EQ (input.getText(), text);
        EXPECT_FALSE (editor->isVisible());
        EXPECT_EQ (log.lines.size(), heard);
    }
    EXPECT_EQ (log.lines, (std::vector<std::string>{"value t"}));

    // the parameter changed elsewhere: the field and its editor follow without writing back
    name.setValueText ("Lead", true);
    name.handleUpdateNowIfNeeded();
    EXPECT_EQ (input.getText(), "Lead");
    EXPECT_EQ (editor->getText(), "Lead");
    EXPECT_EQ (log.lines.size(), 1u);
}
} // namespace
