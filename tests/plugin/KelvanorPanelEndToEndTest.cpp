#include "KelvanorEditorInHostWindow.h"

#include <X11/keysym.h>

#include <functional>
#include <utility>
#include <vector>

namespace
{
/** Something read from a state, as "attribute=value" pairs so that a failure says what it is. */
using Reading = std::function<juce::String (const juce::XmlElement&)>;
/** What a reading holds where the state has no element: never a state's value. */
constexpr auto noElement = "<no element>";

/** The element at a path from the state's root, of tags or child indices separated by '/'; null when the
    state has none there. */
const juce::XmlElement* elementAt (const juce::XmlElement& state, const juce::String& path)
{
    const auto* e = &state;
    for (const auto& part : juce::StringArray::fromTokens (path, "/", ""))
        if (e != nullptr)
            e = part.containsOnly ("0123456789") ? e->getChildElement (part.getIntValue())
                                                 : e->getChildByName (part);
    return e;
}

/** The named attributes of the element at the path. */
Reading attributes (const juce::String& path, const char* names)
{
    return [=] (const auto& state)
    {
        const auto* e = elementAt (state, path);
        juce::StringArray pairs;
        for (const auto& name : juce::StringArray::fromTokens (names, false))
            pairs.add (name + "=" + (e != nullptr ? e->getStringAttribute (name, "<none>") : noElement));
        return pairs.joinIntoString (" ");
    };
}

/** An attribute of each child of the element at the path, in order. */
Reading ofEachChild (const juce::String& path, const char* name)
{
    return [=] (const auto& state)
    {
        juce::String values = name;
        const auto* e = elementAt (state, path);
        if (e == nullptr)
            values << " " << noElement;
        else
            for (const auto* child : e->getChildIterator())
                values << " " << child->getStringAttribute (name);
        return values;
    };
}

/** The element at the path as the state holds it, or only its children. */
Reading xmlOf (const juce::String& path, bool withAttributes = true)
{
    return [=] (const auto& state)
    {
        const auto* e = elementAt (state, path);
        if (e == nullptr)
            return juce::String (noElement);
        auto copy = *e;
        if (!withAttributes)
            copy.removeAllAttributes();
        return copy.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    };
}

/** A gesture on the panel: a click on a control, Ctrl held or not, or a drag when dy is not 0 (upwards
    when negative). Or, with a reading, what the state must give once the gestures before it are handled:
    the same as (or, with same false, other than) the reference reading of the state before them all. */
struct Action
{
    const char* control = nullptr;
    bool withControl = false;
    int dy = 0;
    Reading now{}, reference{};
    bool same = true;
};

/** The editor in a host window, with the panel's own ways to click, wait and look. */
class PanelEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    void editorOpened() override { ASSERT_FALSE (knob.isEmpty()); }

    /** The pattern being edited, as the state holds it now: a copy; null when the state holds none. */
    std::unique_ptr<juce::XmlElement> editedPattern()
    {
        const auto state = chunkDocumentAt (0);
        const auto* sequencer = state != nullptr ? state->getChildByName ("InternalSequencer") : nullptr;
        if (sequencer == nullptr)
            return nullptr;
        int edited = 0;
        if (const auto* edition = sequencer->getChildByName ("EditionState"))
            if (const auto* e = edition->getChildByName ("EditedPattern"))
                edited = e->getIntAttribute ("value");
        const auto* patterns = sequencer->getChildByName ("PatternsState");
        const auto* bank = patterns != nullptr ? patterns->getChildByName ("PatternBank") : nullptr;
        const auto* pattern = bank != nullptr ? bank->getChildElement (edited) : nullptr;
        return pattern != nullptr ? std::make_unique<juce::XmlElement> (*pattern) : nullptr;
    }

    /** The note of the edited pattern's first step; -1 when there is none. */
    int firstStepNote()
    {
        const auto pattern = editedPattern();
        const auto* step = pattern != nullptr ? pattern->getChildElement (0) : nullptr;
        return step != nullptr ? step->getIntAttribute ("note", -1) : -1;
    }

    bool isWriting()
    {
        const auto state = chunkDocumentAt (0);
        const auto* sequencer = state != nullptr ? state->getChildByName ("InternalSequencer") : nullptr;
        const auto* write = sequencer != nullptr ? sequencer->getChildByName ("PattWriteMode") : nullptr;
        return write != nullptr && write->getStringAttribute ("state") == "on";
    }

    /** Clicks a control that takes no text and waits until the editor has handed the keyboard back: the
        click takes the X input focus into the editor's window, as a click into any JUCE window does. Until
        then keys would go wherever the focus is at the moment. */
    void clickLeavingTheKeysWithTheHost (juce::Rectangle<int> control)
    {
        const int losses = window->getFocusLossCount();
        ASSERT_NO_FATAL_FAILURE (clickOn (control));
        ASSERT_TRUE (
            idleUntil ([&] { return window->getFocusLossCount() > losses && window->holdsKeyboardFocus(); }))
            << "a control that takes no text keeps no keys from the host";
    }

    /** Clicks the write mode button and waits until the sequencer has turned to the state asked for. */
    void setWriting (bool shouldWrite)
    {
        ASSERT_NO_FATAL_FAILURE (clickLeavingTheKeysWithTheHost (skinControlBounds (
            [] (const juce::XmlElement& e)
            {
                const auto* actions = e.getChildByName ("actions");
                return actions != nullptr &&
                       actions->getChildByAttribute ("event", "Toggle Pattern Write Mode") != nullptr;
            })));
        ASSERT_TRUE (idleUntil ([&] { return isWriting() == shouldWrite; }))
            << "write mode did not turn " << (shouldWrite ? "on" : "off");
    }

    /** Returns once the editor has handled every gesture made so far, those that change nothing too: it
        handles them in order, so a SELECT click made after them has its effect last. A preset holds no
        pattern and no controller map. */
    void settle()
    {
        const int preset = currentPreset();
        press (preset == 0 ? "PresetNextButton" : "PresetPrevButton");
        ASSERT_TRUE (idleUntil ([&] { return currentPreset() != preset && currentPreset() >= 0; }));
    }

    /** Waits until the state gives what the expectation asks; the state before is its reference. */
    void expectState (const Action& expected, const juce::XmlElement& before)
    {
        const auto reference = expected.reference (before);
        ASSERT_FALSE (reference.contains (noElement)) << reference;
        juce::String now;
        EXPECT_TRUE (idleUntil (
            [&]
            {
                const auto state = chunkDocumentAt (0);
                now = state != nullptr ? expected.now (*state) : noElement;
                return !now.contains (noElement) && (now == reference) == expected.same;
            }))
            << now << (expected.same ? "\n  instead of " : "\n  unchanged from ") << reference;
    }

    const juce::Rectangle<int> knob = skinControlNamed ("CutoffKnob");
};

TEST_F (PanelEndToEnd, ADragOnAKnobChangesItsParameterAndTheHostHearsTheAutomation)
{
    plugin->setParameter (cutoffParameter, 0.3f);
    plugin->clearRecordings();

    ASSERT_TRUE (window->drag (knob.getCentre(), knob.getCentre().translated (0, -60)));

    // The drag's events may still be arriving: what is compared is read together, each time.
    float value = 0.0f;
    std::vector<HostedPlugin::AutomationEvent> automation;
    EXPECT_TRUE (idleUntil (
        [&]
        {
            plugin->process (plugin->getBlockSize()); // automation reaches the host's recording with a block
            value = plugin->getParameter (cutoffParameter);
            automation = plugin->getAutomation();
            return value > 0.35f && !automation.empty() && automation.back().index == cutoffParameter &&
                   automation.back().value == value;
        }))
        << "the parameter is at " << value << " and the host heard " << automation.size() << " changes";
}

TEST_F (PanelEndToEnd, ANoteKeyInEditModeSetsTheEditedStepsNote)
{
    const int noteBefore = firstStepNote();
    ASSERT_GE (noteBefore, 0) << "no first step in the state's edited pattern";
    ASSERT_NE (noteBefore, 4);

    setWriting (true);
    clickOn (skinControlNamed ("NoteEButton"));
    EXPECT_TRUE (idleUntil ([&] { return firstStepNote() == 4; }))
        << "the first step's note is " << firstStepNote();
}

TEST_F (PanelEndToEnd, AClickOnAKnobLeavesTheKeyboardWithTheHost)
{
    ASSERT_TRUE (window->holdsKeyboardFocus());
    clickLeavingTheKeysWithTheHost (knob);
}

TEST_F (PanelEndToEnd, TheStepLightsRunWhileTheHostPlaysWithTheEditorOpen)
{
    const auto firstStep = skinControlNamed ("PattStepNum01Led");
    const auto lastStep = skinControlNamed ("PattStepNum16Led");
    ASSERT_FALSE (firstStep.isEmpty() || lastStep.isEmpty());
    const auto stepRow = firstStep.getUnion (lastStep);

    plugin->getTransport().setPlayingAtStart (true);
    plugin->getTransport().rewind();
    session->setRendersAudio (true);
    const auto earlier = captureOf (stepRow);
    EXPECT_TRUE (waitUntilChanges (stepRow, earlier)) << "the lit step moved on";
    session->setRendersAudio (false);
}

TEST_F (PanelEndToEnd, AParameterSetByTheHostMovesItsKnob)
{
    const auto beside = knob.translated (0, knob.getHeight() + 40).withHeight (8);

    // Each value far from the one shown before, so the knob has a different picture to show.
    const auto moveFar = [&]
    {
        const auto before = captureOf (knob);
        plugin->setParameter (cutoffParameter, plugin->getParameter (cutoffParameter) < 0.5f ? 0.9f : 0.1f);
        return waitUntilChanges (knob, before, {0, knob.getWidth()});
    };
    ASSERT_TRUE (moveFar()) << "the knob's picture follows the host";

    // And only the knob changes around it: a neighbouring strip of the panel stays as it was.
    const auto besideBefore = captureOf (beside);
    ASSERT_TRUE (besideBefore.isValid());
    ASSERT_TRUE (moveFar()) << "the knob's picture follows the host back";
    EXPECT_TRUE (shows (beside, besideBefore));
}

//==============================================================================
struct NameEditEnding
{
    const char* name;
    unsigned long key; // the X key symbol that ends the edit; 0: a click elsewhere on the panel
    bool commits;

    friend std::ostream& operator<< (std::ostream& out, const NameEditEnding& e) { return out << e.name; }
};

/** The pattern name display in edit mode, clicked, typed into with real key events and ended one way. */
class PatternNameEditEnds : public PanelEndToEnd, public ::testing::WithParamInterface<NameEditEnding>
{
protected:
    void editorOpened() override
    {
        ASSERT_NO_FATAL_FAILURE (PanelEndToEnd::editorOpened());
        ASSERT_FALSE (nameDisplay.isEmpty());
        originalName = editedPatternName();
        // The name takes typing only while the pattern is being written.
        setWriting (true);
    }

    juce::String editedPatternName()
    {
        const auto pattern = editedPattern();
        return pattern != nullptr ? pattern->getStringAttribute ("name") : "<no pattern in the state>";
    }

    void typeIntoTheName (const juce::String& typed)
    {
        const int losses = window->getFocusLossCount();
        clickOn (nameDisplay);
        // The edit has begun once this click has taken the keyboard into the editor, and it keeps it.
        ASSERT_TRUE (
            idleUntil ([&] { return window->getFocusLossCount() > losses && !window->holdsKeyboardFocus(); }))
            << "the click began no edit";
        // Keys go where the X input focus is, not where the pointer happens to be.
        ASSERT_TRUE (window->movePointerAway());
        // Clears the name first, so the result does not depend on the name the factory bank gives.
        for (int i = 0; i < originalName.length(); ++i)
            ASSERT_TRUE (window->pressKey (XK_BackSpace));
        ASSERT_TRUE (window->typeText (typed));
    }

    void endTheEdit()
    {
        // Elsewhere: a point of the sequencer section with nothing printed on it, right of the shift keys,
        // left of the octave keys.
        if (GetParam().key == 0)
            ASSERT_TRUE (window->click ({650, 585}));
        else
            ASSERT_TRUE (window->pressKey (GetParam().key));
    }

    const juce::Rectangle<int> nameDisplay = skinControlNamed ("PatternNameDisplay");
    juce::String originalName;
};

TEST_P (PatternNameEditEnds, TheTypedNameReachesThePatternOnlyWhenTheEditCommits)
{
    const juce::String typed ("Acid Line 7");
    ASSERT_NE (originalName, typed);
    typeIntoTheName (typed);
    endTheEdit();

    // The edit has ended once the editor has given the keyboard back; a commit comes before that.
    ASSERT_TRUE (idleUntil ([&] { return window->holdsKeyboardFocus(); }))
        << "the host's keys come back to the host";
    const auto expected = GetParam().commits ? typed : originalName;
    if (GetParam().commits)
        idleUntil ([&] { return editedPatternName() == expected; });
    EXPECT_EQ (editedPatternName(), expected);

    // Later keys change nothing, wherever the pointer is. The editor handles its events in order: once
    // it has turned write mode off with a click made after them, it has had the keys.
    ASSERT_TRUE (window->movePointer (nameDisplay.getCentre()));
    ASSERT_TRUE (window->typeText ("X"));
    ASSERT_TRUE (window->pressKey (XK_Return));
    setWriting (false);
    EXPECT_EQ (editedPatternName(), expected);
}

INSTANTIATE_TEST_SUITE_P (Endings, PatternNameEditEnds,
                          ::testing::Values (NameEditEnding{"Return", XK_Return, true},
                                             NameEditEnding{"Escape", XK_Escape, false},
                                             NameEditEnding{"ClickElsewhere", 0, true}),
                          [] (const auto& instance) { return std::string (instance.param.name); });

/** Where the state keeps the bank's patterns: a pattern's index follows, then a step's. */
const juce::String patterns = "InternalSequencer/PatternsState/PatternBank/";

const auto click = [] (const char* control, bool ctrl = false) { return Action{control, ctrl}; };
const auto ctrlClick = [] (const char* control) { return click (control, true); };
const auto drag = [] (const char* control, int dy) { return Action{control, false, dy}; };
const auto is = [] (const Reading& r, const juce::String& v) {
    return Action{nullptr, false, 0, r, [v] (const auto&) { return v; }};
};
const auto asBefore = [] (const Reading& r, const Reading& reference = {}) {
    return Action{nullptr, false, 0, r, reference ? reference : r};
};
const auto changed = [] (const Reading& r) { return Action{nullptr, false, 0, r, r, false}; };
const auto everyStepIs = [] (const char* name, const char* value)
{
    return is (ofEachChild (patterns + "0", name),
               name + juce::String::repeatedString (juce::String (" ") + value, 16));
};
const auto chain = attributes ("InternalSequencer/EditionState/ChainPatterns", "first last bank");
const auto edited = attributes ("InternalSequencer/EditionState/EditedPattern", "value");
const auto tempo = attributes (patterns + "0", "tempo"), shuffle = attributes (patterns + "0", "shuffle");

struct PanelGesture
{
    const char* name;
    std::vector<Action> actions;

    friend std::ostream& operator<< (std::ostream& out, const PanelGesture& g) { return out << g.name; }
};

/** A new panel (sequencer stopped, bank 1's first pattern, WRITE dark, FOLLOW lit) worked with real X
    input, a row of the README manual's gestures each, with the saved state checked between them. */
class PanelGesturesEndToEnd : public PanelEndToEnd, public ::testing::WithParamInterface<PanelGesture>
{
};

TEST_P (PanelGesturesEndToEnd, LeaveTheStateTheManualDescribes)
{
    const auto before = chunkDocumentAt (0);
    ASSERT_NE (before, nullptr);
    for (const auto& action : GetParam().actions)
    {
        const auto control =
            action.control != nullptr ? skinControlNamed (action.control) : juce::Rectangle<int>();
        if (action.now != nullptr)
        {
            ASSERT_NO_FATAL_FAILURE (settle());
            expectState (action, *before);
        }
        else if (action.dy != 0)
            ASSERT_TRUE (window->drag (control.getCentre(), control.getCentre().translated (0, action.dy)));
        else
            ASSERT_NO_FATAL_FAILURE (clickOn (control, action.withControl)) << action.control;
    }
}

INSTANTIATE_TEST_SUITE_P (
    Manual, PanelGesturesEndToEnd,
    ::testing::Values (
        PanelGesture{"ChainFromAKeyToACtrlClickedOneUntilAPlainClick",
                     {click ("NoteCButton"), ctrlClick ("NoteEButton"), is (chain, "first=0 last=2 bank=0"),
                      click ("NoteFButton"), is (chain, "first=3 last=3 bank=0")}},
        PanelGesture{"CtrlClickLeftOfTheChainRunsItToTheOldFirstKey",
                     {click ("NoteEButton"), ctrlClick ("NoteGButton"), is (chain, "first=2 last=4 bank=0"),
                      ctrlClick ("NoteCButton"), is (chain, "first=0 last=2 bank=0")}},
        PanelGesture{"BankKeyThenNoteKeyChoosesThatBanksPattern",
                     {click ("AccentButton"), click ("NoteCButton"), is (chain, "first=0 last=0 bank=1"),
                      is (edited, "value=8")}},
        PanelGesture{"PatternArrowsMoveOnlyWithFollowDark",
                     {click ("WriteModeButton"), click ("PattNextButton"), is (edited, "value=0"),
                      click ("AutoFollowButton"), click ("PattNextButton"), is (edited, "value=1")}},
        PanelGesture{"LengthKeyALightAndLengthAgainSetTheLength",
                     {click ("WriteModeButton"), click ("PattLengthButton"), click ("PattLen04Led"),
                      click ("PattLengthButton"), is (attributes (patterns + "0", "length"), "length=4")}},
        PanelGesture{
            "StepKeyThenFlagKeysSetThatStepsFlags",
            {click ("WriteModeButton"), click ("PattStepNum02Led"), click ("AccentButton"),
             click ("SlideButton"), click ("OctaveUpButton"),
             is (attributes (patterns + "0/1", "accent slide octaveUp"), "accent=1 slide=1 octaveUp=1"),
             asBefore (xmlOf (patterns + "0/0"))}},
        PanelGesture{"CtrlClickOnANoteKeyGivesEveryStepThatNoteInTheChosenStepsOctave",
                     {click ("WriteModeButton"), click ("PattStepNum03Led"), ctrlClick ("NoteGButton"),
                      everyStepIs ("note", "7"), everyStepIs ("octaveUp", "1")}},
        PanelGesture{"CopyThenPasteIntoAnotherPatternCopiesItsStepsAndName",
                     {click ("WriteModeButton"), click ("PattCopyButton"), click ("AutoFollowButton"),
                      click ("PattNextButton"), click ("PattPasteButton"),
                      asBefore (xmlOf (patterns + "1", false), xmlOf (patterns + "0", false)),
                      asBefore (attributes (patterns + "1", "name"), [] (const auto& s)
                                { return attributes (patterns + "0", "name") (s) + " copy"; })}},
        PanelGesture{"ClearThenUndoGivesThePatternBack",
                     {click ("WriteModeButton"), click ("PattClearButton"), changed (xmlOf (patterns + "0")),
                      click ("PattUndoButton"), asBefore (xmlOf (patterns + "0"))}},
        PanelGesture{"TempoMovesOnlyWithClockAndWriteLit",
                     {click ("InternalSyncButton"), drag ("TempoKnob", -30), is (tempo, "tempo=120.0"),
                      click ("WriteModeButton"), drag ("TempoKnob", -30), changed (tempo)}},
        PanelGesture{"TempoStaysWithoutClock",
                     {click ("WriteModeButton"), drag ("TempoKnob", -30), is (tempo, "tempo=120.0")}},
        PanelGesture{"ShuffleMovesOnlyWithWriteLit",
                     {drag ("ShuffleKnob", -30), is (shuffle, "shuffle=0"), click ("WriteModeButton"),
                      drag ("ShuffleKnob", -30), changed (shuffle)}},
        PanelGesture{"RandomizerDrawThenUndoGivesThePatternBack",
                     {click ("WriteModeButton"), click ("PattRandModeButton"), click ("PattNextButton"),
                      changed (xmlOf (patterns + "0")), click ("PattUndoButton"),
                      asBefore (xmlOf (patterns + "0"))}}),
    [] (const auto& instance) { return std::string (instance.param.name); });

TEST_F (PanelEndToEnd, LearnPairsAMovedKnobWithTheNextControllerWhichThenMovesIt)
{
    press ("MidiLearnButton");
    ASSERT_TRUE (window->drag (knob.getCentre(), knob.getCentre().translated (0, -40)));
    ASSERT_NO_FATAL_FAILURE (settle());
    const auto controller74 = [&] (int value)
    {
        plugin->addMidiEvent (juce::MidiMessage::controllerEvent (1, 74, value), 0);
        plugin->process (plugin->getBlockSize());
    };
    const auto before = chunkDocumentAt (0);
    ASSERT_NE (before, nullptr);
    controller74 (100);
    expectState (is (attributes ("MidiControlMap/assign", "CC param"), "CC=74 param=Cutoff"), *before);
    controller74 (20);
    EXPECT_NEAR (plugin->getParameter (cutoffParameter), 20.0f / 127.0f, 1.0e-3f);
}
} // namespace
