#include "engine/IntSeqPlugin.h"
#include "engine/Pattern.h"
#include "framework/XmlHelpers.h"

#include "TestSupport.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace
{
/** The product's part reduced to what the hooks need: 96 patterns, an edited and a playing index, the
    chain and the banks; every hook call is recorded. */
class TestSequencer : public IntSeqPlugin
{
public:
    juce::String getProductName() const override { return "Kelvanor"; }
    juce::String getFilePrefix() const override { return "KL"; }
    int getNumHostParameters() const override { return 36; }

    juce::String getInputChannelName (int) const override { return {}; }
    juce::String getOutputChannelName (int) const override { return {}; }
    bool isInputChannelStereoPair (int) const override { return false; }
    bool isOutputChannelStereoPair (int) const override { return false; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return true; }

    int getNumPatterns() const override { return (int) patterns.size(); }
    int getEditedPattern() const override { return edited; }
    int getPlayingPattern() const override { return playing; }
    juce::String getPatternName (int i) const override { return patterns[(size_t) i].getName(); }
    int getPatternLength (int i) const override { return patterns[(size_t) i].getLength(); }
    double getPatternTempo (int i) const override { return patterns[(size_t) i].getTempo(); }
    int getPatternShuffle (int i) const override { return patterns[(size_t) i].getShuffle(); }

    void setPatternName (int i, const juce::String& name) override
    {
        patterns[(size_t) i].setName (name);
        IntSeqPlugin::setPatternName (i, name);
    }
    void setPatternLength (int i, int length) override
    {
        record ("length " + juce::String (i) + " " + juce::String (length));
        patterns[(size_t) i].setLength (length);
        IntSeqPlugin::setPatternLength (i, length);
    }
    void setPatternTempo (int i, double tempo) override
    {
        patterns[(size_t) i].setTempo (tempo);
        IntSeqPlugin::setPatternTempo (i, tempo);
    }
    void setPatternShuffle (int i, int shuffle) override
    {
        patterns[(size_t) i].setShuffle (shuffle);
        IntSeqPlugin::setPatternShuffle (i, shuffle);
    }

    bool loadPatternFromXml (const juce::XmlElement& xml, int i) override
    {
        if (!IntSeqPlugin::loadPatternFromXml (xml, i))
            return false;
        patterns[(size_t) i].readXml (xml);
        return true;
    }
    std::unique_ptr<juce::XmlElement> createPatternXml (int i) const override
    {
        auto xml = IntSeqPlugin::createPatternXml (i);
        if (xml != nullptr)
            patterns[(size_t) i].writeXml (*xml);
        return xml;
    }

    void internalSequencerSwitched (bool on) override { record (on ? "sequencer on" : "sequencer off"); }
    void hostModeSwitched (bool on) override { record (on ? "host mode on" : "host mode off"); }
    void beginRandomizer() override { record ("begin randomizer"); }
    void endRandomizer() override { record ("end randomizer"); }
    bool nextRandomPattern() override { return record ("next random"); }
    bool previousRandomPattern() override { return record ("previous random"); }
    void acceptRandomPattern() override { record ("accept random"); }
    void undoRandomPattern() override { record ("undo random"); }
    void selectNextPattern() override { record ("next pattern"); }
    void selectPreviousPattern() override { record ("previous pattern"); }
    void clearPattern() override { record ("clear"); }
    void undoClearPattern() override { record ("undo clear"); }
    void copyPattern() override
    {
        record ("copy");
        IntSeqPlugin::copyPattern();
    }
    void pastePattern() override
    {
        record ("paste");
        IntSeqPlugin::pastePattern();
    }
    void shiftPatternLeft (int i) override { record ("shift left " + juce::String (i)); }
    void shiftPatternRight (int i) override { record ("shift right " + juce::String (i)); }

    void startSequencer() override
    {
        record ("start");
        playing = isHostModeOn() ? getHostSelectedPattern() : chainFirst + 8 * chainBank;
        IntSeqPlugin::startSequencer();
    }
    void stopSequencer() override
    {
        record ("stop");
        IntSeqPlugin::stopSequencer();
    }
    void setHostSelectedPattern (int pattern) override
    {
        record ("select " + juce::String (pattern));
        IntSeqPlugin::setHostSelectedPattern (pattern);
    }
    void sequencerRewound() override { record ("rewound"); }
    void sequencerStepStarted() override { ++stepsStarted; }
    void sequencerGateEnded() override { ++gatesEnded; }
    bool followPlayingPattern() override
    {
        if (edited == playing)
            return false;
        edited = playing;
        return true;
    }

    void setPatternChain (int a, int b) override
    {
        record ("chain " + juce::String (a) + " " + juce::String (b));
        chainFirst = juce::jmin (a, b);
        chainBank = selectedBank;
    }
    int getChainBank() const override { return chainBank; }
    int getSelectedBank() const override { return selectedBank; }
    void selectPatternBank (int bank) override
    {
        record ("bank " + juce::String (bank));
        selectedBank = bank;
    }
    bool isSelfResetOn() const override { return selfReset; }

    bool record (const juce::String& call)
    {
        calls.add (call);
        return true;
    }

    juce::String takeCalls()
    {
        const auto text = calls.joinIntoString (", ");
        calls.clear();
        return text;
    }

    float value (int id) const
    {
        return const_cast<TestSequencer*> (this)->getParameterManager().getParameterValue (id);
    }
    juce::String text (int id) const
    {
        return const_cast<TestSequencer*> (this)->getParameterManager().getParameterText (id);
    }

    /** Every sequencer parameter's text, to see that something changed nothing. */
    juce::String allStates() const
    {
        juce::String all;
        for (int id = internalSequencerStateId; id <= lastSequencerParameterId; ++id)
            all << text (id) << ";";
        return all;
    }

    std::array<Pattern, 96> patterns;
    int edited = 0;
    int playing = 0;
    int chainFirst = 0;
    int chainBank = 0;
    int selectedBank = 0;
    bool selfReset = false;
    int stepsStarted = 0;
    int gatesEnded = 0;
    juce::StringArray calls;
};

using Position = juce::Optional<juce::AudioPlayHead::PositionInfo>;

Position hostAt (bool playing, double bpm, double ppq)
{
    juce::AudioPlayHead::PositionInfo info;
    info.setIsPlaying (playing);
    info.setBpm (bpm);
    info.setPpqPosition (ppq);
    return info;
}

struct TimedNote
{
    int sample;
    juce::MidiMessage message;
};

/** One block in the order the product's audio callback drives the sequencer. */
void runBlock (TestSequencer& s, const Position& position, int numSamples,
               const std::vector<TimedNote>& notes = {})
{
    const auto modes = s.getSequencerModes();
    s.followHostTransport (modes, position);
    s.serveStartStopRequest (modes);
    s.applyPatternTiming (modes);

    for (int i = 0; i < numSamples; ++i)
    {
        for (const auto& note : notes)
            if (note.sample == i)
                s.handleSequencerNote (modes, note.message);
        s.tickSequencer (modes);
    }

    s.finishSequencerBlock (modes);
}

juce::MidiMessage on (int note)
{
    return juce::MidiMessage::noteOn (1, note, (juce::uint8) 100);
}
juce::MidiMessage off (int note)
{
    return juce::MidiMessage::noteOff (1, note);
}

juce::StringArray childTags (const juce::XmlElement& xml)
{
    juce::StringArray tags;
    for (const auto* child : xml.getChildIterator())
        tags.add (child->getTagName());
    return tags;
}

class IntSeqPluginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        s = std::make_unique<TestSequencer>();
    }

    void TearDown() override
    {
        s.reset();
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }

    void writeSettings (const juce::String& body)
    {
        const auto file = s->getUserSettingsFile();
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (
            file.replaceWithText ("<UserSettings application='Kelvanor'>" + body + "</UserSettings>"));
    }

    /** Started as the plug-in is; the calls of the start-up are dropped. */
    void start()
    {
        s->runLateInitialisation();
        s->takeCalls();
    }

    void editInWriteMode()
    {
        s->handleEvent (IntSeqPlugin::togglePatternWriteModeEvent);
        s->takeCalls();
    }

    TemporaryFolder folder;
    std::unique_ptr<TestSequencer> s;
};
} // namespace

//==============================================================================
// Start-up

TEST_F (IntSeqPluginTest, StartUpCreatesTheParametersAndEvents)
{
    start();
    auto& manager = s->getParameterManager();

    const std::vector<std::pair<int, const char*>> names{{200000, "Internal Sequencer State"},
                                                         {200004, "Play State"},
                                                         {200011, "Native Mode Ready State"},
                                                         {200012, "Pattern Number"},
                                                         {200013, "Pattern Name"},
                                                         {200015, "Pattern Tempo"},
                                                         {200017, "Pattern Shuffle"},
                                                         {200018, "Step 01 State"},
                                                         {200033, "Step 16 State"},
                                                         {200034, "Step 01 Blinking"},
                                                         {200050, "Step 01 Inverse"},
                                                         {200065, "Step 16 Inverse"},
                                                         {200066, "Step 01 Length State"},
                                                         {200081, "Step 16 Length State"}};
    for (const auto& [id, name] : names)
        EXPECT_EQ (manager.getParameterName (id), name) << id;
    EXPECT_EQ (manager.getParameter (200082), nullptr);

    auto* tempo = dynamic_cast<FloatParameter*> (manager.getParameter (IntSeqPlugin::patternTempoId));
    ASSERT_NE (tempo, nullptr);
    EXPECT_EQ (tempo->getMinimum(), 30.0f);
    EXPECT_EQ (tempo->getMaximum(), 300.0f);
    EXPECT_NE (dynamic_cast<IntParameter*> (manager.getParameter (IntSeqPlugin::patternNumberId)), nullptr);
    for (int id = 200000; id <= 200081; ++id)
        EXPECT_FALSE (manager.getParameter (id)->isAutomatable()) << id;

    auto& events = s->getEventsMap();
    EXPECT_EQ (events.getEventNameForId (2000), "Toggle Internal Sequencer");
    EXPECT_EQ (events.getEventNameForId (2008), "Start/Stop");
    EXPECT_EQ (events.getEventNameForId (2020), "Clear 2nd");
    EXPECT_EQ (events.getEventNameForId (2022), "Save Patterns");
    EXPECT_EQ (events.getEventNameForId (2023), "Set Pattern Length To 01");
    EXPECT_EQ (events.getEventNameForId (2038), "Set Pattern Length To 16");
    EXPECT_EQ (events.getEventNameForId (2039), "");
}

TEST_F (IntSeqPluginTest, StartUpAppliesTheDefaultsAndLoadsTheFactoryBank)
{
    s->runLateInitialisation();

    EXPECT_TRUE (s->calls.contains ("sequencer on"));
    EXPECT_FALSE (s->calls.contains ("host mode on"));
    EXPECT_TRUE (s->isInternalSequencerOn());
    EXPECT_TRUE (s->isNoteOffModeOn());
    EXPECT_FALSE (s->isInternalSyncOn());
    EXPECT_EQ (s->value (IntSeqPlugin::internalSequencerStateId), 1.0f);
    EXPECT_EQ (s->value (IntSeqPlugin::nativeModeReadyStateId), 1.0f);
    EXPECT_EQ (s->value (IntSeqPlugin::patternNumberId), 1.0f);

    int fullLength = 0;
    for (int i = 0; i < 96; ++i)
    {
        const auto& pattern = s->patterns[(size_t) i];
        EXPECT_EQ (pattern.getName(), "Pattern " + juce::String (i));
        EXPECT_EQ (pattern.getTempo(), 120.0);
        EXPECT_GE (pattern.getLength(), 3);
        EXPECT_EQ (pattern.getShuffle() != 0, i == 20 || i == 24 || i == 36) << i;
        fullLength += pattern.getLength() == 16 ? 1 : 0;
    }
    EXPECT_GT (fullLength, 48);
    EXPECT_EQ (s->text (IntSeqPlugin::patternNameId), "Pattern 0");
}

TEST_F (IntSeqPluginTest, StartUpFollowsThePatternsChoice)
{
    writeSettings ("<ResourcesSettings><Patterns default='clearPatterns'/></ResourcesSettings>"
                   "<InternalSequencer><IntSeq state='off'/><HostMode state='ON'/></InternalSequencer>");
    start();

    EXPECT_EQ (s->getDefaultPatternsChoice(), IntSeqPlugin::clearPatterns);
    EXPECT_EQ (s->patterns[0].getName(), "Pattern 1");
    EXPECT_EQ (s->patterns[95].getName(), "Pattern 96");
    EXPECT_EQ (s->patterns[0].getStep (0).gate.get(), 0);
    EXPECT_FALSE (s->isInternalSequencerOn());
    EXPECT_TRUE (s->isHostModeOn()); // stored, but shown off while the sequencer is off
    EXPECT_EQ (s->value (IntSeqPlugin::hostModeStateId), 0.0f);
}

TEST_F (IntSeqPluginTest, UserPatternsWithoutAFileLoadNothing)
{
    writeSettings ("<ResourcesSettings><Patterns default='userDefinedPatterns'/></ResourcesSettings>");
    start();

    EXPECT_EQ (s->getDefaultPatternsChoice(), IntSeqPlugin::userDefinedPatterns);
    EXPECT_EQ (s->getUserDefinedPatternsFile(), juce::File());
    EXPECT_EQ (s->patterns[7].getName(), "Pattern 8");
}

TEST_F (IntSeqPluginTest, UserPatternsFileIsLoadedAtStartUp)
{
    const auto bank = folder.getChildFile ("mine.klptrb");
    ASSERT_TRUE (bank.replaceWithText ("<PatternBank><Pattern application='Kelvanor' name='Mine' length='4'/>"
                                       "</PatternBank>"));
    writeSettings ("<ResourcesSettings><Patterns default='userDefinedPatterns' file='" +
                   bank.getFullPathName() + "'/></ResourcesSettings>");
    start();

    EXPECT_EQ (s->patterns[0].getName(), "Mine");
    EXPECT_EQ (s->patterns[0].getLength(), 4);
    EXPECT_EQ (s->patterns[1].getName(), "Pattern 2");
}

//==============================================================================
// Events

TEST_F (IntSeqPluginTest, WithTheSequencerOffOnlyItsToggleActs)
{
    start();
    s->handleEvent (IntSeqPlugin::toggleInternalSequencerEvent);
    ASSERT_EQ (s->takeCalls(), "sequencer off");
    EXPECT_EQ (s->value (IntSeqPlugin::patternNumberId), 0.0f);
    EXPECT_EQ (s->text (IntSeqPlugin::patternNameId), "");
    EXPECT_EQ (s->value (IntSeqPlugin::patternTempoId), 30.0f); // the parameter's floor stands for 0

    const auto states = s->allStates();
    const int request = s->getPendingRequest();
    for (int uid = 2001; uid <= 2038; ++uid)
    {
        s->handleEvent (uid);
        EXPECT_EQ (s->takeCalls(), "") << uid;
        EXPECT_EQ (s->allStates(), states) << uid;
        EXPECT_EQ (s->getPendingRequest(), request) << uid;
    }
    EXPECT_FALSE (s->isInternalSyncOn() || s->isHostModeOn() || s->isWriteModeOn() || s->isRandomizerOn());
    EXPECT_TRUE (s->isNoteOffModeOn() && s->isAutoFollowOn());

    s->handleEvent (IntSeqPlugin::toggleInternalSequencerEvent);
    EXPECT_EQ (s->takeCalls(), "sequencer on");
    EXPECT_EQ (s->value (IntSeqPlugin::internalSequencerStateId), 1.0f);
}

TEST_F (IntSeqPluginTest, WriteModeIsRefusedInHostMode)
{
    start();
    s->handleEvent (IntSeqPlugin::toggleHostModeEvent);
    EXPECT_EQ (s->takeCalls(), "host mode on");
    EXPECT_EQ (s->value (IntSeqPlugin::writeModeStateId), 1.0f);    // host mode edits
    EXPECT_EQ (s->value (IntSeqPlugin::writeModeActivityId), 0.0f); // but the write key is dead

    s->handleEvent (IntSeqPlugin::togglePatternWriteModeEvent);
    EXPECT_FALSE (s->isWriteModeOn());

    s->handleEvent (IntSeqPlugin::toggleHostModeEvent);
    s->handleEvent (IntSeqPlugin::togglePatternWriteModeEvent);
    EXPECT_TRUE (s->isWriteModeOn());
    EXPECT_EQ (s->value (IntSeqPlugin::writeModeActivityId), 1.0f);
}

TEST_F (IntSeqPluginTest, RandomizerAndLengthModeExcludeEachOther)
{
    start();
    editInWriteMode();

    s->handleEvent (IntSeqPlugin::toggleLengthModeEvent);
    EXPECT_EQ (s->value (IntSeqPlugin::lengthModeStateId), 1.0f);
    EXPECT_EQ (s->value (IntSeqPlugin::autoFollowStateId), 0.0f); // not available in length mode

    s->handleEvent (IntSeqPlugin::toggleRandomizerEvent);
    EXPECT_EQ (s->takeCalls(), "begin randomizer");
    EXPECT_FALSE (s->isLengthModeOn());
    EXPECT_EQ (s->value (IntSeqPlugin::lengthModeStateId), 0.0f);
    EXPECT_EQ (s->value (IntSeqPlugin::randomizerStateId), 1.0f);

    s->handleEvent (IntSeqPlugin::toggleLengthModeEvent);
    EXPECT_EQ (s->takeCalls(), "end randomizer");
    EXPECT_FALSE (s->isRandomizerOn());
    EXPECT_TRUE (s->isLengthModeOn());
    EXPECT_EQ (s->value (IntSeqPlugin::randomizerStateId), 0.0f);
}

TEST_F (IntSeqPluginTest, EditEventsFollowTheirConditions)
{
    start();
    editInWriteMode();
    s->edited = 5;

    s->handleEvent (2027); // length 05 outside length mode
    EXPECT_EQ (s->takeCalls(), "");
    s->handleEvent (IntSeqPlugin::toggleLengthModeEvent);
    s->handleEvent (2027);
    EXPECT_EQ (s->takeCalls(), "length 5 5");
    EXPECT_EQ (s->value (IntSeqPlugin::firstStepLengthStateId + 4), 1.0f);
    EXPECT_EQ (s->value (IntSeqPlugin::firstStepLengthStateId + 5), 0.0f);
    s->handleEvent (IntSeqPlugin::clearEvent); // refused in length mode
    s->handleEvent (IntSeqPlugin::toggleLengthModeEvent);
    EXPECT_EQ (s->takeCalls(), "");

    s->handleEvent (IntSeqPlugin::copyEvent);
    EXPECT_EQ (s->value (IntSeqPlugin::clipboardStateId), 1.0f);
    s->handleEvent (IntSeqPlugin::clearEvent); // refused with a full clipboard
    s->handleEvent (IntSeqPlugin::undoEvent);  // empties the clipboard instead
    EXPECT_EQ (s->takeCalls(), "copy");
    EXPECT_FALSE (s->isClipboardFull());
    EXPECT_EQ (s->value (IntSeqPlugin::clipboardStateId), 0.0f);
    s->handleEvent (IntSeqPlugin::pasteEvent); // nothing to paste
    s->handleEvent (IntSeqPlugin::clearEvent);
    s->handleEvent (IntSeqPlugin::undoEvent);
    EXPECT_EQ (s->takeCalls(), "clear, undo clear");

    s->handleEvent (IntSeqPlugin::shiftLeftEvent);
    s->handleEvent (IntSeqPlugin::shiftRightEvent);
    s->handleEvent (IntSeqPlugin::copyEvent);
    s->handleEvent (IntSeqPlugin::pasteEvent);
    EXPECT_EQ (s->takeCalls(), "shift left 5, shift right 5, copy, paste");

    // Auto follow makes the edited pattern the playing one: Prev/Next do not select.
    s->handleEvent (IntSeqPlugin::nextEvent);
    EXPECT_EQ (s->takeCalls(), "");
    s->handleEvent (IntSeqPlugin::toggleAutoFollowModeEvent);
    s->handleEvent (IntSeqPlugin::nextEvent);
    s->handleEvent (IntSeqPlugin::prevEvent);
    EXPECT_EQ (s->takeCalls(), "next pattern, previous pattern");

    s->handleEvent (IntSeqPlugin::toggleRandomizerEvent);
    for (const int uid : {2013, 2014, 2015, 2016, 2011, 2017, 2019})
        s->handleEvent (uid);
    EXPECT_EQ (s->takeCalls(), "begin randomizer, previous random, next random, accept random, undo random");
}

TEST_F (IntSeqPluginTest, StartStopEventsLeaveARequest)
{
    start();
    s->handleEvent (IntSeqPlugin::startStopEvent);
    EXPECT_EQ (s->getPendingRequest(), IntSeqPlugin::running);
    s->handleEvent (IntSeqPlugin::stopEvent);
    EXPECT_EQ (s->getPendingRequest(), IntSeqPlugin::stopped);
    s->handleEvent (IntSeqPlugin::startEvent);
    EXPECT_EQ (s->getPendingRequest(), IntSeqPlugin::running);
    EXPECT_EQ (s->takeCalls(), ""); // the audio callback serves it
}

//==============================================================================
// Parameter listener and state parameters

TEST_F (IntSeqPluginTest, PatternEditsArriveThroughTheParameters)
{
    start();
    auto& manager = s->getParameterManager();
    s->edited = 3;

    manager.setParameterNormalised (IntSeqPlugin::patternShuffleId, 0.505f);
    EXPECT_EQ (s->patterns[3].getShuffle(), 0); // not editing

    editInWriteMode();
    struct ShuffleCase
    {
        float normalised;
        int shuffle;
    };
    for (const auto& c : {ShuffleCase{0.505f, 51}, ShuffleCase{0.004f, 0}, ShuffleCase{1.0f, 100}})
    {
        manager.setParameterNormalised (IntSeqPlugin::patternShuffleId, c.normalised);
        EXPECT_EQ (s->patterns[3].getShuffle(), c.shuffle) << c.normalised;
        EXPECT_EQ (s->value (IntSeqPlugin::patternShuffleId), (float) c.shuffle);
    }

    manager.setParameterValue (IntSeqPlugin::patternTempoId, 140.0f);
    EXPECT_EQ (s->patterns[3].getTempo(), 120.0); // tempo edits need the internal clock
    s->handleEvent (IntSeqPlugin::toggleInternalSyncEvent);
    EXPECT_EQ (s->value (IntSeqPlugin::patternTempoStateId), 1.0f);
    manager.setParameterValue (IntSeqPlugin::patternTempoId, 140.0f);
    EXPECT_EQ (s->patterns[3].getTempo(), 140.0);

    manager.setParameterString (IntSeqPlugin::patternNameId, "Acid line");
    EXPECT_EQ (s->patterns[3].getName(), "Acid line");
    EXPECT_EQ (s->patterns[0].getName(), "Pattern 0");
}

TEST_F (IntSeqPluginTest, PatternNumberDependsOnTheMode)
{
    start();
    s->edited = 30;
    s->playing = 6;
    s->updatePatternStates();
    EXPECT_EQ (s->value (IntSeqPlugin::patternNumberId), 7.0f);
    EXPECT_EQ (s->text (IntSeqPlugin::patternNameId), "Pattern 6");

    s->handleEvent (IntSeqPlugin::togglePatternWriteModeEvent);
    EXPECT_EQ (s->value (IntSeqPlugin::patternNumberId), 31.0f);
    EXPECT_EQ (s->text (IntSeqPlugin::patternNameId), "Pattern 30");

    s->handleEvent (IntSeqPlugin::togglePatternWriteModeEvent);
    s->handleEvent (IntSeqPlugin::toggleHostModeEvent);
    EXPECT_EQ (s->value (IntSeqPlugin::patternNumberId), 42.0f); // the MIDI note that selects it
}

//==============================================================================
// Transport

TEST_F (IntSeqPluginTest, HostTransportStartsFollowsAndStopsTheSequencer)
{
    start();
    runBlock (*s, hostAt (false, 120.0, 0.0), 64);
    EXPECT_EQ (s->takeCalls(), "");

    runBlock (*s, hostAt (true, 120.0, 0.0), 44100); // two beats: eight sixteenths
    EXPECT_EQ (s->takeCalls(), "stop, start");
    EXPECT_EQ (s->stepsStarted, 8);
    EXPECT_EQ (s->getPlayState(), IntSeqPlugin::stopped); // a host start is not a button start
    EXPECT_EQ (s->value (IntSeqPlugin::playStateId), 1.0f);

    runBlock (*s, hostAt (true, 150.0, 16.25), 16);
    EXPECT_EQ (s->takeCalls(), ""); // runs on
    EXPECT_EQ (s->getSequencerClock().getTempo(), 150.0);
    EXPECT_NEAR (s->getSequencerClock().getPosition(), 16.25, 0.001);

    s->handleEvent (IntSeqPlugin::stopEvent); // dropped while the host plays
    runBlock (*s, hostAt (true, 150.0, 2.0), 16);
    EXPECT_EQ (s->getPendingRequest(), IntSeqPlugin::noRequest);
    EXPECT_TRUE (s->getSequencerClock().isRunning());

    runBlock (*s, hostAt (false, 150.0, 2.0), 16);
    EXPECT_EQ (s->takeCalls(), "stop");
    EXPECT_FALSE (s->getSequencerClock().isRunning());
    EXPECT_EQ (s->value (IntSeqPlugin::playStateId), 0.0f);
}

TEST_F (IntSeqPluginTest, ButtonsRunTheSequencerOnItsOwnClock)
{
    start();
    s->handleEvent (IntSeqPlugin::toggleInternalSyncEvent);
    s->patterns[0].setTempo (60.0);

    s->handleEvent (IntSeqPlugin::startEvent);
    runBlock (*s, hostAt (false, 120.0, 0.0), 44100); // one beat at the pattern's tempo
    EXPECT_EQ (s->takeCalls(), "stop, start");
    EXPECT_EQ (s->getPlayState(), IntSeqPlugin::running);
    EXPECT_EQ (s->stepsStarted, 4);
    EXPECT_EQ (s->getSequencerClock().getTempo(), 60.0);

    s->handleEvent (IntSeqPlugin::startEvent); // already running
    runBlock (*s, {}, 16);
    EXPECT_EQ (s->takeCalls(), "");

    s->handleEvent (IntSeqPlugin::startStopEvent);
    runBlock (*s, {}, 16);
    EXPECT_EQ (s->takeCalls(), "stop");
    EXPECT_EQ (s->getPlayState(), IntSeqPlugin::stopped);
}

TEST_F (IntSeqPluginTest, StartWorksAfterAStopFromElsewhere)
{
    start();
    s->handleEvent (IntSeqPlugin::startEvent);
    runBlock (*s, {}, 16);
    s->stopSequencer(); // as all notes off does, outside the request
    runBlock (*s, {}, 16);
    EXPECT_EQ (s->value (IntSeqPlugin::playStateId), 0.0f);

    s->handleEvent (IntSeqPlugin::startStopEvent);
    EXPECT_EQ (s->getPendingRequest(), IntSeqPlugin::running);
    runBlock (*s, {}, 16);
    EXPECT_TRUE (s->getSequencerClock().isRunning());
}

TEST_F (IntSeqPluginTest, BadHostReportsNeitherCrashNorStall)
{
    start();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    runBlock (*s, hostAt (true, 120.0, 8.0), 512);
    ASSERT_TRUE (s->getSequencerClock().isRunning());

    struct Report
    {
        double bpm, ppq;
    };
    for (const auto& r : {Report{0.0, 8.5}, Report{nan, nan}, Report{-30.0, -4.0}, Report{120.0, 1.0},
                          Report{std::numeric_limits<double>::infinity(), 1e300}})
    {
        runBlock (*s, hostAt (true, r.bpm, r.ppq), 2048);
        EXPECT_EQ (s->getSequencerClock().getTempo(), 120.0) << r.bpm;
        EXPECT_TRUE (std::isfinite (s->getSequencerClock().getPosition()));
    }

    // Back from the far end to the start: the sequencer plays on (the step under way at 0 may carry on).
    const int before = s->stepsStarted;
    runBlock (*s, hostAt (true, 120.0, 0.0), 22050);
    EXPECT_GE (s->stepsStarted - before, 3);
}

TEST_F (IntSeqPluginTest, LowestCStartsTheSequencerAndFollowsTheHost)
{
    start();
    s->setHostPlayDetection (IntSeqPlugin::byLowestCNoteOn);

    runBlock (*s, hostAt (true, 120.0, 3.0), 64); // the transport alone starts nothing
    EXPECT_EQ (s->takeCalls(), "");

    runBlock (*s, hostAt (true, 120.0, 3.0), 64, {{10, on (0)}});
    EXPECT_EQ (s->takeCalls(), "stop, start");
    EXPECT_TRUE (s->isStartedByNote());

    runBlock (*s, hostAt (true, 120.0, 5.5), 1);
    EXPECT_NEAR (s->getSequencerClock().getPosition(), 5.5, 0.001);

    runBlock (*s, hostAt (false, 120.0, 5.5), 1);
    EXPECT_EQ (s->takeCalls(), "stop");
    EXPECT_FALSE (s->isStartedByNote());
}

//==============================================================================
// MIDI keys

TEST_F (IntSeqPluginTest, HostModeKeysHoldAndReleaseTheirPattern)
{
    start();
    s->handleEvent (IntSeqPlugin::toggleHostModeEvent);
    s->takeCalls();

    runBlock (*s, {}, 8, {{0, on (17)}, {2, on (17)}, {4, off (17)}, {5, on (11)}, {6, on (108)}});
    EXPECT_EQ (s->takeCalls(), "select 5, start, rewound, select 5");
    EXPECT_EQ (s->getHostNoteHoldCount(), 1);
    EXPECT_EQ (s->playing, 5);
    EXPECT_TRUE (s->getSequencerClock().isRunning());

    runBlock (*s, {}, 8, {{0, on (20)}}); // another pattern restarts at its first step
    EXPECT_EQ (s->takeCalls(), "select 8, start, rewound");
    runBlock (*s, {}, 8, {{0, off (17)}}); // not the held pattern's key
    EXPECT_EQ (s->getHostNoteHoldCount(), 1);

    runBlock (*s, {}, 8, {{0, juce::MidiMessage::noteOn (1, 20, (juce::uint8) 0)}});
    EXPECT_EQ (s->takeCalls(), "stop");
    runBlock (*s, {}, 8, {{0, off (20)}}); // a stray release counts nothing
    EXPECT_EQ (s->getHostNoteHoldCount(), 0);
    EXPECT_EQ (s->takeCalls(), "");
}

TEST_F (IntSeqPluginTest, HostModeReleaseKeepsRunningWithTheHostWhenNoteOffModeIsOff)
{
    start();
    s->handleEvent (IntSeqPlugin::toggleHostModeEvent);
    s->handleEvent (IntSeqPlugin::toggleNoteOffModeEvent);
    s->selfReset = true;
    s->takeCalls();

    runBlock (*s, hostAt (true, 120.0, 0.0), 8, {{0, on (12)}, {1, on (12)}, {2, off (12)}, {3, off (12)}});
    EXPECT_EQ (s->takeCalls(), "select 0, start, rewound, select 0, start, rewound");
    EXPECT_TRUE (s->getSequencerClock().isRunning());

    runBlock (*s, hostAt (false, 120.0, 0.0), 8); // the host's stop stops it
    EXPECT_EQ (s->takeCalls(), "stop");
}

TEST_F (IntSeqPluginTest, ControlKeysChainPatternsWithinAndAcrossBanks)
{
    start();
    runBlock (*s, {}, 4, {{0, on (12)}, {1, on (19)}, {2, off (19)}, {3, on (13)}});
    EXPECT_EQ (s->takeCalls(), "chain 0 0, chain 0 4"); // C held, then G; the black key is no key

    runBlock (*s, {}, 4, {{0, on (28)}, {1, on (16)}}); // C still held, but the chain lies in bank 0
    EXPECT_EQ (s->takeCalls(), "bank 1, chain 2 2");

    runBlock (*s, {}, 4, {{0, off (16)}, {1, on (24)}});
    EXPECT_EQ (s->takeCalls(), "chain 7 7");
    EXPECT_EQ (s->chainBank, 1);

    runBlock (*s, {}, 4, {{0, on (0)}, {1, on (25)}}); // the lowest C only with its detection mode
    EXPECT_EQ (s->takeCalls(), "");
}

//==============================================================================
// Block end

TEST_F (IntSeqPluginTest, AutoFollowSelectsThePlayingPatternAfterTheBlock)
{
    start();
    s->playing = 4;
    s->handleEvent (IntSeqPlugin::startEvent);
    s->chainFirst = 4;
    runBlock (*s, {}, 16);
    EXPECT_EQ (s->edited, 4);
    pumpMessages();
    EXPECT_EQ (s->text (IntSeqPlugin::patternNameId), "Pattern 4");

    editInWriteMode();
    s->handleEvent (IntSeqPlugin::toggleAutoFollowModeEvent);
    s->edited = 9;
    runBlock (*s, {}, 16);
    EXPECT_EQ (s->edited, 9); // write mode without auto follow keeps its pattern
}

TEST_F (IntSeqPluginTest, StepInverseMarksThePlayingStepOnlyWhenShown)
{
    start();
    s->handleEvent (IntSeqPlugin::startEvent);
    runBlock (*s, {}, 4);
    s->updateStepInverseStates();
    EXPECT_EQ (s->value (IntSeqPlugin::firstStepInverseId), 1.0f);

    editInWriteMode();
    s->handleEvent (IntSeqPlugin::toggleAutoFollowModeEvent);
    s->edited = 1;
    s->updateStepInverseStates();
    EXPECT_EQ (s->value (IntSeqPlugin::firstStepInverseId), 0.0f);
}

//==============================================================================
// Pattern files

TEST_F (IntSeqPluginTest, BankFileRoundTripKeepsEveryPattern)
{
    start();
    auto& source = s->patterns[17];
    source.setLength (5);
    source.setShuffle (42);
    source.setTempo (133.3);
    Step step;
    step.note = 7;
    step.gate = 1;
    step.gateLevel = 0.25;
    source.setStep (4, step);
    source.setStep (9, step); // beyond the length: not stored

    const auto file = folder.getChildFile ("bank.klptrb");
    ASSERT_TRUE (s->savePatternBankFile (file));
    const auto original = s->patterns;
    for (auto& pattern : s->patterns)
        pattern = Pattern();

    ASSERT_TRUE (s->loadPatternBankFile (file));
    for (int i = 0; i < 96; ++i)
    {
        const auto& p = s->patterns[(size_t) i];
        const auto& o = original[(size_t) i];
        ASSERT_EQ (p.getName(), o.getName());
        EXPECT_EQ (p.getLength(), o.getLength());
        EXPECT_EQ (p.getShuffle(), o.getShuffle());
        EXPECT_EQ (p.getTempo(), o.getTempo());
        for (int k = 0; k < o.getLength(); ++k)
            EXPECT_EQ (p.getStep (k).getMidiNote(), o.getStep (k).getMidiNote()) << i << " " << k;
    }
    EXPECT_EQ (s->patterns[17].getStep (4).gateLevel.get(), 0.25);
    EXPECT_EQ (s->patterns[17].getStep (9).gate.get(), 0);
}

TEST_F (IntSeqPluginTest, BankReadingSkipsForeignChildrenAndExtraPatterns)
{
    start();
    juce::String text ("<patternbank><Pattern application='Other' name='Foreign'/><Preset/>");
    for (int i = 0; i < 100; ++i)
        text << "<Pattern application='KELVANOR' name='P" << i << "' length='40' shuffle='-5' tempo='999'/>";
    const auto file = folder.getChildFile ("many.klptrb");
    ASSERT_TRUE (file.replaceWithText (text + "</patternbank>"));
    ASSERT_TRUE (s->loadPatternBankFile (file));

    EXPECT_EQ (s->patterns[0].getName(), "P0");
    EXPECT_EQ (s->patterns[95].getName(), "P95");
    EXPECT_EQ (s->patterns[0].getLength(), 16);
    EXPECT_EQ (s->patterns[0].getShuffle(), 0);
    EXPECT_EQ (s->patterns[0].getTempo(), 300.0);
}

TEST_F (IntSeqPluginTest, UnreadableFilesChangeNothing)
{
    start();
    const auto broken = folder.getChildFile ("broken.klptrb");
    ASSERT_TRUE (broken.replaceWithText ("<PatternBank><Pattern application='Kelvanor'"));
    const auto foreign = folder.getChildFile ("foreign.klptr");
    ASSERT_TRUE (foreign.replaceWithText ("<Pattern application='Other' name='X'/>"));
    const auto shortBank = folder.getChildFile ("short.klptrb");
    ASSERT_TRUE (shortBank.replaceWithText ("<Bank><Pattern application='Kelvanor' name='X'/></Bank>"));

    EXPECT_FALSE (s->loadPatternBankFile (broken));
    EXPECT_FALSE (s->loadPatternBankFile (folder.getChildFile ("missing.klptrb")));
    EXPECT_FALSE (s->loadPatternFile (foreign, 0));
    EXPECT_FALSE (s->loadPatternFile (broken, 0));
    EXPECT_TRUE (s->loadPatternBankFile (shortBank)); // parses, but is no bank
    EXPECT_FALSE (s->loadPatternBankByPath ("missing.klptrb"));
    EXPECT_FALSE (s->savePatternFile (folder.getChildFile ("out.klptr"), 96));
    for (int i = 0; i < 96; ++i)
        EXPECT_EQ (s->patterns[(size_t) i].getName(), "Pattern " + juce::String (i));
}

TEST_F (IntSeqPluginTest, SinglePatternFileRoundTrip)
{
    start();
    const auto file = folder.getChildFile ("one.klptr");
    ASSERT_TRUE (s->savePatternFile (file, 36));
    ASSERT_TRUE (s->loadPatternFile (file, 2));
    EXPECT_EQ (s->patterns[2].getName(), "Pattern 36");
    EXPECT_EQ (s->patterns[2].getShuffle(), s->patterns[36].getShuffle());
    EXPECT_TRUE (file.loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    EXPECT_EQ (s->getPatternFileExtension(), ".klptr");
    EXPECT_EQ (s->getPatternBankFileWildcard(), "*.klptrb");
    EXPECT_EQ (s->getPatternBankFileWildcards(), "*.klptrb");
}

//==============================================================================
// Settings and state

TEST_F (IntSeqPluginTest, UserSettingsRoundTrip)
{
    start();
    s->setDefaultInternalSync (true);
    s->setDefaultNoteOffMode (false);
    s->setHostPlayDetection (IntSeqPlugin::byLowestCNoteOn);
    s->setUserDefinedPatternsFile (folder.getChildFile ("mine.klptrb"));

    const auto xml = s->createUserSettingsXml();
    ASSERT_NE (xml, nullptr);
    const auto* sequencer = XmlHelpers::findChild (*xml, "InternalSequencer");
    ASSERT_NE (sequencer, nullptr);
    EXPECT_EQ (childTags (*sequencer).joinIntoString (","),
               "IntSeq,IntSync,HostMode,NoteOff,HostPlayDetection");
    const auto* resources = XmlHelpers::findChild (*xml, "ResourcesSettings");
    ASSERT_NE (resources, nullptr);
    EXPECT_EQ (childTags (*resources)[1], "Patterns");
    EXPECT_EQ (resources->getChildElement (1)->getStringAttribute ("file"),
               folder.getChildFile ("mine.klptrb").getFullPathName());

    TestSequencer other;
    other.readUserSettings (*xml);
    EXPECT_TRUE (other.getDefaultInternalSync());
    EXPECT_FALSE (other.getDefaultNoteOffMode());
    EXPECT_TRUE (other.getDefaultInternalSequencer());
    EXPECT_EQ (other.getHostPlayDetection(), IntSeqPlugin::byLowestCNoteOn);
    EXPECT_EQ (other.getDefaultPatternsChoice(), IntSeqPlugin::userDefinedPatterns);
    EXPECT_EQ (other.getUserDefinedPatternsFile(), folder.getChildFile ("mine.klptrb"));
}

TEST_F (IntSeqPluginTest, SettingsValuesCompareWithCaseCounting)
{
    const auto settings = XmlHelpers::parse (juce::String (
        "<USERSETTINGS application='kelvanor'><internalsequencer><hostplaydetection type='bylowestcnoteon'/>"
        "<intseq state='OFF'/><NOTEOFF state='yes'/></internalsequencer>"
        "<ResourcesSettings><Patterns default='ClearPatterns'/></ResourcesSettings></USERSETTINGS>"));
    s->readUserSettings (*settings);
    EXPECT_EQ (s->getHostPlayDetection(), IntSeqPlugin::byTransportChange);
    EXPECT_FALSE (s->getDefaultInternalSequencer());
    EXPECT_FALSE (s->getDefaultNoteOffMode()); // only "on" is on
    EXPECT_EQ (s->getDefaultPatternsChoice(), IntSeqPlugin::factoryPatterns);

    const auto foreign = XmlHelpers::parse (juce::String (
        "<UserSettings application='Other'><InternalSequencer><IntSync state='on'/></InternalSequencer>"
        "</UserSettings>"));
    s->readUserSettings (*foreign);
    EXPECT_FALSE (s->getDefaultInternalSync());
}

TEST_F (IntSeqPluginTest, StateRoundTripRestoresModesAndPatterns)
{
    start();
    s->handleEvent (IntSeqPlugin::toggleHostModeEvent);
    s->handleEvent (IntSeqPlugin::toggleInternalSyncEvent);
    s->patterns[50].setName ("Saved");

    const auto state = s->createStateXml();
    ASSERT_NE (state, nullptr);
    EXPECT_EQ (childTags (*state).joinIntoString (","),
               "ParametersState,PresetsState,MidiControlMap,InternalSequencer");
    const auto* sequencer = state->getChildByName ("InternalSequencer");
    EXPECT_EQ (childTags (*sequencer).joinIntoString (","),
               "IntSeq,IntSync,HostMode,NoteOff,PattWriteMode,AutoFollow,PatternsState");
    EXPECT_EQ (sequencer->getChildByName ("PattWriteMode")->getStringAttribute ("state"), "on");
    EXPECT_EQ (
        sequencer->getChildByName ("PatternsState")->getChildByName ("PatternBank")->getNumChildElements(),
        96);

    TestSequencer restored;
    restored.runLateInitialisation();
    restored.takeCalls();
    restored.applyStateXml (*state);
    EXPECT_EQ (restored.takeCalls(), "host mode on");
    EXPECT_TRUE (restored.isHostModeOn() && restored.isInternalSyncOn());
    EXPECT_TRUE (restored.isWriteModeOn()); // stored as pattern write mode
    EXPECT_EQ (restored.patterns[50].getName(), "Saved");
    EXPECT_EQ (restored.value (IntSeqPlugin::hostModeStateId), 1.0f);
}

TEST_F (IntSeqPluginTest, StateWithoutPatternsKeepsThemAndUnchangedModesCallNoSwitch)
{
    start();
    s->patterns[3].setName ("Kept");
    s->getParameterManager().setParameterBool (IntSeqPlugin::hostModeStateId, true); // stale panel light

    const auto state = XmlHelpers::parse (
        juce::String ("<PluginState application='Kelvanor'><internalsequencer><HostMode state='off'/>"
                      "<IntSeq state='on'/></internalsequencer></PluginState>"));
    s->applyStateXml (*state);

    EXPECT_EQ (s->takeCalls(), "");
    EXPECT_EQ (s->value (IntSeqPlugin::hostModeStateId), 0.0f); // refreshed all the same
    EXPECT_EQ (s->patterns[3].getName(), "Kept");
}
