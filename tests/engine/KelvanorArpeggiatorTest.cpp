#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace
{
constexpr double samplesPerStep = 44100.0 * 60.0 / 120.0 / 4.0; // 120 bpm, four steps per beat

juce::MidiMessage noteOn (int note, int velocity = 100)
{
    return juce::MidiMessage::noteOn (1, note, (juce::uint8) velocity);
}

juce::MidiMessage noteOff (int note)
{
    return juce::MidiMessage::noteOff (1, note);
}

/** Ranges -1, 0, +1, +2 octaves. */
using Ranges = std::array<bool, 4>;
constexpr Ranges zeroOnly{false, true, false, false};

/** The voice played from host notes, with the arpeggiator set up as a user would on the panel. */
struct ArpHarness : KelvanorHarness
{
    ArpHarness()
    {
        switchSequencerOff();
        processBlock (16);
        sent.clear();
    }

    void set (int id, float normalised)
    {
        processor->getParameterManager().setParameterNormalised (id, normalised);
    }

    void configure (int chord, int mode, Ranges ranges, int repeaterIndex = 0, int multiplierIndex = 0)
    {
        set (Kelvanor::arpeChordId, (float) chord / 7.0f);
        set (Kelvanor::arpeModeId, (float) mode / 4.0f);
        for (int i = 0; i < 4; ++i)
            set (Kelvanor::arpeRangeSub1Id + i, ranges[(size_t) i] ? 1.0f : 0.0f);
        set (Kelvanor::arpeRepeaterId, (float) repeaterIndex / 4.0f);
        set (Kelvanor::arpeMultiplierId, (float) multiplierIndex / 5.0f);

        // The mode switch raises its requests; they are served before any note arrives.
        processBlock (16);
        sent.clear();
    }

    /** Renders whole steps from now (the step grid starts at the first held note). */
    void renderSteps (double steps, const std::vector<SentMidi>& events = {})
    {
        render ((juce::int64) std::ceil (steps * samplesPerStep), 256, events);
    }

    std::vector<int> playedNotes() const
    {
        std::vector<int> notes;
        for (const auto& m : sentNotes())
            if (m.message.isNoteOn())
                notes.push_back (m.message.getNoteNumber());
        return notes;
    }
};

std::vector<int> octaveOffsets (const std::vector<int>& notes, int root)
{
    std::vector<int> offsets;
    for (const int note : notes)
        offsets.push_back ((note - root) / 12);
    return offsets;
}
} // namespace

//==============================================================================
TEST (KelvanorArpeggiator, ChordUsesTheMostRecentKeyAsRoot)
{
    ArpHarness h;
    h.configure (1, Kelvanor::arpeggiatorUp, zeroOnly);

    const auto start = h.position;
    h.renderSteps (6.5, {{start, noteOn (48)}, {start, noteOn (52)}});

    EXPECT_EQ (h.playedNotes(), (std::vector<int>{52, 59, 56, 52, 59, 56, 52}));

    // One note per step on the clock's grid, each released before the next.
    const auto notes = h.sentNotes();
    for (size_t i = 0; i < notes.size(); ++i)
    {
        ASSERT_EQ (notes[i].message.isNoteOn(), i % 2 == 0) << i;

        if (i % 2 == 0)
        {
            EXPECT_NEAR ((double) (notes[i].sample - start), (double) (i / 2) * samplesPerStep, 1.0);
        }
    }
}

TEST (KelvanorArpeggiator, CustomChordPlaysHeldNotesInOrderAndFollowsReleases)
{
    ArpHarness h;
    h.configure (0, Kelvanor::arpeggiatorUp, zeroOnly);

    const auto start = h.position;
    h.renderSteps (6.5, {{start, noteOn (60)}, {start + 10, noteOn (67)}, {start + 20, noteOn (64)}});
    EXPECT_EQ (h.playedNotes(), (std::vector<int>{60, 67, 64, 60, 67, 64, 60}));

    // Releasing 67 shortens the cycle at the next advance.
    h.sent.clear();
    h.renderSteps (5, {{h.position, noteOff (67)}});
    EXPECT_EQ (h.playedNotes(), (std::vector<int>{64, 60, 64, 60, 64}));
    EXPECT_EQ (h.processor->getNumHeldNotes(), 2);
}

TEST (KelvanorArpeggiator, RepeatCountPlaysEachToneThatOften)
{
    ArpHarness h;
    h.configure (3, Kelvanor::arpeggiatorUp, zeroOnly, 2); // repeat 3, 7th chord

    h.renderSteps (12.5, {{h.position, noteOn (40)}});

    EXPECT_EQ (h.playedNotes(), (std::vector<int>{40, 40, 40, 47, 47, 47, 44, 44, 44, 50, 50, 50, 40}));
}

TEST (KelvanorArpeggiator, RepeaterAndMultiplierMapToTheirChoices)
{
    ArpHarness h;
    struct Case
    {
        float value;
        int expected;
    };

    for (const auto& c :
         {Case{0.0f, 1}, Case{0.124f, 1}, Case{0.125f, 2}, Case{0.5f, 3}, Case{0.74f, 4}, Case{1.0f, 6}})
    {
        h.set (Kelvanor::arpeRepeaterId, c.value);
        EXPECT_EQ (h.processor->getArpeggiatorRepeatCount(), c.expected) << c.value;
    }

    for (const auto& c :
         {Case{0.0f, 4}, Case{0.1f, 6}, Case{0.4f, 8}, Case{0.6f, 12}, Case{0.8f, 16}, Case{1.0f, 24}})
    {
        h.set (Kelvanor::arpeMultiplierId, c.value);
        EXPECT_EQ (h.processor->getArpeggiatorStepsPerBeat(), (double) c.expected) << c.value;
    }
}

// One held note with the custom chord ends a cycle at every step, so every step takes the next octave.
struct OctaveCase
{
    int mode;
    Ranges ranges;
    std::vector<int> offsets;
};

class KelvanorArpeggiatorOctaves : public ::testing::TestWithParam<OctaveCase>
{
};

TEST_P (KelvanorArpeggiatorOctaves, MoveThroughTheEnabledRanges)
{
    const auto& c = GetParam();
    ArpHarness h;
    h.configure (0, c.mode, c.ranges);

    h.renderSteps ((double) c.offsets.size() - 0.5, {{h.position, noteOn (48)}});
    EXPECT_EQ (octaveOffsets (h.playedNotes(), 48), c.offsets);
}

INSTANTIATE_TEST_SUITE_P (
    Modes, KelvanorArpeggiatorOctaves,
    ::testing::Values (
        OctaveCase{Kelvanor::arpeggiatorUp, {true, true, true, false}, {-1, 0, 1, -1, 0, 1}},
        OctaveCase{Kelvanor::arpeggiatorDown, {true, true, true, true}, {2, 1, 0, -1, 2, 1}},
        OctaveCase{Kelvanor::arpeggiatorUpDown, {true, true, true, true}, {-1, 0, 1, 2, 1, 0, -1, 0}},
        OctaveCase{Kelvanor::arpeggiatorUpDown, {true, false, false, true}, {-1, 2, -1, 2, -1}},
        OctaveCase{Kelvanor::arpeggiatorDown, {false, false, true, false}, {1, 1, 1}},
        OctaveCase{Kelvanor::arpeggiatorUp, {false, false, false, false}, {0, 0, 0}},
        OctaveCase{Kelvanor::arpeggiatorRandom, {false, false, false, false}, {0, 0, 0}},
        OctaveCase{Kelvanor::arpeggiatorUpDown, {false, false, false, false}, {0, 0, 0}}));

TEST (KelvanorArpeggiator, UpDownWithOuterRangesAlternatesOverWholeChords)
{
    ArpHarness h;
    h.configure (1, Kelvanor::arpeggiatorUpDown, {true, false, false, true});

    h.renderSteps (8.5, {{h.position, noteOn (48)}});
    EXPECT_EQ (h.playedNotes(), (std::vector<int>{36, 43, 40, 72, 79, 76, 36, 43, 40}));
}

TEST (KelvanorArpeggiator, RandomModeStaysWithinTheEnabledRanges)
{
    ArpHarness h;
    h.configure (0, Kelvanor::arpeggiatorRandom, {true, false, true, false});

    h.renderSteps (40.5, {{h.position, noteOn (48)}});
    const auto offsets = octaveOffsets (h.playedNotes(), 48);
    ASSERT_EQ (offsets.size(), 41u);
    for (const int offset : offsets)
        EXPECT_TRUE (offset == -1 || offset == 1) << offset;
}

TEST (KelvanorArpeggiator, ModeChangeWhileHeldKeepsPlayingButOffReleasesEverything)
{
    ArpHarness h;
    h.configure (1, Kelvanor::arpeggiatorUp, zeroOnly);
    h.renderSteps (1.5, {{h.position, noteOn (48)}});

    // Up to down: no restart, the chord goes on from where it was.
    h.set (Kelvanor::arpeModeId, 3.0f / 4.0f); // down
    h.renderSteps (3);
    EXPECT_EQ (h.playedNotes(), (std::vector<int>{48, 55, 52, 48, 55}));
    EXPECT_EQ (h.processor->getNumHeldNotes(), 1);

    // Off: the sounding note stops at the next block, the held list empties, keys play the voice.
    h.set (Kelvanor::arpeModeId, 0.0f);
    EXPECT_EQ (h.processor->getParameterManager().getParameterValue (Kelvanor::arpeStateId), 0.0f);
    h.processBlock (64);
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
    EXPECT_EQ (h.processor->getNumHeldNotes(), 0);

    h.sent.clear();
    h.renderSteps (3, {{h.position, noteOn (50)}});
    EXPECT_EQ (h.playedNotes(), (std::vector<int>{50}));
}

TEST (KelvanorArpeggiator, ChordChangeStartsAgainFromTheRoot)
{
    ArpHarness h;
    h.configure (3, Kelvanor::arpeggiatorUp, zeroOnly);
    h.renderSteps (1.75, {{h.position, noteOn (48)}}); // 48, 55, after the second gate

    h.set (Kelvanor::arpeChordId, 2.0f / 7.0f); // minor
    h.renderSteps (3);
    EXPECT_EQ (h.playedNotes(), (std::vector<int>{48, 55, 48, 55, 51}));
}

TEST (KelvanorArpeggiator, KeyPressedAndReleasedAtOnceLeavesNothingSounding)
{
    ArpHarness h;
    h.configure (1, Kelvanor::arpeggiatorUp, zeroOnly);

    h.renderSteps (3, {{h.position, noteOn (48)}, {h.position, noteOff (48)}});
    EXPECT_TRUE (h.playedNotes().empty());
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
}

TEST (KelvanorArpeggiator, LastReleaseStopsAtTheGateEndWithVelocityKept)
{
    ArpHarness h;
    h.configure (1, Kelvanor::arpeggiatorUp, zeroOnly);
    h.renderSteps (4, {{h.position, noteOn (45, 64)}, {h.position + 7000, noteOff (45)}});

    const auto notes = h.sentNotes();
    ASSERT_EQ (notes.size(), 4u); // 45 and 52, each on and off
    EXPECT_EQ (notes[0].message.getVelocity(), 64);
    EXPECT_TRUE (notes.back().message.isNoteOff());
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
}

TEST (KelvanorArpeggiator, ShuffleAndItsPercentageStayInStep)
{
    ArpHarness h;
    auto& parameters = h.processor->getParameterManager();

    h.set (Kelvanor::arpeShuffleId, 0.5f);
    EXPECT_EQ (parameters.getParameterValue (Kelvanor::arpeShuffleValueId), 50.0f);
    EXPECT_EQ (h.processor->getArpeggiatorShuffle(), 50);

    parameters.setParameterValue (Kelvanor::arpeShuffleValueId, 25.0f);
    EXPECT_FLOAT_EQ (parameters.getParameterNormalised (Kelvanor::arpeShuffleId), 0.25f);
    EXPECT_EQ (h.processor->getArpeggiatorShuffle(), 25);

    h.set (Kelvanor::arpeModeId, 0.5f);
    EXPECT_EQ (parameters.getParameterValue (Kelvanor::arpeStateId), 1.0f);
}
