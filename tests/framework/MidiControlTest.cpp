#include "framework/MidiControl.h"
#include "TestSupport.h"
#include "framework/Parameter.h"
#include "framework/ParameterManager.h"
#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>

namespace
{
struct CountingListener : public MidiControl::Listener
{
    void midiControlMapChanged (MidiControl*) override { ++mapChanges; }
    void midiLearnStateChanged (MidiControl*) override { ++learnChanges; }
    void parameterMovedByMidi (MidiControl*) override { ++moves; }

    int mapChanges = 0, learnChanges = 0, moves = 0;
};

juce::MidiMessage controller (int channel, int number, int value)
{
    return juce::MidiMessage::controllerEvent (channel, number, value);
}

class MidiControlTest : public ::testing::Test
{
protected:
    MidiControlTest()
    {
        for (const auto* name : {"Cutoff", "Resonance", "Env Mod"})
            addFloat (nextId++, name, true);

        addFloat (nextId++, "Gate Level", false);

        cutoff = manager.getParameter (0);
        resonance = manager.getParameter (1);
        envMod = manager.getParameter (2);
        gateLevel = manager.getParameter (3);

        map.setName ("Kelvanor");
        map.addListener (&listener);
        pumpMessages();
    }

    ~MidiControlTest() override { map.removeListener (&listener); }

    void addFloat (int id, const juce::String& name, bool automatable)
    {
        auto parameter = std::make_unique<FloatParameter> (id, name);
        parameter->setAutomatable (automatable);
        manager.addParameter (std::move (parameter));
    }

    void send (int number, int value, int channel = 1)
    {
        map.processMidiMessage (controller (channel, number, value));
    }

    std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
    {
        auto root = XmlHelpers::parse (text);
        EXPECT_NE (root, nullptr) << text;
        return root;
    }

    ParameterManager manager;
    MidiControl map{manager};
    CountingListener listener;
    Parameter* cutoff = nullptr;
    Parameter* resonance = nullptr;
    Parameter* envMod = nullptr;
    Parameter* gateLevel = nullptr;
    int nextId = 0;
};

//==============================================================================
struct MoveCase
{
    int channel;
    int value;
    float expected;
};

class MidiControlMoves : public MidiControlTest, public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P (MidiControlMoves, ControllerOnAnyChannelSetsValueOver127)
{
    const auto c = GetParam();
    map.assign (7, cutoff, false);
    cutoff->setValueNormalised (0.25f, false);

    send (7, c.value, c.channel);

    EXPECT_NEAR (cutoff->getValueNormalised(), c.expected, 1.0e-6f);
}

INSTANTIATE_TEST_SUITE_P (Values, MidiControlMoves,
                          ::testing::Values (MoveCase{5, 127, 1.0f}, MoveCase{1, 64, 0.503937f},
                                             MoveCase{16, 0, 0.0f}, MoveCase{10, 1, 1.0f / 127.0f}));

TEST_F (MidiControlTest, IgnoresEverythingButControllers)
{
    map.assign (7, cutoff, false);
    cutoff->setValueNormalised (0.25f, false);

    map.processMidiMessage (juce::MidiMessage::noteOn (1, 7, (juce::uint8) 100));
    map.processMidiMessage (juce::MidiMessage::pitchWheel (1, 0x3fff));
    map.processMidiMessage (juce::MidiMessage::programChange (1, 7));
    send (8, 127);

    EXPECT_FLOAT_EQ (cutoff->getValueNormalised(), 0.25f);
}

TEST_F (MidiControlTest, MalformedControllerBytesAreIgnored)
{
    map.assign (127, cutoff, false);
    cutoff->setValueNormalised (0.25f, false);

    const juce::uint8 bigNumber[] = {0xb0, 0xff, 0x40};
    const juce::uint8 bigValue[] = {0xb0, 0x7f, 0xc0};
    map.processMidiMessage (juce::MidiMessage (bigNumber, 3));
    map.processMidiMessage (juce::MidiMessage (bigValue, 3));

    EXPECT_FLOAT_EQ (cutoff->getValueNormalised(), 0.25f);
}

TEST_F (MidiControlTest, MovesAreReportedOnceOnTheMessageThread)
{
    map.assign (7, cutoff, false);
    map.assign (8, resonance, false);

    send (7, 10);
    send (8, 20);
    send (9, 30); // free: no move
    EXPECT_EQ (listener.moves, 0);

    pumpMessages();
    EXPECT_EQ (listener.moves, 1);
    EXPECT_EQ (map.getLastMovedParameter(), resonance);

    send (9, 30);
    pumpMessages();
    EXPECT_EQ (listener.moves, 1);
}

//==============================================================================
TEST_F (MidiControlTest, AssigningAParameterElsewhereFreesItsOldController)
{
    map.assign (10, cutoff, true);
    map.assign (20, cutoff, true);

    EXPECT_EQ (map.getParameterOfController (10), nullptr);
    EXPECT_EQ (map.getParameterOfController (20), cutoff);
    EXPECT_EQ (map.getControllerOfParameter (cutoff), 20);
    EXPECT_EQ (map.getNumAssignments(), 1);

    map.assign (20, resonance, true); // replaces cutoff
    EXPECT_EQ (map.getControllerOfParameter (cutoff), -1);
    EXPECT_EQ (map.getParameterOfController (20), resonance);

    pumpMessages();
    EXPECT_EQ (listener.mapChanges, 1);
}

TEST_F (MidiControlTest, SlotsOutsideTheRangeAreIgnored)
{
    for (const int number : {-1, 128, 1000, std::numeric_limits<int>::min()})
    {
        map.assign (number, cutoff, true);
        map.removeAssignment (number);
        EXPECT_EQ (map.getParameterOfController (number), nullptr);
    }

    EXPECT_EQ (map.getNumAssignments(), 0);
    pumpMessages();
    EXPECT_EQ (listener.mapChanges, 0);
}

//==============================================================================
TEST_F (MidiControlTest, LearnTouchFirstThenFreeController)
{
    map.setLearnMode (true);
    map.setLearnParameter (cutoff);
    EXPECT_EQ (map.getParameterOfController (30), nullptr);

    send (30, 127);

    EXPECT_EQ (map.getParameterOfController (30), cutoff);
    EXPECT_FLOAT_EQ (cutoff->getValueNormalised(), 1.0f) << "the learning controller moves it at once";

    // The next controller alone shows what it holds (nothing) and assigns nothing.
    send (31, 64);
    EXPECT_EQ (map.getLearnedController(), 31);
    EXPECT_EQ (map.getLearnParameter(), nullptr);
    EXPECT_EQ (map.getParameterOfController (31), nullptr);
    EXPECT_EQ (map.getParameterOfController (30), cutoff);
    EXPECT_TRUE (map.isLearnMode());
}

TEST_F (MidiControlTest, LearnControllerFirstThenTouch)
{
    map.setLearnMode (true);
    send (40, 0);
    EXPECT_EQ (map.getLearnedController(), 40);
    EXPECT_EQ (map.getNumAssignments(), 0);

    map.setLearnParameter (resonance);
    EXPECT_EQ (map.getParameterOfController (40), resonance);

    pumpMessages();
    EXPECT_EQ (listener.mapChanges, 1);
    EXPECT_GE (listener.learnChanges, 2);
}

TEST_F (MidiControlTest, LearnNeverTakesOverATakenController)
{
    map.assign (30, resonance, false);
    map.setLearnMode (true);

    map.setLearnParameter (cutoff);
    send (30, 127);

    EXPECT_EQ (map.getParameterOfController (30), resonance);
    EXPECT_EQ (map.getControllerOfParameter (cutoff), -1);
    EXPECT_FLOAT_EQ (resonance->getValueNormalised(), 1.0f);

    // Controller first: the taken controller shows its parameter; a touch then pairs nothing.
    map.setLearnMode (false);
    map.setLearnMode (true);
    send (30, 0);
    EXPECT_EQ (map.getLearnParameter(), resonance);
    map.setLearnParameter (envMod);
    EXPECT_EQ (map.getParameterOfController (30), resonance);
    EXPECT_EQ (map.getControllerOfParameter (envMod), -1);
}

TEST_F (MidiControlTest, TouchingAMappedParameterShowsItsController)
{
    map.assign (12, envMod, false);
    map.setLearnMode (true);

    map.setLearnParameter (envMod);

    EXPECT_EQ (map.getLearnedController(), 12);
    EXPECT_EQ (map.getLearnParameter(), envMod);
    EXPECT_EQ (map.getNumAssignments(), 1);
}

TEST_F (MidiControlTest, NothingIsLearnedWithLearnModeOff)
{
    map.setLearnParameter (cutoff);
    send (30, 10);

    EXPECT_EQ (map.getLearnParameter(), nullptr);
    EXPECT_EQ (map.getLearnedController(), -1);
    EXPECT_EQ (map.getNumAssignments(), 0);

    map.setLearnMode (true);
    map.selectAssignmentForLearn (30);
    EXPECT_EQ (map.getLearnParameter(), nullptr);
}

TEST_F (MidiControlTest, SwitchingLearnModeTellsListenersAtOnceAndResets)
{
    map.setLearnMode (true);
    EXPECT_EQ (listener.learnChanges, 1) << "without waiting for the message loop";

    map.setLearnMode (true);
    EXPECT_EQ (listener.learnChanges, 1);

    map.setLearnParameter (cutoff);
    map.setLearnMode (false);
    EXPECT_EQ (listener.learnChanges, 2);
    EXPECT_EQ (map.getLearnParameter(), nullptr);
    EXPECT_EQ (map.getLearnedController(), -1);
}

TEST_F (MidiControlTest, RemovingAnAssignmentDuringLearnForgetsThePair)
{
    map.assign (5, cutoff, false);
    map.setLearnMode (true);
    map.selectAssignmentForLearn (5);
    EXPECT_EQ (map.getLearnParameter(), cutoff);
    EXPECT_EQ (map.getLearnedController(), 5);

    map.removeAssignment (5);

    EXPECT_EQ (map.getLearnParameter(), nullptr);
    EXPECT_EQ (map.getLearnedController(), -1);
    EXPECT_EQ (map.getNumAssignments(), 0);
}

//==============================================================================
TEST_F (MidiControlTest, MapRoundTripsThroughAFile)
{
    TemporaryFolder folder;
    const auto file = folder.getChildFile ("map.klccmap");
    map.assign (64, envMod, false);
    map.assign (3, cutoff, false);
    map.assign (0, resonance, false);

    ASSERT_TRUE (map.saveToFile (file));

    const auto written = XmlHelpers::parse (file);
    ASSERT_NE (written, nullptr);
    EXPECT_EQ (written->getTagName(), "MidiControlMap");
    EXPECT_EQ (written->getStringAttribute ("name"), "Kelvanor");
    ASSERT_EQ (written->getNumChildElements(), 3);
    EXPECT_EQ (written->getChildElement (0)->getStringAttribute ("CC"), "0");
    EXPECT_EQ (written->getChildElement (1)->getStringAttribute ("param"), "Cutoff");
    EXPECT_EQ (written->getChildElement (2)->getStringAttribute ("CC"), "64");
    EXPECT_TRUE (file.loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    MidiControl other (manager);
    other.setName ("KELVANOR");
    ASSERT_TRUE (other.loadFromFile (file));
    for (int number = 0; number < MidiControl::numControllers; ++number)
        EXPECT_EQ (other.getParameterOfController (number), map.getParameterOfController (number)) << number;
}

struct RootCase
{
    const char* text;
    bool accepted;
};

class MidiControlRoots : public MidiControlTest, public ::testing::WithParamInterface<RootCase>
{
};

TEST_P (MidiControlRoots, AcceptsOnlyOwnMaps)
{
    map.assign (1, gateLevel, false);
    const auto root = parse (GetParam().text);
    ASSERT_NE (root, nullptr);

    EXPECT_EQ (map.loadFromXml (*root), GetParam().accepted);
    EXPECT_EQ (map.getParameterOfController (1), GetParam().accepted ? nullptr : gateLevel);
    EXPECT_EQ (map.getParameterOfController (2), GetParam().accepted ? cutoff : nullptr);
}

INSTANTIATE_TEST_SUITE_P (
    Roots, MidiControlRoots,
    ::testing::Values (
        RootCase{"<MidiControlMap name='Kelvanor'><assign CC='2' param='Cutoff'/></MidiControlMap>", true},
        RootCase{"<MIDICCMAP application='kelVANOR'><Assign CC='2' param='Cutoff'/></MIDICCMAP>", true},
        RootCase{"<MidiCCMap name='Other' application='Kelvanor'><assign CC='2' param='Cutoff'/></MidiCCMap>",
                 true},
        RootCase{"<MidiControlMap name='Other'><assign CC='2' param='Cutoff'/></MidiControlMap>", false},
        RootCase{"<MidiControlMap><assign CC='2' param='Cutoff'/></MidiControlMap>", false},
        RootCase{"<HostParametersMap name='Kelvanor'><assign CC='2' param='Cutoff'/></HostParametersMap>",
                 false}));

TEST_F (MidiControlTest, UnnamedMapAcceptsAnyMapRoot)
{
    MidiControl unnamed (manager);
    const auto root = parse ("<midiccmap name='Other'><assign CC='9' param='Env Mod'/></midiccmap>");

    EXPECT_TRUE (unnamed.loadFromXml (*root));
    EXPECT_EQ (unnamed.getParameterOfController (9), envMod);
}

TEST_F (MidiControlTest, BadEntriesAreSkippedOneByOne)
{
    const auto root = parse ("<MidiControlMap name='Kelvanor'>"
                             "<assign CC='128' param='Cutoff'/>"
                             "<assign CC='-1' param='Cutoff'/>"
                             "<assign CC='NaN' param='Cutoff'/>"
                             "<assign CC='7.5' param='Cutoff'/>"
                             "<assign CC='' param='Cutoff'/>"
                             "<assign CC='99999999999' param='Cutoff'/>"
                             "<assign CC='10' param='cutoff'/>" // names count case
                             "<assign CC='11' param='Nothing'/>"
                             "<assign CC='12' param='Gate Level'/>" // not automatable
                             "<assign CC='13'/>"
                             "<other CC='14' param='Env Mod'/>"
                             "<assign CC=' 20 ' param='Resonance'/>"
                             "<assign param='Env Mod'/>" // no controller: 0
                             "</MidiControlMap>");

    ASSERT_TRUE (map.loadFromXml (*root));

    EXPECT_EQ (map.getNumAssignments(), 2);
    EXPECT_EQ (map.getParameterOfController (20), resonance);
    EXPECT_EQ (map.getParameterOfController (0), envMod);
    EXPECT_EQ (map.getControllerOfParameter (cutoff), -1);
}

TEST_F (MidiControlTest, RepeatedEntriesKeepTheLastOne)
{
    const auto root = parse ("<MidiControlMap name='Kelvanor'>"
                             "<assign CC='1' param='Cutoff'/><assign CC='2' param='Cutoff'/>"
                             "<assign CC='5' param='Resonance'/><assign CC='5' param='Env Mod'/>"
                             "</MidiControlMap>");

    ASSERT_TRUE (map.loadFromXml (*root));

    EXPECT_EQ (map.getParameterOfController (1), nullptr);
    EXPECT_EQ (map.getParameterOfController (2), cutoff);
    EXPECT_EQ (map.getParameterOfController (5), envMod);
    EXPECT_EQ (map.getControllerOfParameter (resonance), -1);
}

TEST_F (MidiControlTest, LoadingEndsLearnModeAndReportsTheNewMap)
{
    map.setLearnMode (true);
    map.setLearnParameter (cutoff);
    pumpMessages();
    listener = {};

    const auto root = parse ("<MidiControlMap name='Kelvanor'/>");
    ASSERT_TRUE (map.loadFromXml (*root));

    EXPECT_FALSE (map.isLearnMode());
    EXPECT_EQ (listener.learnChanges, 1);
    pumpMessages();
    EXPECT_EQ (listener.mapChanges, 1);
}

TEST_F (MidiControlTest, UnreadableFilesLeaveTheMapAlone)
{
    TemporaryFolder folder;
    const auto broken = folder.getChildFile ("broken.klccmap");
    ASSERT_TRUE (broken.replaceWithText ("<MidiControlMap name='Kelvanor'><assign CC='1' param="));
    map.assign (4, cutoff, false);

    EXPECT_FALSE (map.loadFromFile (broken));
    EXPECT_FALSE (map.loadFromFile (folder.getChildFile ("missing.klccmap")));
    EXPECT_FALSE (map.loadFromFile (folder.getFolder()));

    EXPECT_EQ (map.getParameterOfController (4), cutoff);
    EXPECT_FALSE (map.saveToFile (folder.getChildFile ("no/such/folder/map.klccmap")));
}
} // namespace
