#include "engine/ShuffledClock.h"

#include <gtest/gtest.h>

namespace
{
struct Event
{
    int sample;
    int state;
    bool operator== (const Event&) const = default;
};

void PrintTo (const Event& e, std::ostream* os)
{
    *os << "state " << e.state << "@" << e.sample;
}

std::vector<Event> run (Clock& clock, int samples, int firstSample = 0)
{
    std::vector<Event> events;
    for (int i = 0; i < samples; ++i)
        if (clock.tick())
            events.push_back ({firstSample + i, clock.getState()});
    return events;
}

void startClock (Clock& clock, double sampleRate, double tempo, double gateFraction, double stepsPerBeat = 4)
{
    clock.setSampleRate (sampleRate);
    clock.setTempo (tempo);
    clock.setGateFraction (gateFraction);
    clock.setStepsPerBeat (stepsPerBeat);
    clock.start();
}

// Pairs of sixteenths from P: the second step starts at P + s + shuffle x s and each gate lasts the gate
// fraction of its own (lengthened or shortened) step. Samples are ceil (boundary x samples per beat) in exact
// fractions.
struct PairCase
{
    double sampleRate, tempo, gateFraction, shuffle;
    std::vector<int> transitions; // states 0, 1, 2, 3, 0, ...
};

class ShuffledClockTiming : public ::testing::TestWithParam<PairCase>
{
};

TEST_P (ShuffledClockTiming, DelaysEverySecondStep)
{
    const auto& c = GetParam();
    ShuffledClock clock;
    clock.setShuffle (c.shuffle);
    startClock (clock, c.sampleRate, c.tempo, c.gateFraction);

    std::vector<Event> expected;
    for (size_t i = 0; i < c.transitions.size(); ++i)
        expected.push_back ({c.transitions[i], (int) (i % 4)});
    EXPECT_EQ (run (clock, c.transitions.back() + 1), expected);
}

INSTANTIATE_TEST_SUITE_P (
    TempiRatesAndShuffles, ShuffledClockTiming,
    ::testing::Values (PairCase{44100, 137, 0.5, 0.5, {0, 3622, 7243, 8450, 9657, 13279, 16900, 18107}},
                       PairCase{48000, 93, 0.96, 0.3, {0, 9662, 10065, 15268, 15484, 25146, 25549, 30751}},
                       PairCase{96000, 297, 0.5, 0.125, {0, 2728, 5455, 7576, 9697, 12425, 15152, 17273}}));

TEST (ShuffledClock, WithoutShuffleMatchesThePlainClock)
{
    for (const auto& [rate, tempo, gate, steps] :
         std::vector<std::tuple<double, double, double, double>>{{44100, 120, 0.5, 4},
                                                                 {48000, 93, 0.96, 4},
                                                                 {96000, 173.3, 0.04, 6},
                                                                 {22050, 30, 0.5, 12},
                                                                 {44100, 300, 0.75, 24}})
    {
        Clock plain;
        ShuffledClock shuffled;
        startClock (plain, rate, tempo, gate, steps);
        startClock (shuffled, rate, tempo, gate, steps);
        for (int i = 0; i < 200000; ++i)
        {
            const bool fired = plain.tick();
            ASSERT_EQ (shuffled.tick(), fired) << "sample " << i << " at " << tempo << " bpm";
            ASSERT_EQ (shuffled.isGateOn(), plain.isGateOn()) << "sample " << i << " at " << tempo << " bpm";
        }
    }
}

// 44100 Hz, 120 bpm, shuffle 0.5, gate 0.5: pair 0..0.5 beats, second step at 0.375, gates end at 0.1875 and
// 0.4375; 0.005 s is 0.01 beats.
struct JumpCase
{
    const char* what;
    int jumpAtSample;
    double jumpTo; // beats
    std::vector<Event> next;
};

class ShuffledClockJump : public ::testing::TestWithParam<JumpCase>
{
};

TEST_P (ShuffledClockJump, ReschedulesFromTheNewPosition)
{
    const auto& c = GetParam();
    ShuffledClock clock;
    clock.setShuffle (0.5);
    startClock (clock, 44100, 120, 0.5);
    run (clock, c.jumpAtSample);

    clock.setPosition (c.jumpTo);
    auto events = run (clock, 12000, c.jumpAtSample);
    events.resize (std::min (events.size(), c.next.size()));
    EXPECT_EQ (events, c.next) << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    LateStarts, ShuffledClockJump,
    ::testing::Values (
        JumpCase{"4.9 ms into a pair fires its first step at once", 10000, 0.5098, {{10000, 0}}},
        JumpCase{"5.1 ms into a pair waits for the next pair", 10000, 0.5102, {{20801, 0}}},
        JumpCase{"into the second step fires it at once", 5000, 0.42, {{5000, 2}, {5386, 3}}},
        JumpCase{"4.9 ms before a pair keeps the gate on through its first gate", 100, 0.4902, {{4451, 1}}},
        JumpCase{"5.1 ms before a pair ends the gate at once", 100, 0.4898, {{100, 1}}}));

TEST (ShuffledClock, CloserToNextStepMeasuresFromTheShuffledStart)
{
    ShuffledClock clock;
    clock.setShuffle (0.5); // second step at 0.375 beats
    for (const auto& [position, expected] : std::vector<std::pair<double, bool>>{
             {0.1, true}, {0.2, false}, {0.4, true}, {0.45, false}, {0.5, false}, {0.55, true}})
    {
        clock.setPosition (position);
        EXPECT_EQ (clock.isCloserToNextStep(), expected) << position;
    }

    clock.setShuffle (std::numeric_limits<double>::quiet_NaN()); // refused
    EXPECT_EQ (clock.getShuffle(), 0.5);
}
} // namespace
