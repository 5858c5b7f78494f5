#include "framework/MidiControl.h"
#include "TestSupport.h"
#include "framework/Parameter.h"
#include "framework/ParameterManager.h"
#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
struct CountingListener : public MidiControl::Listener
{
    void midiControlMapChanged (MidiControl*) override { count (mapChanges); }
    void midiLearnStateChanged (MidiControl*) override { count (learnChanges); }
    void parameterMovedByMidi (MidiControl*) override { count (moves); }

    void count (int& calls)
    {
        ++calls;
        offMessageThread = offMessageThread || !juce::MessageManager::existsAndIsCurrentThread();
    }

    int mapChanges = 0, learnChanges = 0, moves = 0;
    bool offMessageThread = false; // listeners repaint: any call elsewhere races the message thread
};

/** Cutoff, Resonance and Env Mod are automatable, Gate Level is not. */
class MidiControlTest : public ::testing::Test
{
protected:
    MidiControlTest()
    {
        int id = 0;
        for (auto** p : {&cutoff, &resonance, &envMod, &gateLevel})
        {
            auto parameter = std::make_unique<FloatParameter> (id, names[id]);
            parameter->setAutomatable (p != &gateLevel);
            *p = parameter.get();
            manager.addParameter (std::move (parameter));
            ++id;
        }
        map.setName ("Kelvanor");
        map.addListener (&listener);
        pumpMessages();
    }

    ~MidiControlTest() override { map.removeListener (&listener); }

    void send (int number, int value, int channel = 1)
    {
        map.processMidiMessage (juce::MidiMessage::controllerEvent (channel, number, value));
    }

    bool load (const juce::String& text) { return map.loadFromXml (*XmlHelpers::parse (text)); }

    /** "controller:parameter" of every assignment of the map. */
    static juce::String pairs (const MidiControl& m)
    {
        juce::StringArray list;
        for (int number = 0; number < MidiControl::numControllers; ++number)
            if (const auto* p = m.getParameterOfController (number))
                list.add (juce::String (number) + ":" + p->getName());
        return list.joinIntoString (" ");
    }

    /** The chosen parameter and controller of MIDI learn. */
    juce::String learning() const
    {
        const auto* p = map.getLearnParameter();
        return (p != nullptr ? p->getName() : "-") + "@" + juce::String (map.getLearnedController());
    }

    static constexpr const char* names[] = {"Cutoff", "Resonance", "Env Mod", "Gate Level"};
    ParameterManager manager;
    MidiControl map{manager};
    CountingListener listener;
    Parameter *cutoff = nullptr, *resonance = nullptr, *envMod = nullptr, *gateLevel = nullptr;
};

TEST_F (MidiControlTest, ControllersOnAnyChannelMoveTheirParameterAndNothingElseDoes)
{
    map.assign (7, cutoff, false);
    map.assign (127, resonance, false);
    for (const auto& [channel, value, expected] :
         {std::tuple{5, 127, 1.0f}, {1, 64, 64.0f / 127.0f}, {16, 0, 0.0f}, {10, 1, 1.0f / 127.0f}})
    {
        cutoff->setValueNormalised (0.25f, false);
        send (7, value, channel);
        EXPECT_NEAR (cutoff->getValueNormalised(), expected, 1.0e-6f) << channel << " " << value;
    }

    cutoff->setValueNormalised (0.25f, false);
    resonance->setValueNormalised (0.25f, false);
    map.processMidiMessage (juce::MidiMessage::noteOn (1, 7, (juce::uint8) 100));
    map.processMidiMessage (juce::MidiMessage::pitchWheel (1, 0x3fff));
    map.processMidiMessage (juce::MidiMessage::programChange (1, 7));
    send (8, 127);
    const juce::uint8 bigNumber[] = {0xb0, 0xff, 0x40}, bigValue[] = {0xb0, 0x7f, 0xc0};
    map.processMidiMessage (juce::MidiMessage (bigNumber, 3));
    map.processMidiMessage (juce::MidiMessage (bigValue, 3));
    EXPECT_FLOAT_EQ (cutoff->getValueNormalised(), 0.25f);
    EXPECT_FLOAT_EQ (resonance->getValueNormalised(), 0.25f);

    // Moves are reported once, later, on the message thread; a free controller reports nothing.
    pumpMessages();
    listener.moves = 0;
    send (7, 10);
    send (127, 20);
    send (9, 30);
    EXPECT_EQ (listener.moves, 0);
    pumpMessages();
    EXPECT_EQ (listener.moves, 1);
    EXPECT_EQ (map.getLastMovedParameter(), resonance);
    send (9, 30);
    pumpMessages();
    EXPECT_EQ (listener.moves, 1);
}

TEST_F (MidiControlTest, AParameterHoldsOneControllerAndBadNumbersAreIgnored)
{
    map.assign (10, cutoff, true);
    map.assign (20, cutoff, true);
    map.assign (30, resonance, true);
    map.assign (30, envMod, true); // replaces resonance
    EXPECT_EQ (pairs (map), "20:Cutoff 30:Env Mod");
    EXPECT_EQ (map.getControllerOfParameter (cutoff), 20);
    EXPECT_EQ (map.getControllerOfParameter (resonance), -1);

    for (const int number : {-1, 128, 1000, std::numeric_limits<int>::min()})
    {
        map.assign (number, resonance, true);
        map.removeAssignment (number);
        EXPECT_EQ (map.getParameterOfController (number), nullptr);
    }
    EXPECT_EQ (pairs (map), "20:Cutoff 30:Env Mod");
    pumpMessages();
    EXPECT_EQ (listener.mapChanges, 1);
}

TEST_F (MidiControlTest, LearnTouchFirstOrControllerFirst)
{
    map.setLearnMode (true);
    map.setLearnParameter (cutoff);
    send (30, 127);
    EXPECT_FLOAT_EQ (cutoff->getValueNormalised(), 1.0f) << "the learning controller moves it at once";
    send (31, 64); // alone, it shows what it holds (nothing) and assigns nothing
    EXPECT_EQ (learning(), "-@31");

    map.setLearnMode (false);
    map.setLearnMode (true);
    send (40, 0);
    EXPECT_EQ (learning(), "-@40");
    map.setLearnParameter (resonance);
    EXPECT_EQ (pairs (map), "30:Cutoff 40:Resonance");
    pumpMessages();
    EXPECT_EQ (listener.mapChanges, 1);

    map.setLearnMode (false);
    map.setLearnMode (true);
    map.setLearnParameter (cutoff); // a mapped parameter shows its controller
    EXPECT_EQ (learning(), "Cutoff@30");
    EXPECT_TRUE (map.isLearnMode());
}

TEST_F (MidiControlTest, LearnNeverTakesOverATakenController)
{
    map.assign (30, resonance, false);
    map.setLearnMode (true);
    map.setLearnParameter (cutoff);
    send (30, 127);
    EXPECT_EQ (pairs (map), "30:Resonance");
    EXPECT_FLOAT_EQ (resonance->getValueNormalised(), 1.0f);

    // Controller first: the taken controller shows its parameter; a touch then pairs nothing.
    map.setLearnMode (false);
    map.setLearnMode (true);
    send (30, 0);
    EXPECT_EQ (learning(), "Resonance@30");
    map.setLearnParameter (envMod);
    EXPECT_EQ (pairs (map), "30:Resonance");
}

TEST_F (MidiControlTest, LearnModeSwitchesTellAtOnceResetAndGateLearning)
{
    map.setLearnParameter (cutoff); // learn mode off: nothing is learned
    send (30, 10);
    EXPECT_EQ (learning() + pairs (map), "-@-1");

    map.setLearnMode (true);
    EXPECT_EQ (listener.learnChanges, 1) << "without waiting for the message loop";
    map.setLearnMode (true);
    map.setLearnParameter (cutoff);
    map.setLearnMode (false);
    EXPECT_EQ (listener.learnChanges, 2);
    EXPECT_EQ (learning(), "-@-1");

    // Selecting an assignment works in learn mode only; removing it forgets the pair.
    map.assign (5, cutoff, false);
    map.selectAssignmentForLearn (5);
    EXPECT_EQ (learning(), "-@-1");
    map.setLearnMode (true);
    map.selectAssignmentForLearn (5);
    EXPECT_EQ (learning(), "Cutoff@5");
    map.removeAssignment (5);
    EXPECT_EQ (learning() + pairs (map), "-@-1");

    // Loading a map ends learn mode at once and reports the new map later.
    pumpMessages();
    listener = {};
    ASSERT_TRUE (load ("<MidiControlMap name='Kelvanor'/>"));
    EXPECT_FALSE (map.isLearnMode());
    EXPECT_EQ (listener.learnChanges, 1);
    pumpMessages();
    EXPECT_EQ (listener.mapChanges, 1);
}

TEST_F (MidiControlTest, AMapLoadedOnAHostThreadEndsLearningAtOnceAndTellsTheMessageThread)
{
    map.setLearnMode (true);
    map.setLearnParameter (cutoff);
    pumpMessages();
    listener = {};

    // A host restores its state, map included, on a thread of its own.
    bool loaded = false, stillLearning = true;
    std::thread host (
        [&]
        {
            loaded =
                load ("<MidiControlMap name='Kelvanor'><assign CC='3' param='Cutoff'/></MidiControlMap>");
            stillLearning = map.isLearnMode();
        });
    host.join();
    EXPECT_TRUE (loaded && !stillLearning) << "learn mode ends before the load returns";
    EXPECT_EQ (pairs (map), "3:Cutoff");
    EXPECT_EQ (listener.learnChanges, 0) << "listeners repaint: not on the host's thread";
    EXPECT_TRUE (
        runMessageLoopUntil ([&] { return listener.learnChanges == 1 && listener.mapChanges == 1; }));
    EXPECT_FALSE (listener.offMessageThread);
}

TEST_F (MidiControlTest, MapRoundTripsThroughAFileAndUnreadableFilesChangeNothing)
{
    TemporaryFolder folder;
    const auto file = folder.getChildFile ("map.klccmap");
    map.assign (64, envMod, false);
    map.assign (3, cutoff, false);
    map.assign (0, resonance, false);
    ASSERT_TRUE (map.saveToFile (file));

    EXPECT_EQ (XmlHelpers::toSingleLine (*XmlHelpers::parse (file)),
               "<MidiControlMap name=\"Kelvanor\"><assign CC=\"0\" param=\"Resonance\"/>"
               "<assign CC=\"3\" param=\"Cutoff\"/><assign CC=\"64\" param=\"Env Mod\"/></MidiControlMap>");
    EXPECT_TRUE (file.loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    MidiControl other (manager);
    other.setName ("KELVANOR");
    ASSERT_TRUE (other.loadFromFile (file));
    EXPECT_EQ (pairs (other), "0:Resonance 3:Cutoff 64:Env Mod");

    const auto broken = folder.getChildFile ("broken.klccmap");
    ASSERT_TRUE (broken.replaceWithText ("<MidiControlMap name='Kelvanor'><assign CC='1' param="));
    for (const auto& bad : {broken, folder.getChildFile ("missing.klccmap"), folder.getFolder()})
        EXPECT_FALSE (map.loadFromFile (bad)) << bad.getFullPathName();
    EXPECT_EQ (pairs (map), "0:Resonance 3:Cutoff 64:Env Mod");
    EXPECT_FALSE (map.saveToFile (folder.getChildFile ("no/such/folder/map.klccmap")));
}

TEST_F (MidiControlTest, AcceptsOnlyOwnMapRoots)
{
    // clang-format off
    const std::pair<const char*, bool> roots[] {
        { "<MidiControlMap name='Kelvanor'><assign CC='2' param='Cutoff'/></MidiControlMap>", true },
        { "<MIDICCMAP application='kelVANOR'><Assign CC='2' param='Cutoff'/></MIDICCMAP>", true },
        { "<MidiCCMap name='Other' application='Kelvanor'><assign CC='2' param='Cutoff'/></MidiCCMap>", true },
        { "<MidiControlMap name='Other'><assign CC='2' param='Cutoff'/></MidiControlMap>", false },
        { "<MidiControlMap><assign CC='2' param='Cutoff'/></MidiControlMap>", false },
        { "<HostParametersMap name='Kelvanor'><assign CC='2' param='Cutoff'/></HostParametersMap>", false } };
    // clang-format on
    for (const auto& [text, accepted] : roots)
    {
        map.assign (1, gateLevel, false);
        EXPECT_EQ (load (text), accepted) << text;
        EXPECT_EQ (pairs (map), accepted ? "2:Cutoff" : "1:Gate Level") << text;
        map.clearAll (false);
    }

    MidiControl unnamed (manager); // takes any map root
    EXPECT_TRUE (unnamed.loadFromXml (*XmlHelpers::parse (
        juce::String ("<midiccmap name='Other'><assign CC='9' param='Env Mod'/></midiccmap>"))));
    EXPECT_EQ (pairs (unnamed), "9:Env Mod");
}

TEST_F (MidiControlTest, BadEntriesAreSkippedOneByOneAndRepeatsKeepTheLast)
{
    ASSERT_TRUE (load ("<MidiControlMap name='Kelvanor'>"
                       "<assign CC='128' param='Cutoff'/><assign CC='-1' param='Cutoff'/>"
                       "<assign CC='NaN' param='Cutoff'/><assign CC='7.5' param='Cutoff'/>"
                       "<assign CC='' param='Cutoff'/><assign CC='99999999999' param='Cutoff'/>"
                       "<assign CC='10' param='cutoff'/>"     // names count case
                       "<assign CC='11' param='Nothing'/>"    // no such parameter
                       "<assign CC='12' param='Gate Level'/>" // not automatable
                       "<assign CC='13'/><other CC='14' param='Env Mod'/>"
                       "<assign CC=' 20 ' param='Resonance'/>"
                       "<assign param='Env Mod'/>" // no controller: 0
                       "</MidiControlMap>"));
    EXPECT_EQ (pairs (map), "0:Env Mod 20:Resonance");

    ASSERT_TRUE (
        load ("<MidiControlMap name='Kelvanor'>"
              "<assign CC='1' param='Cutoff'/><assign CC='2' param='Cutoff'/>"
              "<assign CC='5' param='Resonance'/><assign CC='5' param='Env Mod'/></MidiControlMap>"));
    EXPECT_EQ (pairs (map), "2:Cutoff 5:Env Mod");
}
} // namespace
