#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

namespace
{
/** Gate on, with these pitch flags, accent and slide; levels 0 pass every threshold. */
Step played (int note, bool up = false, bool accent = false, bool slide = false)
{
    return makeStep (note, up, false, true, accent, slide);
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

/** A processor whose sequencer plays with the host's transport at 120 bpm: half-step gates, medium accent
    level (unaccented steps at velocity 32, accented at 64). */
struct Player
{
    Player()
    {
        h.set (Kelvanor::stepLengthId, 0.5f);
        h.processor->setAccentVelocityLevel (Kelvanor::mediumAccentLevel);
        h.playHead.playing = true;
    }

    /** Step starts and gate ends of the first steps. */
    void computeSteps (int numSteps)
    {
        for (const auto& [sample, gateOn] :
             referenceTransitions (44100.0, 120.0, 0.5, 0.0, numSteps * 5513 + 10, block))
            (gateOn ? starts : ends).push_back (sample);
        ASSERT_GE (starts.size(), (size_t) numSteps);
        ASSERT_GE (ends.size(), (size_t) numSteps);
    }

    static constexpr int block = 512;
    KelvanorHarness h;
    std::vector<juce::int64> starts, ends;
};

/** A note-on at the start of a step or a note-off at its gate end. */
struct Expected
{
    int step;
    bool atStart;
    int note, velocity;
};

struct PlaybackCase
{
    const char* what;
    float gateThreshold, accentThreshold, slideThreshold;
    int accentLevel;
    std::vector<Step> steps;
    std::vector<Expected> expected; // through the start of the pattern's repeat
};

constexpr int medium = Kelvanor::mediumAccentLevel;

// clang-format off
const PlaybackCase playbackCases[] = {
    {"rests, ties and slides into accented steps", 1.0f, 0.5f, 0.5f, medium,
     {played (0),                  // C2
      makeStep (2),                // rest
      played (5, false, false, true), played (5), // F2 slides into the same pitch: a tie
      played (7, false, false, true), played (7, false, true), // the accent begins: played again
      played (0, true, false, true), // C3 slides
      makeStep (3)},               // gate off, but slid into a new pitch
     {{0, true, 36, 32}, {0, false, 36, 0}, {2, true, 41, 32}, {3, false, 41, 0}, {4, true, 43, 32},
      {5, true, 43, 64}, {5, false, 43, 0}, {5, false, 43, 0}, {6, true, 48, 32}, {7, true, 39, 32},
      {7, false, 48, 0}, {7, false, 39, 0}, {8, true, 36, 32}}},
    {"levels above the thresholds make rests, drop accents and slides", 0.3f, 0.5f, 0.5f, medium,
     {makeStep (0, false, false, true, false, false, 0.5), makeStep (2, false, false, true, false, false, 0.2),
      makeStep (4, false, false, true, true, false, 0.0, 0.7), makeStep (5, false, false, true, true, false, 0.0, 0.4),
      makeStep (7, false, false, true, false, true, 0.0, 0.0, 0.9)},
     {{1, true, 38, 32}, {1, false, 38, 0}, {2, true, 40, 32}, {2, false, 40, 0}, {3, true, 41, 64},
      {3, false, 41, 0}, {4, true, 43, 32}, {4, false, 43, 0}}},
    {"thresholds at 1 accept every level", 1.0f, 1.0f, 1.0f, medium,
     {makeStep (0, false, false, true, true, true, 1.0, 1.0, 1.0), played (1)},
     {{0, true, 36, 64}, {1, true, 37, 32}, {1, false, 36, 0}, {1, false, 37, 0}, {2, true, 36, 64}}},
    {"low accent level", 1.0f, 0.5f, 0.5f, Kelvanor::lowAccentLevel, {played (0, false, true), played (0)},
     {{0, true, 36, 32}, {0, false, 36, 0}, {1, true, 36, 16}, {1, false, 36, 0}, {2, true, 36, 32}}},
};
// clang-format on

TEST (KelvanorStepPlayback, StepsPlayByTheirFlagsLevelsAndThresholds)
{
    for (const auto& c : playbackCases)
    {
        Player p;
        p.h.set (Kelvanor::gateThresholdId, c.gateThreshold);
        p.h.set (Kelvanor::accentThresholdId, c.accentThreshold);
        p.h.set (Kelvanor::slideThresholdId, c.slideThreshold);
        p.h.processor->setAccentVelocityLevel (c.accentLevel);
        p.h.loadPattern (0, c.steps);
        const int length = (int) c.steps.size();
        p.computeSteps (length + 1);
        p.h.render (p.starts[(size_t) length] + 1, Player::block);

        std::vector<Note> expected;
        for (const auto& e : c.expected)
            expected.push_back (
                {(e.atStart ? p.starts : p.ends)[(size_t) e.step], e.atStart, e.note, e.velocity});
        EXPECT_EQ (notesOf (p.h), expected) << c.what;
    }
}

TEST (KelvanorStepPlayback, StepsLandOnTheClockSamplesWithShuffle)
{
    Player p;
    p.h.loadPattern (0, std::vector<Step> (16, makeStep (0, false, true, true)), 50);

    const auto transitions = referenceTransitions (44100.0, 120.0, 0.5, 0.5f * 0.6f, 44100, Player::block);
    p.h.render (44100, Player::block);

    const auto notes = notesOf (p.h);
    ASSERT_EQ (notes.size(), transitions.size());
    for (size_t i = 0; i < notes.size(); ++i)
    {
        EXPECT_EQ (notes[i].sample, transitions[i].first) << "transition " << i;
        EXPECT_EQ (notes[i].on, transitions[i].second) << "transition " << i;
        EXPECT_EQ (notes[i].note, 24);
    }
}

TEST (KelvanorStepPlayback, StoppingTheTransportReleasesSlidingNotesAndStops)
{
    Player p;
    p.h.loadPattern (0, {played (0, false, false, true), played (4, false, false, true)});
    p.computeSteps (2);

    // Stop in the middle of step 1, whose note slides on from step 0's.
    const juce::int64 stop = (p.starts[1] / Player::block + 1) * Player::block;
    p.h.render (stop, Player::block);
    ASSERT_EQ (p.h.processor->getNumSoundingNotes(), 2);

    p.h.playHead.playing = false;
    p.h.render (44100, Player::block);

    const std::vector<Note> expected{
        {p.starts[0], true, 36, 32}, {p.starts[1], true, 40, 32}, {stop, false, 36, 0}, {stop, false, 40, 0}};
    EXPECT_EQ (notesOf (p.h), expected);
    EXPECT_EQ (p.h.processor->getNumSoundingNotes(), 0);
    EXPECT_FALSE (p.h.processor->getSequencerClock().isRunning());
    EXPECT_LT (p.h.peak (p.h.position - 4410), 1.0e-3f) << "the voice falls silent";
}

TEST (KelvanorStepPlayback, PatternEndReturnsToTheChainsFirstPattern)
{
    Player p;
    p.h.loadPattern (0, {played (0), played (1), played (2)});
    p.h.loadPattern (1, {played (11)});
    p.computeSteps (7);
    p.h.render (p.starts[6] + 10, Player::block);

    EXPECT_EQ (p.h.playedNotes(), (std::vector<int>{36, 37, 38, 36, 37, 38, 36}));
    EXPECT_EQ (p.h.processor->getPlayingPattern(), 0);
}

TEST (KelvanorSequencerSwitch, SwitchingTheSequencerOffReleasesItsNotesAtTheNextBlock)
{
    KelvanorHarness h;
    h.loadPattern (0, {played (0, false, false, true)});
    h.playHead.playing = true;
    h.render (2048, 512);
    ASSERT_EQ (h.processor->getNumSoundingNotes(), 1);

    h.processor->setInternalSequencer (false);
    h.render (512, 512);

    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
    EXPECT_FALSE (h.processor->getSequencerClock().isRunning());
    EXPECT_TRUE (h.sentNotes().back().message.isNoteOff());
    EXPECT_EQ (h.sentNotes().back().sample, 2048);
}
} // namespace
