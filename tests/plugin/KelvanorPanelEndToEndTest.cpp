#include "KelvanorEditorInHostWindow.h"

#include <X11/keysym.h>

#include <algorithm>
#include <functional>

namespace
{
constexpr int cutoffIndex = 2;

/** Where the control of the embedded skin that fires that event lies in the editor. */
juce::Rectangle<int> skinControlFiring (const juce::String& event)
{
    return skinControlBounds (
        [event] (const juce::XmlElement& e)
        {
            if (const auto* actions = e.getChildByName ("actions"))
                for (const auto* action : actions->getChildIterator())
                    if (action->getStringAttribute ("event") == event)
                        return true;
            return false;
        });
}

/** The "PluginState" document of a chunk: "VC2!", the text length, the text. */
std::unique_ptr<juce::XmlElement> stateOf (const juce::MemoryBlock& chunk)
{
    if (chunk.getSize() < 8 || std::memcmp (chunk.getData(), "VC2!", 4) != 0)
        return nullptr;
    const auto* bytes = static_cast<const char*> (chunk.getData());
    const auto length =
        std::min<size_t> (chunk.getSize() - 8, (size_t) juce::ByteOrder::littleEndianInt (bytes + 4));
    return juce::XmlDocument::parse (juce::String::fromUTF8 (bytes + 8, (int) length));
}

/** The edited pattern of a state, as the sequencer stored it. */
const juce::XmlElement* editedPattern (const juce::XmlElement& state)
{
    const auto* sequencer = state.getChildByName ("InternalSequencer");
    if (sequencer == nullptr)
        return nullptr;
    int edited = 0;
    if (const auto* edition = sequencer->getChildByName ("EditionState"))
        if (const auto* e = edition->getChildByName ("EditedPattern"))
            edited = e->getIntAttribute ("value");
    const auto* patterns = sequencer->getChildByName ("PatternsState");
    const auto* bank = patterns != nullptr ? patterns->getChildByName ("PatternBank") : nullptr;
    return bank != nullptr ? bank->getChildElement (edited) : nullptr;
}

/** The editor in a host window, with the panel's own ways to click, wait and look. */
class PanelEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    void clickOn (juce::Rectangle<int> control)
    {
        ASSERT_FALSE (control.isEmpty());
        ASSERT_TRUE (window->click (control.getCentre()));
    }

    bool isWriting()
    {
        const auto state = stateOf (plugin->getChunk());
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
        clickOn (control);
        ASSERT_TRUE (
            idleUntil ([&] { return window->getFocusLossCount() > losses && window->holdsKeyboardFocus(); }))
            << "a control that takes no text keeps no keys from the host";
    }

    /** Clicks the write mode button and waits until the sequencer has turned to the state asked for. */
    void setWriting (bool shouldWrite)
    {
        clickLeavingTheKeysWithTheHost (skinControlFiring ("Toggle Pattern Write Mode"));
        ASSERT_TRUE (idleUntil ([&] { return isWriting() == shouldWrite; }))
            << "write mode did not turn " << (shouldWrite ? "on" : "off");
    }

    juce::Image captureOf (juce::Rectangle<int> area) const
    {
        return window->capture().getClippedImage (area);
    }

    static int differingPixels (const juce::Image& a, const juce::Image& b)
    {
        int differing = 0;
        for (int y = 0; y < juce::jmin (a.getHeight(), b.getHeight()); ++y)
            for (int x = 0; x < juce::jmin (a.getWidth(), b.getWidth()); ++x)
                differing += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;
        return differing;
    }
};

TEST_F (PanelEndToEnd, ADragOnAKnobChangesItsParameterAndTheHostHearsTheAutomation)
{
    const auto knob = skinControlNamed ("CutoffKnob");
    ASSERT_FALSE (knob.isEmpty());
    plugin->setParameter (cutoffIndex, 0.3f);
    plugin->clearRecordings();

    ASSERT_TRUE (window->drag (knob.getCentre(), knob.getCentre().translated (0, -60)));

    // The drag's events may still be arriving: what is compared is read together, each time.
    float value = 0.0f;
    std::vector<HostedPlugin::AutomationEvent> automation;
    EXPECT_TRUE (idleUntil (
        [&]
        {
            plugin->process (plugin->getBlockSize()); // automation reaches the host's recording with a block
            value = plugin->getParameter (cutoffIndex);
            automation = plugin->getAutomation();
            return value > 0.35f && !automation.empty() && automation.back().index == cutoffIndex &&
                   automation.back().value == value;
        }))
        << "the parameter is at " << value << " and the host heard " << automation.size() << " changes";
}

TEST_F (PanelEndToEnd, ANoteKeyInEditModeSetsTheEditedStepsNote)
{
    const auto before = stateOf (plugin->getChunk());
    ASSERT_NE (before, nullptr);
    const auto* pattern = editedPattern (*before);
    ASSERT_NE (pattern, nullptr);
    ASSERT_NE (pattern->getChildElement (0)->getIntAttribute ("note"), 4);

    setWriting (true);
    clickOn (skinControlNamed ("NoteEButton"));
    juce::String edited;
    EXPECT_TRUE (idleUntil (
        [&]
        {
            const auto state = stateOf (plugin->getChunk());
            const auto* p = state != nullptr ? editedPattern (*state) : nullptr;
            edited = p != nullptr ? p->toString() : "<no pattern in the state>";
            return p != nullptr && p->getChildElement (0)->getIntAttribute ("note") == 4;
        }))
        << edited;
}

TEST_F (PanelEndToEnd, AClickOnAKnobLeavesTheKeyboardWithTheHost)
{
    ASSERT_TRUE (window->holdsKeyboardFocus());
    clickLeavingTheKeysWithTheHost (skinControlNamed ("CutoffKnob"));
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
    EXPECT_TRUE (idleUntil ([&] { return differingPixels (earlier, captureOf (stepRow)) > 0; }))
        << "the lit step moved on";
    session->setRendersAudio (false);
}

TEST_F (PanelEndToEnd, AParameterSetByTheHostMovesItsKnob)
{
    const auto knob = skinControlNamed ("CutoffKnob");
    ASSERT_FALSE (knob.isEmpty());
    const auto beside = knob.translated (0, knob.getHeight() + 40).withHeight (8);

    // Each value far from the one shown before, so the knob has a different picture to show.
    const auto moveFar = [&]
    {
        const auto before = captureOf (knob);
        plugin->setParameter (cutoffIndex, plugin->getParameter (cutoffIndex) < 0.5f ? 0.9f : 0.1f);
        return idleUntil ([&] { return differingPixels (before, captureOf (knob)) > knob.getWidth(); });
    };
    ASSERT_TRUE (moveFar()) << "the knob's picture follows the host";

    // And only the knob changes around it: a neighbouring strip of the panel stays as it was.
    const auto besideBefore = captureOf (beside);
    ASSERT_TRUE (besideBefore.isValid());
    ASSERT_TRUE (moveFar()) << "the knob's picture follows the host back";
    EXPECT_EQ (differingPixels (besideBefore, captureOf (beside)), 0);
}

//==============================================================================
/** The pattern name display in edit mode, clicked, typed into with real key events and ended one way. */
class PatternNameTyping : public PanelEndToEnd
{
protected:
    void SetUp() override
    {
        PanelEndToEnd::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        nameDisplay = skinControlNamed ("PatternNameDisplay");
        ASSERT_FALSE (nameDisplay.isEmpty());
        originalName = editedPatternName();
        // The name takes typing only while the pattern is being written.
        setWriting (true);
    }

    juce::String editedPatternName()
    {
        const auto state = stateOf (plugin->getChunk());
        const auto* pattern = state != nullptr ? editedPattern (*state) : nullptr;
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

    juce::Rectangle<int> nameDisplay;
    juce::String originalName;
};

enum class Ending
{
    returnKey,
    escapeKey,
    clickElsewhere
};

struct NameEditEnding
{
    const char* name;
    Ending ending;
    bool commits;

    friend std::ostream& operator<< (std::ostream& out, const NameEditEnding& e) { return out << e.name; }
};

class PatternNameEditEnds : public PatternNameTyping, public ::testing::WithParamInterface<NameEditEnding>
{
protected:
    void endTheEdit()
    {
        switch (GetParam().ending)
        {
            case Ending::returnKey: ASSERT_TRUE (window->pressKey (XK_Return)); break;
            case Ending::escapeKey: ASSERT_TRUE (window->pressKey (XK_Escape)); break;
            case Ending::clickElsewhere: ASSERT_TRUE (window->click (emptyPanelPoint())); break;
        }
    }

    /** A point of the sequencer section with nothing printed on it: right of the shift keys, left of the
        octave keys. */
    static juce::Point<int> emptyPanelPoint() { return {650, 585}; }
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
                          ::testing::Values (NameEditEnding{"Return", Ending::returnKey, true},
                                             NameEditEnding{"Escape", Ending::escapeKey, false},
                                             NameEditEnding{"ClickElsewhere", Ending::clickElsewhere, true}),
                          [] (const auto& instance) { return std::string (instance.param.name); });
} // namespace
