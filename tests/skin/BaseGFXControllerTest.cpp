#include "skin/controller/BaseGFXController.h"
#include "SkinTestSupport.h"

namespace
{
using namespace SkinTest;

/** A minimal film-strip control on the base: a knob-like strip that shows its parameter's normalised
    value, drags with a gesture, and writes what the user drags. */
class StripControl : public BaseGFXController, public juce::Component
{
public:
    explicit StripControl (const juce::String& name = "strip")
        : juce::Component (name)
    {
    }

    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override
    {
        BaseGFXController::loadFromXml (element, skinSource);
        placeAtSkinBounds (*this);
    }

    void updateSize() override { applyFrameSize (*this); }
    void updatePosition() override { applyPosition (*this); }

    void updateFromParameter (Parameter* source) override
    {
        value = source->getValueNormalised();
        ++updates;
    }

    void paint (juce::Graphics& g) override
    {
        drawFrame (g, FilmStrip::knobFrame (framesNum, value, 0.0f, 1.0f), getLocalBounds());
    }

    void mouseDown (const juce::MouseEvent&) override { beginDragGesture(); }
    void mouseDrag (const juce::MouseEvent& e) override
    {
        value = juce::jlimit (0.0f, 1.0f, (float) e.getDistanceFromDragStartX() / 100.0f);
        if (auto* p = getParameter())
            p->setValueNormalised (value, true);
        sendValueChanged();
    }
    void mouseUp (const juce::MouseEvent&) override { endDragGesture(); }

    void addAction (const juce::String& type, int eventId, const juce::String& eventName) override
    {
        actions.add (type + " " + juce::String (eventId) + " " + eventName);
    }

    float value = 0.0f;
    int updates = 0;
    juce::StringArray actions;
};

juce::String controlXml (const juce::String& children)
{
    return "<Knob name=\"k\">" + children + "</Knob>";
}

using BaseGFXControllerTest = SourceTest;

TEST_F (BaseGFXControllerTest, EveryFrameOfAStripShowsWhereItsValueSaysAcrossFrameCountsAndSizes)
{
    struct Case
    {
        int frames, width, frameHeight;
    };
    for (const auto& c : {Case{2, 10, 10}, Case{3, 8, 7}, Case{16, 12, 5}, Case{61, 20, 9}})
    {
        embed ({{"strip.png", makeStrip (c.frames, c.width, c.frameHeight)}});
        StripControl control;
        load (control,
              controlXml ("<gfx resource='strip.png' framesNum='" + juce::String (c.frames) + "'/>"));
        ASSERT_EQ (control.getBounds(), juce::Rectangle<int> (0, 0, c.width, c.frameHeight)) << c.frames;

        for (int frame = 0; frame < c.frames; ++frame)
        {
            control.value = (float) frame / (float) (c.frames - 1);
            EXPECT_EQ (shownFrame (control), frame) << c.frames << " frames of " << c.frameHeight << " rows";
            // The frame's first and last rows belong to it: no row of a neighbour bleeds in.
            EXPECT_EQ (frameOfColour (pixelAt (control, {0, 0})), frame);
            EXPECT_EQ (frameOfColour (pixelAt (control, {c.width - 1, c.frameHeight - 1})), frame);
        }
    }
}

TEST_F (BaseGFXControllerTest, FrameSizeComesFromTheImageElseFromSizeAndFrameCountsBelowOneCountAsOne)
{
    embed ({{"tall.png", makeStrip (4, 40, 50)}});
    struct Case
    {
        const char* xml;
        int framesNum;
        juce::Rectangle<int> bounds;
        int centreAtFullScale; // the 4-frame strip's frame under the centre of the last frame shown
    };
    const Case cases[] = {
        {"<gfx resource='tall.png' framesNum='4'/><pos left='3' top='4'/>", 4, {3, 4, 40, 50}, 3},
        {"<gfx resource='tall.png' framesNum='4'/><size width='7' height='9'/>", 4, {0, 0, 40, 50}, 3},
        {"<gfx resource='tall.png' framesNum='0'/>", 1, {0, 0, 40, 200}, 2},
        {"<gfx resource='tall.png' framesNum='-3'/>", 1, {0, 0, 40, 200}, 2},
        {"<gfx resource='absent.png' framesNum='4'/><size width='7' height='9'/>", 4, {0, 0, 7, 9}, -1},
        {"<GFX resource='tall.png' framesNum='2'/><POS left='1' top='2'/>", 2, {1, 2, 40, 100}, 3},
        {"", 1, {0, 0, 0, 0}, -1},
    };
    for (const auto& c : cases)
    {
        StripControl control;
        load (control, controlXml (c.xml));
        EXPECT_EQ (control.getFramesNum(), c.framesNum) << c.xml;
        EXPECT_EQ (control.getBounds(), c.bounds) << c.xml;
        control.value = 1.0f;
        if (control.hasImage())
        {
            EXPECT_EQ (shownFrame (control), c.centreAtFullScale) << c.xml;
        }
    }
}

TEST_F (BaseGFXControllerTest, LinksConnectOnlyConnectedToExistingParametersAndTheLastOneWins)
{
    struct Case
    {
        const char* links;
        const char* expected; // parameter name, or "" for none
    };
    const Case cases[] = {
        {"<link as='connectedTo' param='Cutoff'/>", "Cutoff"},
        {"<link as='connectedTo' param='Cutoff'/><link as='connectedTo' param='Resonance'/>", "Resonance"},
        {"<link as='connectedTo' param='Cutoff'/><link as='connectedTo' param='Nothing'/>", "Cutoff"},
        {"<link as='modulates' param='Cutoff'/>", ""},
        {"<link as='connectedto' param='Cutoff'/>", ""},
        {"<link as='connectedTo' param='cutoff'/>", ""},
        {"<link as='connectedTo' param='Absent'/>", ""},
        {"<LINK as='connectedTo' param='Mode'/>", "Mode"},
    };
    for (const auto& c : cases)
    {
        StripControl control;
        load (control, controlXml (juce::String ("<links>") + c.links + "</links>"));
        const juce::String expected (c.expected);
        EXPECT_EQ (control.isConnected() ? control.getParameter()->getName() : juce::String(), expected)
            << c.links;

        // Only the connected parameter lists the control.
        for (const auto* name : {"Cutoff", "Resonance", "Mode"})
            EXPECT_EQ (plugin.parameter (name).hasAsyncListener (&control), expected == name)
                << c.links << name;
    }
    for (const auto* name : {"Cutoff", "Resonance", "Mode"})
        EXPECT_FALSE (plugin.parameter (name).hasAsyncListener (nullptr));
}

TEST_F (BaseGFXControllerTest, ADeadControlLeavesItsParametersListAndUnconnectedControlsAreNotRefreshed)
{
    auto& cutoff = plugin.parameter ("Cutoff");
    {
        StripControl control;
        load (control, controlXml ("<links><link as='connectedTo' param='Cutoff'/></links>"));
        ASSERT_TRUE (cutoff.hasAsyncListener (&control));
        control.connectToParameter (&plugin.parameter ("Mode"));
        EXPECT_FALSE (cutoff.hasAsyncListener (&control));
        control.connectToParameter (&cutoff);
    }
    // Were the control still listed, this notice would reach freed memory.
    cutoff.setValueNormalised (0.9f, true);
    pumpMessages();

    StripControl unconnected;
    load (unconnected, controlXml ("<links><link as='connectedTo' param='Absent'/></links>"));
    cutoff.setValueNormalised (0.1f, true);
    pumpMessages();
    EXPECT_EQ (unconnected.updates, 0);
}

TEST_F (BaseGFXControllerTest, ActionsRegisterKnownEventsByExactNameWithANonEmptyType)
{
    StripControl control;
    load (control, controlXml ("<actions>"
                               "<action type='onClick' event='Test press'/>"
                               "<action type='onClick' event='test PRESS'/>"
                               "<action type='onClick' event='Absent'/>"
                               "<action type='' event='Test press'/>"
                               "<action event='Test press'/>"
                               "<ACTION type='onRelease' event='Test release'/>"
                               "</actions>"));
    EXPECT_EQ (control.actions,
               juce::StringArray ({"onClick 7001 Test press", "onRelease 7002 Test release"}));
}

TEST_F (BaseGFXControllerTest, FollowingTheParameterWritesNothingBackAndOneDragIsOneGesture)
{
    embed ({{"strip.png", makeStrip (11, 10, 10)}});
    auto& cutoff = plugin.parameter ("Cutoff");
    GestureCounter host;
    cutoff.addListener (&host);

    StripControl control ("k");
    load (control, controlXml ("<gfx resource='strip.png' framesNum='11'/>"
                               "<links><link as='connectedTo' param='Cutoff'/></links>"));
    ControllerLog log;
    control.addListener (&log);

    cutoff.setValueNormalised (0.7f, true);
    const int changesFromHost = host.changes;
    pumpMessages();
    EXPECT_EQ (control.updates, 1);
    EXPECT_EQ (shownFrame (control), 7);
    EXPECT_EQ (host.changes, changesFromHost) << "the control wrote the value it was shown back";

    // A drag whose press and release the component reports twice still makes one edit for the host.
    control.mouseDown (mouseAt (control, {1, 1}));
    control.mouseDown (mouseAt (control, {1, 1}));
    control.mouseDrag (dragEvent (control, {1, 1}, {31, 1}));
    control.mouseUp (mouseAt (control, {31, 1}));
    control.mouseUp (mouseAt (control, {31, 1}));
    EXPECT_EQ (host.begins, 1);
    EXPECT_EQ (host.ends, 1);
    EXPECT_EQ (log.lines, (std::vector<std::string>{"started k", "value k", "ended k"}));
    cutoff.removeListener (&host);
}

TEST_F (BaseGFXControllerTest, AControlDestroyedMidDragEndsTheHostsEdit)
{
    auto& cutoff = plugin.parameter ("Cutoff");
    GestureCounter host;
    cutoff.addListener (&host);
    {
        StripControl control;
        control.connectToParameter (&cutoff);
        control.beginDragGesture();
        control.connectToParameter (&plugin.parameter ("Mode")); // the gesture's end still reaches Cutoff
    }
    EXPECT_EQ (host.begins, 1);
    EXPECT_EQ (host.ends, 1);
    cutoff.removeListener (&host);
}

/** Removes itself (and optionally another listener) when it hears an action. */
class LeavingListener : public GUIController::Listener
{
public:
    LeavingListener (GUIController& c, std::vector<int>& heard, int tag)
        : control (c)
        , calls (heard)
        , id (tag)
    {
    }
    void controllerActionTriggered (GUIController*, int) override
    {
        calls.push_back (id);
        control.removeListener (this);
        if (alsoRemove != nullptr)
            control.removeListener (alsoRemove);
    }

    GUIController& control;
    std::vector<int>& calls;
    int id;
    GUIController::Listener* alsoRemove = nullptr;
};

TEST_F (BaseGFXControllerTest, AListenerRemovingItselfDuringANotificationDoesNotStopTheOthers)
{
    StripControl control;
    std::vector<int> heard;
    LeavingListener first (control, heard, 1), second (control, heard, 2), third (control, heard, 3);
    control.addListener (&first);
    control.addListener (&second);
    control.addListener (&second); // no duplicates
    control.addListener (nullptr);
    control.addListener (&third);

    control.sendActionTriggered (7001);
    EXPECT_EQ (heard, (std::vector<int>{3, 2, 1})) << "last added first, each exactly once";

    control.sendActionTriggered (7001);
    EXPECT_EQ (heard.size(), 3u) << "all removed themselves";

    // Removing a listener that has not been called yet skips it without skipping the rest.
    heard.clear();
    control.addListener (&first);
    control.addListener (&second);
    control.addListener (&third);
    third.alsoRemove = &second;
    control.sendActionTriggered (7001);
    EXPECT_EQ (heard, (std::vector<int>{3, 1}));
}

class CountingBlinker : public BlinkingComponent
{
public:
    void blinkStateChanged() override { ++changes; }
    int changes = 0;
};

TEST (BlinkingComponent, TheTimerRunsOnlyWhileBlinkingAndStoppingNeverLeavesTheBlankPhase)
{
    CountingBlinker blinker;
    EXPECT_FALSE (blinker.isBlinking());

    blinker.setBlinking (true);
    EXPECT_TRUE (blinker.isBlinking());
    EXPECT_FALSE (blinker.isInBlinkOnPhase());
    blinker.blinkTick();
    EXPECT_TRUE (blinker.isInBlinkOnPhase());
    EXPECT_EQ (blinker.changes, 1);

    blinker.setBlinking (false);
    EXPECT_FALSE (blinker.isBlinking());
    EXPECT_FALSE (blinker.isInBlinkOnPhase());

    blinker.setBlinkPeriod (0);
    EXPECT_EQ (blinker.getBlinkPeriod(), 1);
}
} // namespace
