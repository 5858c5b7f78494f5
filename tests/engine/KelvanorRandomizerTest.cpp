#include "KelvanorTestHarness.h"
#include "engine/MersenneTwister.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace
{
/** MT19937 written out from its published definition, seeded the product's way, to check the engine the
    product builds on std::mt19937. */
class ReferenceTwister
{
public:
    explicit ReferenceTwister (std::uint32_t seed)
    {
        state[0] = seed;
        for (int i = 1; i < 624; ++i)
            state[i] = 69069u * state[i - 1];
    }

    std::uint32_t next()
    {
        if (index == 624)
        {
            for (int k = 0; k < 624; ++k)
            {
                const std::uint32_t y = (state[k] & 0x80000000u) | (state[(k + 1) % 624] & 0x7fffffffu);
                state[k] = state[(k + 397) % 624] ^ (y >> 1) ^ ((y & 1u) != 0 ? 0x9908b0dfu : 0u);
            }
            index = 0;
        }

        std::uint32_t y = state[index++];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        y ^= y >> 18;
        return y;
    }

private:
    std::uint32_t state[624];
    int index = 624;
};

/** Every value of the 16 steps, for comparing whole patterns. */
std::vector<double> stepValues (const Pattern& pattern)
{
    std::vector<double> values;
    for (int i = 0; i < Pattern::numSteps; ++i)
    {
        const auto& s = pattern.getStep (i);
        for (const double v :
             {(double) s.note, (double) s.octaveUp, (double) s.octaveDown, (double) s.gate, (double) s.accent,
              (double) s.slide, (double) s.gateLevel, (double) s.accentLevel, (double) s.slideLevel})
            values.push_back (v);
    }
    return values;
}

using namespace PanelEvent;

/** A processor in write mode with the randomizer on, editing pattern 0. */
struct RandomizerHarness : KelvanorHarness
{
    RandomizerHarness()
    {
        fire (Seq::togglePatternWriteModeEvent);
        fire (Seq::toggleRandomizerEvent);
    }

    const Pattern& edited() const { return processor->getPattern (processor->getEditedPattern()); }
    std::vector<double> editedValues() const { return stepValues (edited()); }

    std::set<int> allowedNotes() const
    {
        std::set<int> notes;
        for (int n = 0; n < 128; ++n)
            if (processor->isNoteAllowed (n))
                notes.insert (n);
        return notes;
    }
};
} // namespace

//==============================================================================
// The generator matches the published one with the product's seeding; nextBelow redraws the values at or
// above the largest multiple of n, which for this n are nearly half of them.
TEST (MersenneTwister, MatchesThePublishedGeneratorAndRedrawsTheBiasedTop)
{
    for (const std::uint32_t seed : {1u, 4357u, 1000000u, 0xffffffffu})
    {
        MersenneTwister twister (seed);
        ReferenceTwister reference (seed);
        for (int i = 0; i < 1500; ++i) // across two regenerations of the state
            ASSERT_EQ (twister.next(), reference.next()) << "seed " << seed << " draw " << i;
    }

    constexpr std::uint32_t n = 0x80000001u, limit = 0xffffffffu - (0xffffffffu % n);
    MersenneTwister twister (77);
    ReferenceTwister reference (77);
    for (int i = 0; i < 200; ++i)
    {
        std::uint32_t value = reference.next();
        while (value >= limit)
            value = reference.next();
        ASSERT_EQ (twister.nextBelow (n), value % n) << i;
    }
    EXPECT_EQ (twister.nextBelow (1), 0u);
    EXPECT_EQ (twister.nextBelow (0), 0u);
}

//==============================================================================
TEST (KelvanorRandomizer, NextNextPrevRegeneratesTheFirstPattern)
{
    RandomizerHarness h;
    const auto original = h.editedValues();
    EXPECT_FALSE (h.processor->previousRandomPattern()); // nothing to go back to
    h.fire (Seq::prevEvent);
    EXPECT_EQ (h.editedValues(), original);
    EXPECT_EQ (h.processor->getCurrentRandomSeed(), 0u);

    h.fire (Seq::nextEvent);
    const auto first = h.editedValues();
    const auto firstSeed = h.processor->getCurrentRandomSeed();
    h.fire (Seq::nextEvent);
    EXPECT_NE (h.editedValues(), first);

    h.fire (Seq::prevEvent);
    EXPECT_EQ (h.editedValues(), first);
    EXPECT_EQ (h.processor->getCurrentRandomSeed(), firstSeed);
    EXPECT_FALSE (h.processor->previousRandomPattern()); // the first seed is gone from the history
}

TEST (KelvanorRandomizer, SeedAndStepsFollowFromTheGeneratorState)
{
    RandomizerHarness a, b;
    a.processor->seedRandomGenerator (12345);
    b.processor->seedRandomGenerator (12345);
    a.fire (Seq::nextEvent);
    b.fire (Seq::nextEvent);

    MersenneTwister model (12345);
    const auto seed = model.nextBelow (1000000) + 1;
    EXPECT_EQ (a.processor->getCurrentRandomSeed(), seed);
    EXPECT_EQ (a.editedValues(), b.editedValues());

    // With every note allowed, draw r of a step picks MIDI note 24 + r; then the three levels.
    model.seed (seed);
    for (int i = 0; i < Pattern::numSteps; ++i)
    {
        const int midi = 24 + (int) model.nextBelow (49);
        const auto& step = a.edited().getStep (i);
        EXPECT_EQ (step.getMidiNote(), midi) << i;
        EXPECT_EQ (step.gateLevel, (double) model.nextFloat()) << i;
        EXPECT_EQ (step.accentLevel, (double) model.nextFloat()) << i;
        EXPECT_EQ (step.slideLevel, (double) model.nextFloat()) << i;
        EXPECT_TRUE (step.gate && step.accent && step.slide);
    }
}

// Random notes off: only the levels change. A chord limits the notes; kinds switched off keep their values.
TEST (KelvanorRandomizer, DrawsOnlyWhatIsSwitchedOn)
{
    RandomizerHarness h;
    h.fire (toggleRandNotes);
    EXPECT_EQ (h.parameter (80), 0.0f);
    Pattern before = h.edited();
    h.fire (Seq::nextEvent);
    int changedLevels = 0;
    for (int i = 0; i < Pattern::numSteps; ++i)
    {
        const auto &was = before.getStep (i), &now = h.edited().getStep (i);
        EXPECT_EQ (std::tuple (now.note, now.octaveUp, now.octaveDown),
                   std::tuple (was.note, was.octaveUp, was.octaveDown));
        changedLevels += now.gateLevel != was.gateLevel ? 1 : 0;
    }
    EXPECT_GT (changedLevels, 8);

    h.fire (toggleRandNotes);
    h.set (79, 1.0f / 7.0f); // major
    for (int i = 0; i < 3; ++i)
        h.fire (pressGate + i); // randomize gate, accent and slide off
    EXPECT_EQ (h.allowedNotes(), (std::set<int>{24, 28, 31, 36, 40, 43, 48, 52, 55, 60, 64, 67, 72}));
    before = h.edited();
    for (int draw = 0; draw < 5; ++draw)
    {
        h.fire (Seq::nextEvent);
        for (int i = 0; i < Pattern::numSteps; ++i)
        {
            const auto& step = h.edited().getStep (i);
            EXPECT_TRUE (h.allowedNotes().count (step.getMidiNote()) == 1) << step.getMidiNote();
            EXPECT_EQ (std::pair (step.gate, step.slideLevel),
                       std::pair (before.getStep (i).gate, before.getStep (i).slideLevel));
        }
    }
}

// Undo brings back the last accepted pattern, then the one accepted before, down to the pattern the
// randomizer started from, which stays to be brought back again until the randomizer is left.
TEST (KelvanorRandomizer, AcceptUndoAndFlatten)
{
    RandomizerHarness h;
    const auto original = h.editedValues();

    for (int round = 0; round < 2; ++round)
    {
        h.fire (Seq::nextEvent);
        h.fire (Seq::undoEvent);
        EXPECT_EQ (h.editedValues(), original) << "round " << round;
    }

    h.fire (Seq::nextEvent);
    const auto accepted = h.editedValues();
    h.fire (Seq::acceptEvent);
    h.fire (Seq::nextEvent);
    const auto accepted2 = h.editedValues();
    h.fire (Seq::acceptEvent);
    h.fire (Seq::nextEvent);

    for (const auto* expected : {&accepted2, &accepted, &original, &original})
    {
        h.fire (Seq::undoEvent);
        EXPECT_EQ (h.editedValues(), *expected);
    }
    h.fire (Seq::nextEvent);
    h.fire (Seq::undoEvent);
    EXPECT_EQ (h.editedValues(), original);

    // Leaving the randomizer ends the history: the pattern it is entered with next is the one undo keeps.
    h.fire (Seq::nextEvent);
    const auto kept = h.editedValues();
    h.fire (Seq::toggleRandomizerEvent);
    h.fire (Seq::toggleRandomizerEvent);
    h.fire (Seq::nextEvent);
    h.fire (Seq::undoEvent);
    EXPECT_EQ (h.editedValues(), kept);

    // Flatten turns the drawn levels into flags by the thresholds, undoably.
    h.set (Kelvanor::gateThresholdId, 0.5f);
    h.set (Kelvanor::accentThresholdId, 0.25f);
    h.fire (Seq::nextEvent);
    const Pattern drawn = h.edited();
    h.fire (flatten);

    for (int i = 0; i < Pattern::numSteps; ++i)
    {
        const auto &was = drawn.getStep (i), &now = h.edited().getStep (i);
        EXPECT_EQ (std::tuple (now.gate != 0, now.accent != 0, now.gateLevel, now.accentLevel, now.note),
                   std::tuple (0.5 >= was.gateLevel, 0.25 >= was.accentLevel, 0.0, 0.0, was.note))
            << i;
    }

    // Once flattened, a second flatten changes nothing.
    const auto flattened = h.editedValues();
    h.fire (flatten);
    EXPECT_EQ (h.editedValues(), flattened);

    h.fire (Seq::undoEvent);
    h.fire (Seq::undoEvent);
    EXPECT_EQ (h.editedValues(), stepValues (drawn));
}

TEST (KelvanorRandomizer, NoteKeysEditTheAllowedNotesOfTheOctaveOnShow)
{
    RandomizerHarness h;

    h.fire (pressC); // C of the middle view: MIDI 36
    EXPECT_FALSE (h.processor->isNoteAllowed (36));
    EXPECT_EQ (h.parameter (40), 0.0f);
    EXPECT_EQ (h.parameter (41), 1.0f);

    h.fire (Seq::clearEvent);
    for (int n = 36; n <= 47; ++n)
        EXPECT_FALSE (h.processor->isNoteAllowed (n)) << n;
    EXPECT_TRUE (h.processor->isNoteAllowed (48));

    // Both octave keys show the top octave with its 13th note.
    h.fire (pressLowerOctave);
    h.fire (pressLowerOctave + 1);
    EXPECT_EQ (h.processor->getOctaveViewStart(), 60);
    h.fire (Seq::clearEvent);
    EXPECT_EQ (h.parameter (52), 0.0f);
    h.fire (Seq::clear2ndEvent);
    for (int n = 60; n <= 72; ++n)
        EXPECT_TRUE (h.processor->isNoteAllowed (n)) << n;

    // The user's own set comes back after a chord.
    h.set (79, 3.0f / 7.0f);
    EXPECT_TRUE (h.processor->isNoteAllowed (34)); // B flat, the 7th of 24
    h.set (79, 0.0f);
    EXPECT_FALSE (h.processor->isNoteAllowed (40));
    EXPECT_TRUE (h.processor->isNoteAllowed (35));
}

TEST (KelvanorRandomizer, TransposeKeysRotateTheAllowedNotes)
{
    RandomizerHarness h;
    h.set (79, 1.0f / 7.0f);

    h.fire (transposeUp);
    EXPECT_EQ (h.allowedNotes(), (std::set<int>{24, 25, 29, 32, 37, 41, 44, 49, 53, 56, 61, 65, 68}));

    h.fire (transposeUp + 1);
    h.fire (transposeUp + 1);
    EXPECT_EQ (h.allowedNotes(), (std::set<int>{27, 30, 35, 39, 42, 47, 51, 54, 59, 63, 66, 71, 72}));
}
