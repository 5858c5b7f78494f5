#include "KelvanorEditorInHostWindow.h"

#include <X11/keysym.h>

namespace
{
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
} // namespace
