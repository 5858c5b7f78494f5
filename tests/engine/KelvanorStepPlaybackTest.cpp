#include "KelvanorTestHarness.h"

#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>

namespace
{
struct StepValues
{
    int note = 0;
    bool up = false, down = false, gate = false, accent = false, slide = false;
    double gateLevel = 0.0, accentLevel = 0.0, slideLevel = 0.0;
};

void loadPattern (Kelvanor& processor, int index, const std::vector<StepValues>& steps, int shuffle = 0)
{
    juce::XmlElement xml ("Pattern");
    xml.setAttribute ("application", "Kelvanor");
    xml.setAttribute ("name", "Test " + juce::String (index));
    xml.setAttribute ("length", (int) steps.size());
    xml.setAttribute ("shuffle", shuffle);
    xml.setAttribute ("tempo", 120.0);

    for (const auto& s : steps)
    {
        auto* step = xml.createNewChildElement ("Step");
        step->setAttribute ("note", s.note);
        step->setAttribute ("octaveUp", s.up ? 1 : 0);
        step->setAttribute ("octaveDown", s.down ? 1 : 0);
        step->setAttribute ("gate", s.gate ? 1 : 0);
        step->setAttribute ("accent", s.accent ? 1 : 0);
        step->setAttribute ("slide", s.slide ? 1 : 0);
        step->setAttribute ("gateLevel", s.gateLevel);
        step->setAttribute ("accentLevel", s.accentLevel);
        step->setAttribute ("slideLevel", s.slideLevel);
    }

    ASSERT_TRUE (processor.loadPatternFromXml (xml, index));
}

/** The transitions of a sequencer clock driven the way the processor drives it for a playing host:
    started at the first block, its position set to the host's at every block start. */
std::vector<std::pair<juce::int64, bool>> referenceTransitions (double rate, double bpm, double gateFraction,
                                                                double shuffle, juce::int64 length, int block)
{
    ShuffledClock clock;
    clock.setSampleRate (rate);
    clock.setTempo (bpm);
    clock.setGateFraction (gateFraction);
    clock.setShuffle (shuffle);
    clock.start();

    std::vector<std::pair<juce::int64, bool>> transitions;
    double ppq = 0.0;
    for (juce::int64 start = 0; start < length; start += block)
    {
        clock.setPosition (ppq);
        const int n = (int) std::min<juce::int64> (block, length - start);
        for (int i = 0; i < n; ++i)
            if (clock.tick())
                transitions.push_back ({start + i, clock.isGateOn()});
        ppq += n * bpm / (60.0 * rate);
    }
    return transitions;
}

struct Note
{
    juce::int64 sample;
    bool on;
    int note;
    int velocity;

    bool operator== (const Note&) const = default;
};

void PrintTo (const Note& n, std::ostream* os)
{
    *os << (n.on ? "on " : "off ") << n.note << " v" << n.velocity << " @" << n.sample;
}

std::vector<Note> notesOf (const KelvanorHarness& h)
{
    std::vector<Note> notes;
    for (const auto& m : h.sentNotes())
    {
        EXPECT_EQ (m.message.getChannel(), 1);
        notes.push_back ({m.sample, m.message.isNoteOn(), m.message.getNoteNumber(),
                          m.message.isNoteOn() ? m.message.getVelocity() : 0});
    }
    return notes;
}

class KelvanorStepPlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Half-step gates, medium accent level: unaccented steps at velocity 32, accented at 64.
        h.processor->getParameterManager().setParameterNormalised (Kelvanor::stepLengthId, 0.5f);
        h.processor->setAccentVelocityLevel (Kelvanor::mediumAccentLevel);
        ASSERT_TRUE (h.processor->isInternalSequencerOn());
        h.playHead.playing = true;
    }

    /** Step starts and gate ends of the first steps at 120 bpm. */
    void computeSteps (int numSteps)
    {
        const auto transitions = referenceTransitions (44100.0, 120.0, 0.5, 0.0, numSteps * 5513 + 10, block);
        starts.clear();
        ends.clear();
        for (const auto& [sample, gateOn] : transitions)
            (gateOn ? starts : ends).push_back (sample);
        ASSERT_GE (starts.size(), (size_t) numSteps);
        ASSERT_GE (ends.size(), (size_t) numSteps);
    }

    static constexpr int block = 512;
    KelvanorHarness h;
    std::vector<juce::int64> starts, ends;
};
} // namespace

TEST_F (KelvanorStepPlayback, RestsTiesAndSlidesIntoAccentedSteps)
{
    loadPattern (*h.processor, 0,
                 {{0, false, false, true},              // 0: C2
                  {2},                                  // 1: rest
                  {5, false, false, true, false, true}, // 2: F2 slides
                  {5, false, false, true},              // 3: same pitch: tie
                  {7, false, false, true, false, true}, // 4: G2 slides
                  {7, false, false, true, true},        // 5: same pitch, accent begins: played again
                  {0, true, false, true, false, true},  // 6: C3 slides
                  {3}});                                // 7: gate off, but slid into a new pitch
    computeSteps (9);
    h.render (starts[8] + 1, block);

    const std::vector<Note> expected{
        {starts[0], true, 36, 32}, {ends[0], false, 36, 0},   {starts[2], true, 41, 32},
        {ends[3], false, 41, 0},   {starts[4], true, 43, 32}, {starts[5], true, 43, 64},
        {ends[5], false, 43, 0},   {ends[5], false, 43, 0},   {starts[6], true, 48, 32},
        {starts[7], true, 39, 32}, {ends[7], false, 48, 0},   {ends[7], false, 39, 0},
        {starts[8], true, 36, 32}};
    EXPECT_EQ (notesOf (h), expected);
}

TEST_F (KelvanorStepPlayback, StepsLandOnTheClockSamplesWithShuffle)
{
    loadPattern (*h.processor, 0, std::vector<StepValues> (16, StepValues{0, false, true, true}), 50);

    const auto transitions = referenceTransitions (44100.0, 120.0, 0.5, 0.5f * 0.6f, 44100, block);
    h.render (44100, block);

    const auto notes = notesOf (h);
    ASSERT_EQ (notes.size(), transitions.size());
    for (size_t i = 0; i < notes.size(); ++i)
    {
        EXPECT_EQ (notes[i].sample, transitions[i].first) << "transition " << i;
        EXPECT_EQ (notes[i].on, transitions[i].second) << "transition " << i;
        EXPECT_EQ (notes[i].note, 24);
    }
}

TEST_F (KelvanorStepPlayback, ThresholdsTurnStepsIntoRestsAndDropAccentsAndSlides)
{
    auto& parameters = h.processor->getParameterManager();
    parameters.setParameterNormalised (Kelvanor::gateThresholdId, 0.3f);
    parameters.setParameterNormalised (Kelvanor::accentThresholdId, 0.5f);
    parameters.setParameterNormalised (Kelvanor::slideThresholdId, 0.5f);

    StepValues loud{0, false, false, true};
    loud.gateLevel = 0.5; // above the gate threshold: a rest
    StepValues quiet{2, false, false, true};
    quiet.gateLevel = 0.2;
    StepValues weakAccent{4, false, false, true, true};
    weakAccent.accentLevel = 0.7; // above: no accent
    StepValues strongAccent{5, false, false, true, true};
    strongAccent.accentLevel = 0.4;
    StepValues weakSlide{7, false, false, true, false, true};
    weakSlide.slideLevel = 0.9; // above: no slide, released at its gate end

    loadPattern (*h.processor, 0, {loud, quiet, weakAccent, strongAccent, weakSlide});
    computeSteps (5);
    h.render (starts[4] + 6000, block);

    const std::vector<Note> expected{{starts[1], true, 38, 32}, {ends[1], false, 38, 0},
                                     {starts[2], true, 40, 32}, {ends[2], false, 40, 0},
                                     {starts[3], true, 41, 64}, {ends[3], false, 41, 0},
                                     {starts[4], true, 43, 32}, {ends[4], false, 43, 0}};
    EXPECT_EQ (notesOf (h), expected);
}

TEST_F (KelvanorStepPlayback, ThresholdsAtOneAcceptEveryLevel)
{
    auto& parameters = h.processor->getParameterManager();
    for (const int id : {Kelvanor::gateThresholdId, Kelvanor::accentThresholdId, Kelvanor::slideThresholdId})
        parameters.setParameterNormalised (id, 1.0f);

    StepValues full{0, false, false, true, true, true};
    full.gateLevel = full.accentLevel = full.slideLevel = 1.0;
    StepValues next{1, false, false, true};
    loadPattern (*h.processor, 0, {full, next});
    computeSteps (2);
    h.render (starts[1] + 4000, block);

    const std::vector<Note> expected{{starts[0], true, 36, 64},
                                     {starts[1], true, 37, 32},
                                     {ends[1], false, 36, 0},
                                     {ends[1], false, 37, 0}};
    EXPECT_EQ (notesOf (h), expected);
}

TEST_F (KelvanorStepPlayback, AccentVelocityLevelChoosesTheStepVelocities)
{
    h.processor->setAccentVelocityLevel (Kelvanor::lowAccentLevel);
    loadPattern (*h.processor, 0, {{0, false, false, true, true}, {0, false, false, true}});
    computeSteps (2);
    h.render (starts[1] + 100, block);

    const auto notes = notesOf (h);
    ASSERT_GE (notes.size(), 3u);
    EXPECT_EQ (notes[0].velocity, 32);
    EXPECT_EQ (notes[2].velocity, 16);
}

TEST_F (KelvanorStepPlayback, StoppingTheTransportReleasesSlidingNotesAndStops)
{
    loadPattern (*h.processor, 0,
                 {{0, false, false, true, false, true}, {4, false, false, true, false, true}});
    computeSteps (2);

    // Stop in the middle of step 1, whose note slides on from step 0's.
    const juce::int64 stopBlockStart = (starts[1] / block + 1) * block;
    h.render (stopBlockStart, block);
    ASSERT_EQ (h.processor->getNumSoundingNotes(), 2);

    h.playHead.playing = false;
    h.render (44100, block);

    const auto notes = notesOf (h);
    const std::vector<Note> expected{{starts[0], true, 36, 32},
                                     {starts[1], true, 40, 32},
                                     {stopBlockStart, false, 36, 0},
                                     {stopBlockStart, false, 40, 0}};
    EXPECT_EQ (notes, expected);
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
    EXPECT_FALSE (h.processor->getSequencerClock().isRunning());
    EXPECT_LT (h.peak (h.position - 4410), 1.0e-3f) << "the voice falls silent";
}

TEST_F (KelvanorStepPlayback, PatternEndReturnsToTheChainsFirstPattern)
{
    loadPattern (*h.processor, 0,
                 {{0, false, false, true}, {1, false, false, true}, {2, false, false, true}});
    loadPattern (*h.processor, 1, {{11, false, false, true}});
    computeSteps (7);
    h.render (starts[6] + 10, block);

    std::vector<int> played;
    for (const auto& n : notesOf (h))
        if (n.on)
            played.push_back (n.note);

    EXPECT_EQ (played, (std::vector<int>{36, 37, 38, 36, 37, 38, 36}));
    EXPECT_EQ (h.processor->getPlayingPattern(), 0);
}

TEST (KelvanorHostMode, PatternKeysStartTheirPatternAtItsFirstStep)
{
    KelvanorHarness h;
    auto& processor = *h.processor;
    processor.getParameterManager().setParameterNormalised (Kelvanor::stepLengthId, 0.5f);
    loadPattern (processor, 5, {{2, false, false, true}, {9, false, false, true}});
    processor.setHostMode (true);
    h.processBlock (256);
    ASSERT_TRUE (processor.isNoteOffModeOn());

    // Key 17 selects pattern 5; pressed twice and released once the sequencer keeps running.
    const auto s = h.position;
    h.render (5000, 500,
              {{s + 100, juce::MidiMessage::noteOn (1, 17, (juce::uint8) 100)},
               {s + 200, juce::MidiMessage::noteOn (1, 17, (juce::uint8) 100)},
               {s + 300, juce::MidiMessage::noteOff (1, 17)}});

    auto notes = notesOf (h);
    ASSERT_FALSE (notes.empty());
    EXPECT_EQ (notes[0], (Note{s + 100, true, 38, 32}));
    EXPECT_EQ (processor.getPlayingPattern(), 5);
    EXPECT_TRUE (processor.getSequencerClock().isRunning());

    // The last release stops it, with the note-off at that sample.
    const auto release = h.position + 1000;
    h.render (10000, 500, {{release, juce::MidiMessage::noteOff (1, 17)}});
    EXPECT_FALSE (processor.getSequencerClock().isRunning());
    EXPECT_EQ (processor.getNumSoundingNotes(), 0);
}

TEST (KelvanorSequencerSwitch, SwitchingTheSequencerOffReleasesItsNotesAtTheNextBlock)
{
    KelvanorHarness h;
    auto& processor = *h.processor;
    loadPattern (processor, 0, {{0, false, false, true, false, true}});
    h.playHead.playing = true;
    h.render (2048, 512);
    ASSERT_EQ (processor.getNumSoundingNotes(), 1);

    processor.setInternalSequencer (false);
    h.render (512, 512);

    EXPECT_EQ (processor.getNumSoundingNotes(), 0);
    EXPECT_FALSE (processor.getSequencerClock().isRunning());
    EXPECT_TRUE (h.sentNotes().back().message.isNoteOff());
    EXPECT_EQ (h.sentNotes().back().sample, 2048);
}
