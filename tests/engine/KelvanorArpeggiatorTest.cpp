#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace
{
constexpr double samplesPerStep = 44100.0 * 60.0 / 120.0 / 4.0; // 120 bpm, four steps per beat

/** Ranges -1, 0, +1, +2 octaves. */
using Ranges = std::array<bool, 4>;
constexpr Ranges zeroOnly{false, true, false, false}, allRanges{true, true, true, true},
    noRange{false, false, false, false};

/** The voice played from host notes, with the arpeggiator set up as a user would on the panel. */
struct ArpHarness : KelvanorHarness
{
    ArpHarness (int chord, int mode, Ranges ranges, int repeaterIndex = 0)
        : KelvanorHarness (44100.0, 512, false)
    {
        set (Kelvanor::arpeChordId, (float) chord / 7.0f);
        set (Kelvanor::arpeModeId, (float) mode / 4.0f);
        for (int i = 0; i < 4; ++i)
            set (Kelvanor::arpeRangeSub1Id + i, ranges[(size_t) i] ? 1.0f : 0.0f);
        set (Kelvanor::arpeRepeaterId, (float) repeaterIndex / 4.0f);

        // The mode switch raises its requests; they are served before any note arrives.
        processBlock (16);
        sent.clear();
    }

    /** Renders whole steps from now (the step grid starts at the first held note). */
    void renderSteps (double steps, const std::vector<SentMidi>& events = {})
    {
        render ((juce::int64) std::ceil (steps * samplesPerStep), 256, events);
    }
};

/** A key pressed (velocity > 0) or released at a sample counted from the first key. */
struct Key
{
    int sample, note, velocity = 100;
};

struct ArpCase
{
    const char* what;
    int chord, mode;
    Ranges ranges;
    int repeaterIndex;
    std::vector<Key> keys;
    double steps;
    std::vector<int> expected;
};

constexpr int up = Kelvanor::arpeggiatorUp, down = Kelvanor::arpeggiatorDown,
              upDown = Kelvanor::arpeggiatorUpDown, random = Kelvanor::arpeggiatorRandom;
constexpr Ranges outer{true, false, false, true}, lower3{true, true, true, false},
    plus1{false, false, true, false};
const int after6 = (int) std::ceil (6.5 * samplesPerStep);
const int after4 = (int) std::ceil (4.5 * samplesPerStep);
constexpr Ranges zeroAndPlus1{false, true, true, false};

// One held note with the custom chord (0) ends a cycle at every step: every step takes the next octave.
// clang-format off
const ArpCase arpCases[] = {
    {"major, latest key is the root", 1, up, zeroOnly, 0, {{0, 48}, {0, 52}}, 6.5, {52, 59, 56, 52, 59, 56, 52}},
    {"custom, then a release", 0, up, zeroOnly, 0, {{0, 60}, {1, 67}, {2, 64}, {after6, 67, 0}}, 9.5,
     {60, 67, 64, 60, 67, 64, 60, 64, 60, 64}},
    // A repeating step past the shrunk list plays the first key; only the next advance ends the cycle.
    {"custom, repeat 2, release while repeating", 0, up, zeroAndPlus1, 1,
     {{0, 48}, {1, 52}, {2, 55}, {after4, 55, 0}}, 9.5, {48, 48, 52, 52, 55, 48, 52, 52, 60, 60}},
    {"7th, repeat 3", 3, up, zeroOnly, 2, {{0, 40}}, 12.5, {40, 40, 40, 47, 47, 47, 44, 44, 44, 50, 50, 50, 40}},
    {"major, up-down, outer", 1, upDown, outer, 0, {{0, 48}}, 8.5, {36, 43, 40, 72, 79, 76, 36, 43, 40}},
    {"up, -1..+1", 0, up, lower3, 0, {{0, 48}}, 5.5, {36, 48, 60, 36, 48, 60}},
    {"down, all", 0, down, allRanges, 0, {{0, 48}}, 5.5, {72, 60, 48, 36, 72, 60}},
    {"up-down, all", 0, upDown, allRanges, 0, {{0, 48}}, 7.5, {36, 48, 60, 72, 60, 48, 36, 48}},
    {"up-down, outer", 0, upDown, outer, 0, {{0, 48}}, 4.5, {36, 72, 36, 72, 36}},
    {"down, +1", 0, down, plus1, 0, {{0, 48}}, 2.5, {60, 60, 60}},
    {"up, none", 0, up, noRange, 0, {{0, 48}}, 2.5, {48, 48, 48}},
    {"random, none", 0, random, noRange, 0, {{0, 48}}, 2.5, {48, 48, 48}},
    {"up-down, none", 0, upDown, noRange, 0, {{0, 48}}, 2.5, {48, 48, 48}},
    {"pressed and released at once", 1, up, zeroOnly, 0, {{0, 48}, {0, 48, 0}}, 3, {}},
    {"last release, velocity kept", 1, up, zeroOnly, 0, {{0, 45, 64}, {7000, 45, 0}}, 4, {45, 52}},
};
// clang-format on

// Each tone is a note-on on the step grid with its key's velocity, released before the next one; once every
// key is released, nothing sounds.
TEST (KelvanorArpeggiator, PlaysTheChordTonesInOrderOnTheStepGrid)
{
    for (const auto& c : arpCases)
    {
        ArpHarness h (c.chord, c.mode, c.ranges, c.repeaterIndex);
        const auto start = h.position;
        std::vector<SentMidi> events;
        int held = 0;
        for (const auto& k : c.keys)
        {
            events.push_back (
                {start + k.sample, k.velocity > 0 ? noteOn (k.note, k.velocity) : noteOff (k.note)});
            held += k.velocity > 0 ? 1 : -1;
        }
        h.renderSteps (c.steps, events);

        EXPECT_EQ (h.playedNotes(), c.expected) << c.what;
        const auto notes = h.sentNotes();
        for (size_t i = 0; i < notes.size(); ++i)
        {
            ASSERT_EQ (notes[i].message.isNoteOn(), i % 2 == 0) << c.what << ", message " << i;
            if (i % 2 == 0)
            {
                EXPECT_NEAR ((double) (notes[i].sample - start), (double) (i / 2) * samplesPerStep, 1.0)
                    << c.what << ", note " << i / 2;
                EXPECT_EQ (notes[i].message.getVelocity(), c.keys[0].velocity) << c.what;
            }
        }
        EXPECT_TRUE (held > 0 || h.processor->getNumSoundingNotes() == 0) << c.what << ": all keys released";
    }
}

TEST (KelvanorArpeggiator, RandomModeStaysWithinTheEnabledRanges)
{
    ArpHarness h (0, Kelvanor::arpeggiatorRandom, {true, false, true, false});
    h.renderSteps (40.5, {{h.position, noteOn (48)}});

    const auto notes = h.playedNotes();
    ASSERT_EQ (notes.size(), 41u);
    EXPECT_NE (std::count (notes.begin(), notes.end(), 36), 0);
    EXPECT_NE (std::count (notes.begin(), notes.end(), 60), 0);
    for (const int note : notes)
        EXPECT_TRUE (note == 36 || note == 60) << note;
}

// Each instance draws its own sequence: an instance playing meanwhile, or on another thread, changes
// nothing, so renders of the same notes are the same.
TEST (KelvanorArpeggiator, RandomOctavesAreTheSameInEveryInstanceWhateverOthersDraw)
{
    const auto play = [] (ArpHarness& h) { h.renderSteps (40.5, {{h.position, noteOn (48)}}); };

    ArpHarness first (0, Kelvanor::arpeggiatorRandom, allRanges);
    play (first);

    ArpHarness interleaved (0, Kelvanor::arpeggiatorRandom, allRanges);
    ArpHarness other (0, Kelvanor::arpeggiatorRandom, allRanges);
    interleaved.renderSteps (10.5, {{interleaved.position, noteOn (48)}});
    play (other);
    interleaved.renderSteps (30.0);

    EXPECT_EQ (interleaved.playedNotes(), first.playedNotes());
    EXPECT_EQ (other.playedNotes(), first.playedNotes());
}

TEST (KelvanorArpeggiator, ModeChangeWhileHeldKeepsPlayingButOffReleasesEverything)
{
    ArpHarness h (1, Kelvanor::arpeggiatorUp, zeroOnly);
    h.renderSteps (1.5, {{h.position, noteOn (48)}});

    // Up to down: no restart, the chord goes on from where it was.
    h.set (Kelvanor::arpeModeId, 3.0f / 4.0f);
    h.renderSteps (3);
    EXPECT_EQ (h.playedNotes(), (std::vector<int>{48, 55, 52, 48, 55}));
    EXPECT_EQ (h.processor->getNumHeldNotes(), 1);

    // Off: the sounding note stops at the next block, the held list empties, keys play the voice.
    h.set (Kelvanor::arpeModeId, 0.0f);
    EXPECT_EQ (h.parameter (Kelvanor::arpeStateId), 0.0f);
    h.processBlock (64);
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
    EXPECT_EQ (h.processor->getNumHeldNotes(), 0);

    h.sent.clear();
    h.renderSteps (3, {{h.position, noteOn (50)}});
    EXPECT_EQ (h.playedNotes(), (std::vector<int>{50}));
}

TEST (KelvanorArpeggiator, ChordChangeStartsAgainFromTheRoot)
{
    ArpHarness h (3, Kelvanor::arpeggiatorUp, zeroOnly);
    h.renderSteps (1.75, {{h.position, noteOn (48)}}); // 48, 55, after the second gate

    h.set (Kelvanor::arpeChordId, 2.0f / 7.0f); // minor
    h.renderSteps (3);
    EXPECT_EQ (h.playedNotes(), (std::vector<int>{48, 55, 48, 55, 51}));
}

TEST (KelvanorArpeggiator, ParametersMapToTheirChoices)
{
    ArpHarness h (0, Kelvanor::arpeggiatorOff, zeroOnly);
    const std::pair<float, int> repeats[] = {{0.0f, 1}, {0.124f, 1}, {0.125f, 2},
                                             {0.5f, 3}, {0.74f, 4},  {1.0f, 6}};
    for (const auto& [value, expected] : repeats)
    {
        h.set (Kelvanor::arpeRepeaterId, value);
        EXPECT_EQ (h.processor->getArpeggiatorRepeatCount(), expected) << value;
    }

    const std::pair<float, int> steps[] = {{0.0f, 4},  {0.1f, 6},  {0.4f, 8},
                                           {0.6f, 12}, {0.8f, 16}, {1.0f, 24}};
    for (const auto& [value, expected] : steps)
    {
        h.set (Kelvanor::arpeMultiplierId, value);
        EXPECT_EQ (h.processor->getArpeggiatorStepsPerBeat(), (double) expected) << value;
    }

    // The shuffle and its percentage follow each other.
    h.set (Kelvanor::arpeShuffleId, 0.5f);
    EXPECT_EQ (h.parameter (Kelvanor::arpeShuffleValueId), 50.0f);
    EXPECT_EQ (h.processor->getArpeggiatorShuffle(), 50);
    h.processor->getParameterManager().setParameterValue (Kelvanor::arpeShuffleValueId, 25.0f);
    EXPECT_FLOAT_EQ (h.processor->getParameterManager().getParameterNormalised (Kelvanor::arpeShuffleId),
                     0.25f);
    EXPECT_EQ (h.processor->getArpeggiatorShuffle(), 25);

    h.set (Kelvanor::arpeModeId, 0.5f);
    EXPECT_EQ (h.parameter (Kelvanor::arpeStateId), 1.0f);
}
} // namespace

namespace
{
/** Step starts of an arpeggiator clock started at sample 0 with this shuffle (120 bpm, 4 steps per beat). */
std::vector<juce::int64> referenceStepStarts (double shuffle, juce::int64 length)
{
    ShuffledClock clock;
    clock.setSampleRate (44100.0);
    clock.setTempo (120.0);
    clock.setStepsPerBeat (4.0);
    clock.setGateFraction (0.5);
    clock.setShuffle (shuffle);
    clock.start();

    std::vector<juce::int64> starts;
    for (juce::int64 i = 0; i < length; ++i)
        if (clock.tick() && clock.isGateOn())
            starts.push_back (i);
    return starts;
}
} // namespace

// The arpeggiator's shuffle is the knob's percentage x 0.01 x 0.6 in double precision; in single precision
// some steps start a sample off. The case is one where the two differ.
TEST (KelvanorArpeggiator, ShuffledStepsStartOnTheSamplesOfTheDoubleShuffle)
{
    const juce::int64 length = 20 * 44100;
    int shuffle = 1;
    std::vector<juce::int64> expected;
    for (; shuffle <= 100; ++shuffle)
    {
        expected = referenceStepStarts ((double) shuffle * 0.01 * 0.6, length);
        if (expected != referenceStepStarts ((double) ((float) shuffle * 0.01f * 0.6f), length))
            break;
    }
    ASSERT_LE (shuffle, 100) << "no shuffle where single and double precision differ";

    ArpHarness h (1, Kelvanor::arpeggiatorUp, zeroOnly);
    h.set (Kelvanor::arpeShuffleId, (float) shuffle / 100.0f);
    h.processBlock (16);
    h.sent.clear();
    const auto start = h.position;
    h.render (length, 256, {{start, noteOn (48)}});

    std::vector<juce::int64> starts;
    for (const auto& m : h.sentNotes())
        if (m.message.isNoteOn())
            starts.push_back (m.sample - start);

    EXPECT_EQ (starts, expected) << "shuffle " << shuffle;
}
