#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

// The sequencer layer driven through the product, the way the host and the panel drive it.
namespace
{
/** A processor whose pattern 0 has 16 gated steps, each a new note: every step started sends a note-on. */
struct SequencerHarness : KelvanorHarness
{
    explicit SequencerHarness (const juce::String& userSettings = {})
        : KelvanorHarness (44100.0, 512, true, userSettings)
    {
        std::vector<Step> steps;
        for (int i = 0; i < 16; ++i)
            steps.push_back (makeStep (i % 2 == 0 ? 0 : 7, false, false, true));
        loadPattern (0, steps);
    }

    /** One block with the host's transport as given; event positions are relative to the block. */
    void hostBlock (int samples, bool playing, double bpm, double ppq,
                    const std::vector<std::pair<int, juce::MidiMessage>>& events = {})
    {
        playHead.playing = playing;
        playHead.bpm = bpm;
        playHead.ppq = ppq;
        juce::MidiBuffer midi;
        for (const auto& [offset, message] : events)
            midi.addEvent (message, offset);
        processBlock (samples, midi);
    }

    int stepsStarted() const { return (int) playedNotes().size(); }
    bool running() { return processor->getSequencerClock().isRunning(); }
    juce::String text (int id) const { return processor->getParameterManager().getParameterText (id); }
};

//==============================================================================
TEST (IntSeqPlugin, StartUpCreatesTheParametersAndEvents)
{
    SequencerHarness h;
    auto& manager = h.processor->getParameterManager();
    // clang-format off
    const std::pair<int, const char*> names[] = {{200000, "Internal Sequencer State"}, {200004, "Play State"},
        {200013, "Pattern Name"}, {200018, "Step 01 State"}, {200050, "Step 01 Inverse"}, {200081, "Step 16 Length State"}};
    // clang-format on
    for (const auto& [id, name] : names)
        EXPECT_EQ (manager.getParameterName (id), name) << id;
    EXPECT_EQ (manager.getParameter (200082), nullptr);
    for (int id = 200000; id <= 200081; ++id)
        EXPECT_FALSE (manager.getParameter (id)->isAutomatable()) << id;

    auto* tempo = dynamic_cast<FloatParameter*> (manager.getParameter (Seq::patternTempoId));
    ASSERT_NE (tempo, nullptr);
    EXPECT_EQ (tempo->getMinimum(), 30.0f);
    EXPECT_EQ (tempo->getMaximum(), 300.0f);

    auto& events = h.processor->getEventsMap();
    EXPECT_EQ (events.getEventNameForId (2000), "Toggle Internal Sequencer");
    EXPECT_EQ (events.getEventNameForId (2020), "Clear 2nd");
    EXPECT_EQ (events.getEventNameForId (2038), "Set Pattern Length To 16");
    EXPECT_EQ (events.getEventNameForId (2039), "");
}

TEST (IntSeqPlugin, StartUpAppliesTheDefaultsAndLoadsTheFactoryBank)
{
    KelvanorHarness h;
    const auto& p = *h.processor;
    EXPECT_TRUE (p.isInternalSequencerOn() && p.isNoteOffModeOn());
    EXPECT_FALSE (p.isInternalSyncOn() || p.isHostModeOn());
    EXPECT_EQ (h.parameter (Seq::nativeModeReadyStateId), 1.0f);
    EXPECT_EQ (h.parameter (Seq::patternNumberId), 1.0f);
    EXPECT_EQ (h.processor->getParameterManager().getParameterText (Seq::patternNameId), "Pattern 0");

    int fullLength = 0, gates = 0;
    for (int i = 0; i < 96; ++i)
    {
        const auto& pattern = p.getPattern (i);
        EXPECT_EQ (p.getPatternName (i), "Pattern " + juce::String (i));
        EXPECT_EQ (pattern.getTempo(), 120.0) << i;
        EXPECT_GE (pattern.getLength(), 3) << i;
        EXPECT_EQ (pattern.getShuffle() != 0, i == 20 || i == 24 || i == 36) << i;
        fullLength += pattern.getLength() == 16 ? 1 : 0;
        for (int k = 0; k < pattern.getLength(); ++k)
            gates += pattern.getStep (k).gate;
    }
    EXPECT_GT (fullLength, 48);
    EXPECT_GT (gates, 96 * 4);
}

TEST (IntSeqPlugin, StartUpFollowsThePatternsChoiceAndModes)
{
    {
        SequencerHarness h (
            "<ResourcesSettings><Patterns default='clearPatterns'/></ResourcesSettings>"
            "<InternalSequencer><IntSeq state='off'/><HostMode state='ON'/></InternalSequencer>");
        EXPECT_EQ (h.processor->getDefaultPatternsChoice(), Seq::clearPatterns);
        EXPECT_EQ (h.processor->getPatternName (95), "Pattern 96");
        EXPECT_EQ (h.processor->getPattern (1).getStep (0).gate.get(), 0);
        EXPECT_FALSE (h.processor->isInternalSequencerOn());
        EXPECT_TRUE (h.processor->isHostModeOn()); // stored, but shown off while the sequencer is off
        EXPECT_EQ (h.parameter (Seq::hostModeStateId), 0.0f);
    }
    {
        SequencerHarness h (
            "<ResourcesSettings><Patterns default='userDefinedPatterns'/></ResourcesSettings>");
        EXPECT_EQ (h.processor->getDefaultPatternsChoice(), Seq::userDefinedPatterns);
        EXPECT_EQ (h.processor->getPatternName (7), "Pattern 8"); // without a file: cleared patterns
    }
    TemporaryFolder files;
    const auto bank = files.getChildFile ("mine.klptrb");
    ASSERT_TRUE (bank.replaceWithText ("<PatternBank><Pattern application='Kelvanor' name='Mine' length='4'/>"
                                       "</PatternBank>"));
    KelvanorHarness h (44100.0, 512, true,
                       "<ResourcesSettings><Patterns default='userDefinedPatterns' file='" +
                           bank.getFullPathName() + "'/></ResourcesSettings>");
    EXPECT_EQ (h.processor->getPatternName (0), "Mine");
    EXPECT_EQ (h.processor->getPatternLength (0), 4);
    EXPECT_EQ (h.processor->getPatternName (1), "Pattern 2");
}

//==============================================================================
// Events and the state parameters they set

TEST (IntSeqPlugin, ModesExcludeEachOther)
{
    SequencerHarness h;
    auto& p = *h.processor;
    // The modes host, write, length, randomizer, then the lights of write mode, its key, length mode, auto
    // follow and the randomizer.
    const auto modes = [&]
    {
        std::vector<float> v{(float) p.isHostModeOn(), (float) p.isWriteModeOn(), (float) p.isLengthModeOn(),
                             (float) p.isRandomizerOn()};
        for (const int id : {Seq::writeModeStateId, Seq::writeModeActivityId, Seq::lengthModeStateId,
                             Seq::autoFollowStateId, Seq::randomizerStateId})
            v.push_back (h.parameter (id));
        return v;
    };
    using Modes = std::vector<float>;

    h.fire (Seq::toggleHostModeEvent); // host mode edits, but its write key is dead
    EXPECT_EQ (modes(), (Modes{1, 0, 0, 0, 1, 0, 0, 1, 0}));
    h.fire (Seq::togglePatternWriteModeEvent);
    EXPECT_EQ (modes(), (Modes{1, 0, 0, 0, 1, 0, 0, 1, 0}));
    h.fire (Seq::toggleHostModeEvent);
    h.fire (Seq::togglePatternWriteModeEvent);
    EXPECT_EQ (modes(), (Modes{0, 1, 0, 0, 1, 1, 0, 1, 0}));

    h.fire (Seq::toggleLengthModeEvent); // hides auto follow
    EXPECT_EQ (modes(), (Modes{0, 1, 1, 0, 1, 1, 1, 0, 0}));
    h.fire (Seq::toggleRandomizerEvent); // the randomizer and length mode end each other
    EXPECT_EQ (modes(), (Modes{0, 1, 0, 1, 1, 1, 0, 1, 1}));
    h.fire (Seq::toggleLengthModeEvent);
    EXPECT_EQ (modes(), (Modes{0, 1, 1, 0, 1, 1, 1, 0, 0}));
}

TEST (IntSeqPlugin, EditEventsFollowTheirConditions)
{
    SequencerHarness h;
    auto& p = *h.processor;
    std::vector<Step> steps;
    for (int i = 0; i < 16; ++i)
        steps.push_back (makeStep (i % 13, false, false, true));
    h.loadPattern (5, steps);
    h.fire (Seq::togglePatternWriteModeEvent);
    p.selectEditedPattern (5);
    const auto xmlOf5 = [&p] { return p.createPatternXml (5)->toString(); };
    const auto original = xmlOf5();

    h.fire (2027); // length 05 outside length mode
    EXPECT_EQ (p.getPatternLength (5), 16);
    h.fire (Seq::toggleLengthModeEvent);
    h.fire (2027);
    EXPECT_EQ (p.getPatternLength (5), 5);
    EXPECT_EQ (h.parameter (Seq::firstStepLengthStateId + 4), 1.0f);
    EXPECT_EQ (h.parameter (Seq::firstStepLengthStateId + 5), 0.0f);
    p.setPatternLength (5, 16);
    h.fire (Seq::clearEvent); // refused in length mode
    h.fire (Seq::toggleLengthModeEvent);
    EXPECT_EQ (xmlOf5(), original);

    h.fire (Seq::copyEvent);
    EXPECT_EQ (h.parameter (Seq::clipboardStateId), 1.0f);
    h.fire (Seq::clearEvent); // refused with a full clipboard
    h.fire (Seq::undoEvent);  // empties the clipboard instead
    EXPECT_EQ (xmlOf5(), original);
    EXPECT_FALSE (p.isClipboardFull());
    EXPECT_EQ (h.parameter (Seq::clipboardStateId), 0.0f);
    h.fire (Seq::pasteEvent); // nothing to paste
    EXPECT_EQ (xmlOf5(), original);
    h.fire (Seq::clearEvent);
    EXPECT_EQ (p.getPattern (5).getStep (3).note, 0);
    h.fire (Seq::undoEvent);
    EXPECT_EQ (xmlOf5(), original);

    h.fire (Seq::shiftLeftEvent);
    EXPECT_EQ (p.getPattern (5).getStep (0).note, 1);
    h.fire (Seq::shiftRightEvent);
    EXPECT_EQ (xmlOf5(), original);

    // Auto follow makes the edited pattern the playing one: Prev/Next do not select.
    h.fire (Seq::nextEvent);
    EXPECT_EQ (p.getEditedPattern(), 5);
    h.fire (Seq::toggleAutoFollowModeEvent);
    h.fire (Seq::nextEvent);
    EXPECT_EQ (p.getEditedPattern(), 6);
    h.fire (Seq::prevEvent);
    EXPECT_EQ (p.getEditedPattern(), 5);

    // The randomizer takes Prev, Next, Accept and Undo; shift and copy do nothing there.
    h.fire (Seq::toggleRandomizerEvent);
    h.fire (Seq::prevEvent);
    EXPECT_EQ (xmlOf5(), original);
    h.fire (Seq::nextEvent);
    const auto drawn = xmlOf5();
    EXPECT_NE (drawn, original);
    for (const int uid : {Seq::shiftLeftEvent, Seq::copyEvent})
        h.fire (uid);
    EXPECT_EQ (xmlOf5(), drawn);
    EXPECT_FALSE (p.isClipboardFull());
    h.fire (Seq::undoEvent);
    EXPECT_EQ (xmlOf5(), original);
}

TEST (IntSeqPlugin, PatternEditsArriveThroughTheParameters)
{
    SequencerHarness h;
    auto& p = *h.processor;
    auto& manager = p.getParameterManager();
    p.selectEditedPattern (3);

    manager.setParameterNormalised (Seq::patternShuffleId, 0.505f);
    EXPECT_EQ (p.getPatternShuffle (3), 0); // not editing

    h.fire (Seq::togglePatternWriteModeEvent);
    p.selectEditedPattern (3);
    for (const auto& [normalised, shuffle] : {std::pair{0.505f, 51}, {0.004f, 0}, {1.0f, 100}})
    {
        manager.setParameterNormalised (Seq::patternShuffleId, normalised);
        EXPECT_EQ (p.getPatternShuffle (3), shuffle) << normalised;
        EXPECT_EQ (h.parameter (Seq::patternShuffleId), (float) shuffle);
    }

    manager.setParameterValue (Seq::patternTempoId, 140.0f);
    EXPECT_EQ (p.getPatternTempo (3), 120.0); // tempo edits need the internal clock
    h.fire (Seq::toggleInternalSyncEvent);
    EXPECT_EQ (h.parameter (Seq::patternTempoStateId), 1.0f);
    manager.setParameterValue (Seq::patternTempoId, 140.0f);
    EXPECT_EQ (p.getPatternTempo (3), 140.0);

    manager.setParameterString (Seq::patternNameId, "Acid line");
    EXPECT_EQ (p.getPatternName (3), "Acid line");
    EXPECT_EQ (p.getPatternName (4), "Pattern 4");
}

TEST (IntSeqPlugin, PatternNumberDependsOnTheMode)
{
    SequencerHarness h;
    h.fire (PanelEvent::pressA); // key A: pattern 5 plays
    h.fire (Seq::togglePatternWriteModeEvent);
    h.processor->selectEditedPattern (20);
    h.processor->updatePatternStates();
    EXPECT_EQ (h.parameter (Seq::patternNumberId), 21.0f);
    EXPECT_EQ (h.text (Seq::patternNameId), "Pattern 20");

    h.fire (Seq::togglePatternWriteModeEvent);
    EXPECT_EQ (h.parameter (Seq::patternNumberId), 6.0f);
    EXPECT_EQ (h.text (Seq::patternNameId), "Pattern 5");

    h.fire (Seq::toggleHostModeEvent);
    h.processor->selectEditedPattern (30);
    h.processor->updatePatternStates();
    EXPECT_EQ (h.parameter (Seq::patternNumberId), 42.0f); // the MIDI note that selects it
}

//==============================================================================
// Transport

TEST (IntSeqPlugin, HostTransportStartsFollowsAndStopsTheSequencer)
{
    SequencerHarness h;
    h.hostBlock (64, false, 120.0, 0.0);
    EXPECT_FALSE (h.running());

    h.hostBlock (22050, true, 120.0, 0.0); // one beat: four sixteenths
    EXPECT_EQ (h.stepsStarted(), 4);
    EXPECT_EQ (h.processor->getPlayState(), Seq::stopped); // a host start is not a button start
    EXPECT_EQ (h.parameter (Seq::playStateId), 1.0f);

    h.hostBlock (16, true, 150.0, 16.25);
    EXPECT_TRUE (h.running());
    EXPECT_EQ (h.processor->getSequencerClock().getTempo(), 150.0);
    EXPECT_NEAR (h.processor->getSequencerClock().getPosition(), 16.25, 0.001);

    h.fire (Seq::stopEvent); // dropped while the host plays
    h.hostBlock (16, true, 150.0, 2.0);
    EXPECT_EQ (h.processor->getPendingRequest(), Seq::noRequest);
    EXPECT_TRUE (h.running());

    h.hostBlock (16, false, 150.0, 2.0);
    EXPECT_FALSE (h.running());
    EXPECT_EQ (h.parameter (Seq::playStateId), 0.0f);
}

TEST (IntSeqPlugin, ButtonsLeaveRequestsThatRunTheSequencerOnItsOwnClock)
{
    SequencerHarness h;
    h.fire (Seq::startStopEvent);
    EXPECT_EQ (h.processor->getPendingRequest(), Seq::running);
    h.fire (Seq::stopEvent);
    EXPECT_EQ (h.processor->getPendingRequest(), Seq::stopped);
    EXPECT_FALSE (h.running()); // the audio callback serves them

    h.fire (Seq::toggleInternalSyncEvent);
    h.processor->setPatternTempo (0, 60.0);
    h.fire (Seq::startEvent);
    h.hostBlock (44100, false, 120.0, 0.0); // one beat at the pattern's tempo
    EXPECT_EQ (h.processor->getPlayState(), Seq::running);
    EXPECT_EQ (h.stepsStarted(), 4);
    EXPECT_EQ (h.processor->getSequencerClock().getTempo(), 60.0);

    h.fire (Seq::startEvent); // already running: no restart
    h.hostBlock (16, false, 120.0, 0.0);
    EXPECT_GT (h.processor->getSequencerClock().getPosition(), 1.0);

    h.fire (Seq::startStopEvent);
    h.hostBlock (16, false, 120.0, 0.0);
    EXPECT_FALSE (h.running());
    EXPECT_EQ (h.processor->getPlayState(), Seq::stopped);

    // A stop from elsewhere (all notes off) leaves Start/Stop able to start again.
    h.fire (Seq::startEvent);
    h.hostBlock (16, false, 120.0, 0.0);
    h.processor->stopSequencer();
    h.hostBlock (16, false, 120.0, 0.0);
    EXPECT_EQ (h.parameter (Seq::playStateId), 0.0f);
    h.fire (Seq::startStopEvent);
    EXPECT_EQ (h.processor->getPendingRequest(), Seq::running);
    h.hostBlock (16, false, 120.0, 0.0);
    EXPECT_TRUE (h.running());
}

TEST (IntSeqPlugin, BadHostReportsNeitherCrashNorStall)
{
    SequencerHarness h;
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    h.hostBlock (512, true, 120.0, 8.0);
    ASSERT_TRUE (h.running());

    for (const auto& [bpm, ppq] :
         {std::pair{0.0, 8.5}, {nan, nan}, {-30.0, -4.0}, {120.0, 1.0}, {inf, 1e300}})
    {
        h.hostBlock (2048, true, bpm, ppq);
        EXPECT_EQ (h.processor->getSequencerClock().getTempo(), 120.0) << bpm;
        EXPECT_TRUE (std::isfinite (h.processor->getSequencerClock().getPosition())) << ppq;
    }
    EXPECT_TRUE (h.allFinite());

    // Back from the far end to the start: the sequencer plays on (the step under way at 0 may carry on).
    h.sent.clear();
    h.hostBlock (22050, true, 120.0, 0.0);
    EXPECT_GE (h.stepsStarted(), 3);
}

TEST (IntSeqPlugin, LowestCStartsTheSequencerAndFollowsTheHost)
{
    SequencerHarness h;
    h.processor->setHostPlayDetection (Seq::byLowestCNoteOn);

    h.hostBlock (64, true, 120.0, 3.0); // the transport alone starts nothing
    EXPECT_FALSE (h.running());

    h.hostBlock (64, true, 120.0, 3.0, {{10, noteOn (0)}});
    EXPECT_TRUE (h.running());
    EXPECT_TRUE (h.processor->isStartedByNote());

    h.hostBlock (1, true, 120.0, 5.5);
    EXPECT_NEAR (h.processor->getSequencerClock().getPosition(), 5.5, 0.001);

    h.hostBlock (1, false, 120.0, 5.5);
    EXPECT_FALSE (h.running());
    EXPECT_FALSE (h.processor->isStartedByNote());
}

//==============================================================================
// MIDI keys

TEST (IntSeqPlugin, HostModeKeysHoldAndReleaseTheirPattern)
{
    SequencerHarness h;
    auto& p = *h.processor;
    h.loadPattern (5, {makeStep (2, false, false, true), makeStep (9, false, false, true)});
    h.fire (Seq::toggleHostModeEvent);

    // Key 17 selects pattern 5 and starts it at its sample; pressed twice and released once it keeps running.
    const auto start = h.position;
    h.hostBlock (512, false, 120.0, 0.0,
                 {{100, noteOn (17)},
                  {200, noteOn (17)},
                  {300, noteOff (17)},
                  {400, noteOn (11)},
                  {450, noteOn (108)}});
    ASSERT_FALSE (h.sentNotes().empty());
    EXPECT_EQ (h.sentNotes()[0].sample, start + 100);
    EXPECT_EQ (h.sentNotes()[0].message.getNoteNumber(), 38);
    EXPECT_EQ (p.getHostNoteHoldCount(), 1);
    EXPECT_EQ (p.getPlayingPattern(), 5);
    EXPECT_TRUE (h.running());

    h.hostBlock (8, false, 120.0, 0.0, {{0, noteOn (20)}}); // another pattern restarts at its first step
    EXPECT_EQ (p.getPlayingPattern(), 8);
    EXPECT_EQ (p.getPlayingStep(), 0);
    h.hostBlock (8, false, 120.0, 0.0, {{0, noteOff (17)}}); // not the held pattern's key
    EXPECT_EQ (p.getHostNoteHoldCount(), 1);
    EXPECT_TRUE (h.running());

    h.hostBlock (8, false, 120.0, 0.0, {{0, noteOn (20, 0)}});
    EXPECT_FALSE (h.running());
    h.hostBlock (8, false, 120.0, 0.0, {{0, noteOff (20)}}); // a stray release counts nothing
    EXPECT_EQ (p.getHostNoteHoldCount(), 0);

    // With note-off mode off, the last release keeps it running with the host; the host's stop stops it.
    h.fire (Seq::toggleNoteOffModeEvent);
    p.setSelfReset (true);
    h.hostBlock (8, true, 120.0, 0.0,
                 {{0, noteOn (12)}, {1, noteOn (12)}, {2, noteOff (12)}, {3, noteOff (12)}});
    EXPECT_EQ (p.getPlayingPattern(), 0);
    EXPECT_TRUE (h.running());
    h.hostBlock (8, false, 120.0, 0.0);
    EXPECT_FALSE (h.running());
}

TEST (IntSeqPlugin, ControlKeysChainPatternsWithinAndAcrossBanks)
{
    SequencerHarness h;
    auto& p = *h.processor;
    const auto chain = [&p] { return std::tuple{p.getChainFirst(), p.getChainLast(), p.getChainBank()}; };

    // C held, then G; the black key is no key.
    h.hostBlock (4, false, 120.0, 0.0,
                 {{0, noteOn (12)}, {1, noteOn (19)}, {2, noteOff (19)}, {3, noteOn (13)}});
    EXPECT_EQ (chain(), std::tuple (0, 4, 0));

    h.hostBlock (4, false, 120.0, 0.0, {{0, noteOn (28)}, {1, noteOn (16)}}); // C held, but in bank 0
    EXPECT_EQ (p.getSelectedBank(), 1);
    EXPECT_EQ (chain(), std::tuple (2, 2, 1));

    h.hostBlock (4, false, 120.0, 0.0, {{0, noteOff (16)}, {1, noteOn (24)}});
    EXPECT_EQ (chain(), std::tuple (7, 7, 1));

    h.hostBlock (4, false, 120.0, 0.0, {{0, noteOn (0)}, {1, noteOn (25)}}); // lowest C only in its mode
    EXPECT_EQ (chain(), std::tuple (7, 7, 1));
    EXPECT_EQ (p.getSelectedBank(), 1);
}

//==============================================================================
// Block end

TEST (IntSeqPlugin, AutoFollowSelectsThePlayingPatternAndMarksItsStep)
{
    SequencerHarness h;
    auto& p = *h.processor;
    h.loadPattern (0, {makeStep (0, false, false, true)});
    h.loadPattern (1, {makeStep (2, false, false, true)});
    h.fire (PanelEvent::pressC); // key C, then D with Ctrl: chain 0..1
    h.fire (PanelEvent::firstPressCtrl + 2);

    h.hostBlock (8000, true, 120.0, 0.0); // into the second pattern
    EXPECT_EQ (p.getPlayingPattern(), 1);
    EXPECT_EQ (p.getEditedPattern(), 1);
    pumpMessages();
    EXPECT_EQ (h.parameter (Seq::patternNumberId), 2.0f);
    p.updateStepInverseStates();
    EXPECT_EQ (h.parameter (Seq::firstStepInverseId), 1.0f);

    // Write mode without auto follow keeps its pattern, and shows no playing step of another one.
    h.fire (Seq::togglePatternWriteModeEvent);
    h.fire (Seq::toggleAutoFollowModeEvent);
    p.selectEditedPattern (9);
    h.hostBlock (8000, true, 120.0, 1.0);
    EXPECT_EQ (p.getEditedPattern(), 9);
    p.updateStepInverseStates();
    EXPECT_EQ (h.parameter (Seq::firstStepInverseId), 0.0f);
}

//==============================================================================
// Pattern files

TEST (IntSeqPlugin, BankReadingSkipsForeignChildrenAndExtraPatterns)
{
    KelvanorHarness h;
    juce::String text ("<patternbank><Pattern application='Other' name='Foreign'/><Preset/>");
    for (int i = 0; i < 100; ++i)
        text << "<Pattern application='KELVANOR' name='P" << i << "' length='40' shuffle='-5' tempo='999'/>";
    const auto file = h.folder.getChildFile ("many.klptrb");
    ASSERT_TRUE (file.replaceWithText (text + "</patternbank>"));
    ASSERT_TRUE (h.processor->loadPatternBankFile (file));

    EXPECT_EQ (h.processor->getPatternName (0), "P0");
    EXPECT_EQ (h.processor->getPatternName (95), "P95");
    EXPECT_EQ (h.processor->getPatternLength (0), 16);
    EXPECT_EQ (h.processor->getPatternShuffle (0), 0);
    EXPECT_EQ (h.processor->getPatternTempo (0), 300.0);
}

TEST (IntSeqPlugin, UnreadableFilesChangeNothingAndOnePatternRoundTrips)
{
    KelvanorHarness h;
    auto& p = *h.processor;
    const auto write = [&h] (const char* name, const juce::String& text)
    {
        const auto file = h.folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithText (text));
        return file;
    };
    const auto broken = write ("broken.klptrb", "<PatternBank><Pattern application='Kelvanor'");
    const auto foreign = write ("foreign.klptr", "<Pattern application='Other' name='X'/>");

    EXPECT_FALSE (p.loadPatternBankFile (broken));
    EXPECT_FALSE (p.loadPatternBankFile (h.folder.getChildFile ("missing.klptrb")));
    EXPECT_FALSE (p.loadPatternFile (foreign, 0));
    EXPECT_FALSE (p.loadPatternFile (broken, 0));
    // Parses, but holds none of our patterns under a bank root.
    for (const auto& text : {juce::String ("<PatternBank/>"), p.createCurrentPresetXml()->toString(),
                             p.createUserSettingsXml()->toString(),
                             juce::String ("<PatternBank><Pattern application='Other'/></PatternBank>"),
                             juce::String ("<Bank><Pattern application='Kelvanor' name='X'/></Bank>")})
        EXPECT_FALSE (p.loadPatternBankFile (write ("other.klptrb", text))) << text;
    EXPECT_FALSE (p.loadPatternBankByPath ("missing.klptrb"));
    EXPECT_FALSE (p.savePatternFile (h.folder.getChildFile ("out.klptr"), 96));
    for (int i = 0; i < 96; ++i)
        EXPECT_EQ (p.getPatternName (i), "Pattern " + juce::String (i));

    const auto file = h.folder.getChildFile ("one.klptr");
    ASSERT_TRUE (p.savePatternFile (file, 36));
    ASSERT_TRUE (p.loadPatternFile (file, 2));
    EXPECT_EQ (p.getPatternName (2), "Pattern 36");
    EXPECT_EQ (p.createPatternXml (2)->getChildElement (3)->toString(),
               p.createPatternXml (36)->getChildElement (3)->toString());
    EXPECT_TRUE (file.loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
}
} // namespace
