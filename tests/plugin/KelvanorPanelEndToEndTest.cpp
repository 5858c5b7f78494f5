#include "KelvanorPluginTestSupport.h"
#include "XvfbDisplay.h"
#include "tools/HostEditor.h"

#include <X11/keysym.h>

#include <algorithm>
#include <functional>

namespace
{
constexpr int cutoffIndex = 2;

/** Where a control of the embedded skin lies in the editor: its "pos", and its "size" or its image's frame.
 */
juce::Rectangle<int> skinControlBounds (const std::function<bool (const juce::XmlElement&)>& matches)
{
    const juce::File resources (KELVANOR_RESOURCES_DIR);
    const auto skin = juce::parseXML (resources.getChildFile ("skin.xml"));
    if (skin == nullptr)
        return {};

    const juce::XmlElement* found = nullptr;
    std::function<void (const juce::XmlElement&)> search = [&] (const juce::XmlElement& e)
    {
        for (const auto* child : e.getChildIterator())
            if (found == nullptr)
            {
                if (matches (*child))
                    found = child;
                else
                    search (*child);
            }
    };
    search (*skin);
    if (found == nullptr)
        return {};

    juce::Rectangle<int> bounds;
    if (const auto* pos = found->getChildByName ("pos"))
        bounds.setPosition (pos->getIntAttribute ("left"), pos->getIntAttribute ("top"));
    if (const auto* size = found->getChildByName ("size"))
        bounds.setSize (size->getIntAttribute ("width"), size->getIntAttribute ("height"));
    if (const auto* gfx = found->getChildByName ("gfx"); gfx != nullptr && bounds.isEmpty())
    {
        const auto image = juce::ImageFileFormat::loadFrom (
            resources.findChildFiles (juce::File::findFiles, true, gfx->getStringAttribute ("resource"))[0]);
        bounds.setSize (image.getWidth(),
                        image.getHeight() / juce::jmax (1, gfx->getIntAttribute ("framesNum", 1)));
    }
    return bounds;
}

juce::Rectangle<int> skinControlNamed (const juce::String& name)
{
    return skinControlBounds ([name] (const juce::XmlElement& e)
                              { return e.getStringAttribute ("name") == name; });
}

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

/** The plug-in with its editor open in a window of the host's own, drawn once. */
class PanelEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KELVANOR_REQUIRE_XVFB();
        plugin = openKelvanor();
        ASSERT_TRUE (plugin->isOpen());
        window = std::make_unique<HostEditorWindow> (320, 200);
        ASSERT_TRUE (window->isValid()) << window->getError();
        if (!window->canSendInput())
            GTEST_SKIP() << "no XTest on this display";
        session = std::make_unique<HostEditorSession> (*plugin, *window);
        ASSERT_TRUE (session->open());
        ASSERT_GE (session->waitForFirstPaint (10.0), 0.0);
        session->idle (0.2);
    }

    void TearDown() override
    {
        session.reset();
        window.reset();
        plugin.reset();
    }

    void clickOn (juce::Rectangle<int> control)
    {
        ASSERT_FALSE (control.isEmpty());
        ASSERT_TRUE (window->click (control.getCentre()));
        session->idle (0.2);
    }

    /** Pumps the host until the condition holds or five seconds pass: on a loaded machine the window's
        events may need longer than a fixed idle. The condition's last answer is returned. */
    template <typename Condition>
    bool idleUntil (Condition done)
    {
        for (int i = 0; i < 50 && !done(); ++i)
            session->idle (0.1);
        return done();
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

    ScopedPluginHome home;
    std::unique_ptr<HostedPlugin> plugin;
    std::unique_ptr<HostEditorWindow> window;
    std::unique_ptr<HostEditorSession> session;
};

TEST_F (PanelEndToEnd, ADragOnAKnobChangesItsParameterAndTheHostHearsTheAutomation)
{
    const auto knob = skinControlNamed ("CutoffKnob");
    ASSERT_FALSE (knob.isEmpty());
    plugin->setParameter (cutoffIndex, 0.3f);
    session->idle (0.2);
    plugin->clearRecordings();

    ASSERT_TRUE (window->drag (knob.getCentre(), knob.getCentre().translated (0, -60)));
    idleUntil ([&] { return plugin->getParameter (cutoffIndex) > 0.35f; });
    plugin->process (plugin->getBlockSize()); // automation reaches the host's recording with a block

    EXPECT_GT (plugin->getParameter (cutoffIndex), 0.35f);
    const auto automation = plugin->getAutomation();
    const auto heard = std::count_if (automation.begin(), automation.end(),
                                      [] (const auto& event) { return event.index == cutoffIndex; });
    EXPECT_GT (heard, 0);
    ASSERT_FALSE (automation.empty());
    EXPECT_FLOAT_EQ (automation.back().value, plugin->getParameter (cutoffIndex));
}

TEST_F (PanelEndToEnd, ANoteKeyInEditModeSetsTheEditedStepsNote)
{
    const auto before = stateOf (plugin->getChunk());
    ASSERT_NE (before, nullptr);
    const auto* pattern = editedPattern (*before);
    ASSERT_NE (pattern, nullptr);
    ASSERT_NE (pattern->getChildElement (0)->getIntAttribute ("note"), 4);

    clickOn (skinControlFiring ("Toggle Pattern Write Mode"));
    clickOn (skinControlNamed ("NoteEButton"));
    idleUntil (
        [&]
        {
            const auto state = stateOf (plugin->getChunk());
            const auto* p = state != nullptr ? editedPattern (*state) : nullptr;
            return p != nullptr && p->getChildElement (0)->getIntAttribute ("note") == 4;
        });

    const auto after = stateOf (plugin->getChunk());
    ASSERT_NE (after, nullptr);
    const auto* edited = editedPattern (*after);
    ASSERT_NE (edited, nullptr);
    EXPECT_EQ (edited->getChildElement (0)->getIntAttribute ("note"), 4) << edited->toString();
}

TEST_F (PanelEndToEnd, AClickOnAKnobLeavesTheKeyboardWithTheHost)
{
    ASSERT_TRUE (window->holdsKeyboardFocus());
    clickOn (skinControlNamed ("CutoffKnob"));
    EXPECT_TRUE (window->holdsKeyboardFocus()) << "a control that takes no text keeps no keys from the host";
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
    session->idle (0.4);
    const auto earlier = captureOf (stepRow);
    juce::Image later;
    idleUntil (
        [&]
        {
            later = captureOf (stepRow);
            return differingPixels (earlier, later) > 0;
        });
    session->setRendersAudio (false);

    EXPECT_GT (differingPixels (earlier, later), 0) << "the lit step moved on";
}

TEST_F (PanelEndToEnd, AParameterSetByTheHostMovesItsKnob)
{
    const auto knob = skinControlNamed ("CutoffKnob");
    ASSERT_FALSE (knob.isEmpty());
    plugin->setParameter (cutoffIndex, 0.1f);
    session->idle (0.3);
    const auto low = captureOf (knob);
    ASSERT_TRUE (low.isValid());

    plugin->setParameter (cutoffIndex, 0.9f);
    juce::Image high;
    idleUntil (
        [&]
        {
            high = captureOf (knob);
            return differingPixels (low, high) > knob.getWidth();
        });
    EXPECT_GT (differingPixels (low, high), knob.getWidth()) << "the knob's picture follows the host";

    // And only the knob changed around it: a neighbouring strip of the panel stays as it was.
    const auto beside = knob.translated (0, knob.getHeight() + 40).withHeight (8);
    plugin->setParameter (cutoffIndex, 0.1f);
    session->idle (0.3);
    const auto besideLow = captureOf (beside);
    plugin->setParameter (cutoffIndex, 0.9f);
    session->idle (0.3);
    EXPECT_EQ (differingPixels (besideLow, captureOf (beside)), 0);
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
        clickOn (skinControlFiring ("Toggle Pattern Write Mode"));
        ASSERT_TRUE (idleUntil ([&] { return isWriting(); })) << "write mode did not come on";
    }

    bool isWriting()
    {
        const auto state = stateOf (plugin->getChunk());
        const auto* sequencer = state != nullptr ? state->getChildByName ("InternalSequencer") : nullptr;
        const auto* write = sequencer != nullptr ? sequencer->getChildByName ("PattWriteMode") : nullptr;
        return write != nullptr && write->getStringAttribute ("state") == "on";
    }

    juce::String editedPatternName()
    {
        const auto state = stateOf (plugin->getChunk());
        const auto* pattern = state != nullptr ? editedPattern (*state) : nullptr;
        return pattern != nullptr ? pattern->getStringAttribute ("name") : "<no pattern in the state>";
    }

    void typeIntoTheName (const juce::String& typed)
    {
        clickOn (nameDisplay);
        // The edit has begun once the plug-in holds the keyboard.
        ASSERT_TRUE (idleUntil ([&] { return !window->holdsKeyboardFocus(); })) << "the click began no edit";
        // Keys go where the X input focus is, not where the pointer happens to be.
        ASSERT_TRUE (window->movePointerAway());
        // Clears the name first, so the result does not depend on the name the factory bank gives.
        for (int i = 0; i < originalName.length(); ++i)
            ASSERT_TRUE (window->pressKey (XK_BackSpace));
        ASSERT_TRUE (window->typeText (typed));
        session->idle (0.2);
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
        session->idle (0.3);
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

    const auto expected = GetParam().commits ? typed : originalName;
    // The cases without a commit have had the same idle, and the later keys below, to go wrong.
    if (GetParam().commits)
        idleUntil ([&] { return editedPatternName() == expected; });
    EXPECT_EQ (editedPatternName(), expected);
    EXPECT_TRUE (window->holdsKeyboardFocus()) << "the host's keys come back to the host";

    // The edit has ended: later keys change nothing, wherever the pointer is.
    ASSERT_TRUE (window->movePointer (nameDisplay.getCentre()));
    ASSERT_TRUE (window->typeText ("X"));
    ASSERT_TRUE (window->pressKey (XK_Return));
    session->idle (0.3);
    EXPECT_EQ (editedPatternName(), expected);
}

INSTANTIATE_TEST_SUITE_P (Endings, PatternNameEditEnds,
                          ::testing::Values (NameEditEnding{"Return", Ending::returnKey, true},
                                             NameEditEnding{"Escape", Ending::escapeKey, false},
                                             NameEditEnding{"ClickElsewhere", Ending::clickElsewhere, true}),
                          [] (const auto& each) { return std::string (each.param.name); });
} // namespace
