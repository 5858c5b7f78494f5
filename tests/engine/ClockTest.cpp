#include "engine/Clock.h"
#include "engine/ShuffledClock.h"

#include "TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace
{
/** A transition: the sample it fired on and the state it entered (0 gate on, 1 gate off; a shuffled clock's
    second step of a pair 2 and 3). */
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

/** A plain clock without shuffle, else a shuffled one; sixteenth steps. */
std::unique_ptr<Clock> startClock (double sampleRate, double tempo, double gateFraction, double shuffle = 0.0,
                                   double stepsPerBeat = 4)
{
    std::unique_ptr<Clock> clock;
    if (shuffle > 0.0)
    {
        auto shuffled = std::make_unique<ShuffledClock>();
        shuffled->setShuffle (shuffle);
        clock = std::move (shuffled);
    }
    else
        clock = std::make_unique<Clock>();

    clock->setSampleRate (sampleRate);
    clock->setTempo (tempo);
    clock->setGateFraction (gateFraction);
    clock->setStepsPerBeat (stepsPerBeat);
    clock->start();
    return clock;
}

// Each transition falls on the first sample whose position reaches the boundary: ceil (boundary in beats x
// samples per beat), worked out in exact fractions. With shuffle, the second step of each pair starts at
// P + s + shuffle x s and each gate lasts the gate fraction of its own (lengthened or shortened) step.
struct TimingCase
{
    double sampleRate, tempo, gateFraction, shuffle;
    std::vector<int> transitions; // states 0, 1 (, 2, 3), 0, ...
};

// clang-format off
const TimingCase timingCases[] = {
    {44100, 137, 0.5, 0, {0, 2415, 4829, 7243, 9657, 12072, 14486, 16900}},
    {48000, 93, 0.5, 0, {0, 3871, 7742, 11613, 15484, 19355, 23226, 27097}},
    {96000, 297, 0.25, 0, {0, 1213, 4849, 6061, 9697, 10910, 14546, 15758}},
    {22050, 31, 0.75, 0, {0, 8003, 10670, 18672, 21339, 29341, 32009, 40011}},
    {192000, 240.5, 0.5, 0, {0, 5988, 11976, 17963, 23951, 29938, 35926, 41913}},
    // 0.96 while the arpeggiator runs: each gate ends 4 % of a step (193 samples) early
    {44100, 137, 0.96, 0, {0, 4636, 4829, 9464, 9657, 14293, 14486, 19121}},
    {44100, 137, 0.5, 0.5, {0, 3622, 7243, 8450, 9657, 13279, 16900, 18107}},
    {48000, 93, 0.96, 0.3, {0, 9662, 10065, 15268, 15484, 25146, 25549, 30751}},
    {96000, 297, 0.5, 0.125, {0, 2728, 5455, 7576, 9697, 12425, 15152, 17273}},
};
// clang-format on

TEST (Clock, StepStartsAndGateEndsFallOnTheComputedSamples)
{
    for (const auto& c : timingCases)
    {
        const auto clock = startClock (c.sampleRate, c.tempo, c.gateFraction, c.shuffle);
        std::vector<Event> expected;
        for (size_t i = 0; i < c.transitions.size(); ++i)
            expected.push_back ({c.transitions[i], (int) (i % (c.shuffle > 0.0 ? 4 : 2))});
        EXPECT_EQ (run (*clock, c.transitions.back() + 1), expected)
            << c.sampleRate << " Hz, " << c.tempo << " bpm, gate " << c.gateFraction << ", shuffle "
            << c.shuffle;
    }
}

TEST (Clock, ShuffledClockWithoutShuffleMatchesThePlainClock)
{
    // rate, tempo, gate fraction, steps per beat
    const std::tuple<double, double, double, double> cases[] = {{44100, 120, 0.5, 4},
                                                                {48000, 93, 0.96, 4},
                                                                {96000, 173.3, 0.04, 6},
                                                                {22050, 30, 0.5, 12},
                                                                {44100, 300, 0.75, 24}};
    for (const auto& [rate, tempo, gate, steps] : cases)
    {
        const auto plain = startClock (rate, tempo, gate, 0.0, steps);
        auto shuffled = std::make_unique<ShuffledClock>();
        shuffled->setSampleRate (rate);
        shuffled->setTempo (tempo);
        shuffled->setGateFraction (gate);
        shuffled->setStepsPerBeat (steps);
        shuffled->start();
        for (int i = 0; i < 200000; ++i)
        {
            const bool fired = plain->tick();
            ASSERT_EQ (shuffled->tick(), fired) << "sample " << i << " at " << tempo << " bpm";
            ASSERT_EQ (shuffled->isGateOn(), plain->isGateOn())
                << "sample " << i << " at " << tempo << " bpm";
        }
    }
}

// 44100 Hz, steps of 0.25 beats, gates of 0.125. 0.005 s is 0.01 beats at 120 bpm and 0.005 beats at 60 bpm;
// the late-start cases sit 0.1 ms either side of it. With shuffle 0.5 the pair spans 0..0.5 beats, its second
// step starts at 0.375 and the gates end at 0.1875 and 0.4375.
struct JumpCase
{
    const char* what;
    double tempo, shuffle;
    int jumpAtSample;
    double jumpTo; // beats
    std::vector<Event> next;
};

// clang-format off
const JumpCase jumpCases[] = {
    {"4.9 ms into a step fires it at once", 120, 0, 3000, 0.2598, {{3000, 0}}},
    {"5.1 ms into a step waits for the next", 120, 0, 3000, 0.2602, {{8288, 0}}},
    {"4.9 ms into a step fires it at once", 60, 0, 6000, 0.2549, {{6000, 0}}},
    {"5.1 ms into a step waits for the next", 60, 0, 6000, 0.2551, {{16801, 0}}},
    {"4.9 ms before a step keeps the gate on through it", 120, 0, 100, 0.2402, {{3073, 1}}},
    {"5.1 ms before a step ends the gate at once", 120, 0, 100, 0.2398, {{100, 1}, {325, 0}}},
    {"a started clock set into a gate fires at once", 120, 0, 0, 0.3, {{0, 0}, {1654, 1}}},
    {"a negative position waits for zero", 120, 0, 0, -10.5 / 22050, {{11, 0}, {2767, 1}}},
    {"4.9 ms into a pair fires its first step at once", 120, 0.5, 10000, 0.5098, {{10000, 0}}},
    {"5.1 ms into a pair waits for the next pair", 120, 0.5, 10000, 0.5102, {{20801, 0}}},
    {"into the second step fires it at once", 120, 0.5, 5000, 0.42, {{5000, 2}, {5386, 3}}},
    {"4.9 ms before a pair keeps the gate on through its first gate", 120, 0.5, 100, 0.4902, {{4451, 1}}},
    {"5.1 ms before a pair ends the gate at once", 120, 0.5, 100, 0.4898, {{100, 1}}},
};
// clang-format on

TEST (Clock, PositionJumpsRescheduleFromTheNewPosition)
{
    for (const auto& c : jumpCases)
    {
        const auto clock = startClock (44100, c.tempo, 0.5, c.shuffle);
        run (*clock, c.jumpAtSample);

        clock->setPosition (c.jumpTo);
        auto events = run (*clock, 12000, c.jumpAtSample);
        events.resize (std::min (events.size(), c.next.size()));
        EXPECT_EQ (events, c.next) << c.what << " at " << c.tempo << " bpm, shuffle " << c.shuffle;
    }
}

TEST (Clock, TempoChangeMidStepReschedulesFromTheCurrentPosition)
{
    const auto clock = startClock (44100, 137, 0.5);
    ASSERT_EQ (run (*clock, 2000), (std::vector<Event>{{0, 0}}));

    clock->setTempo (71);
    EXPECT_EQ (run (*clock, 12200, 2000), (std::vector<Event>{{2800, 1}, {7458, 0}, {12117, 1}}));
}

TEST (Clock, StopAndRewindReturnToPositionZero)
{
    Clock idle;
    EXPECT_FALSE (idle.tick());

    const auto clock = startClock (44100, 120, 0.5);
    run (*clock, 4000);
    clock->rewind(); // keeps running: the next tick starts a step
    EXPECT_EQ (run (*clock, 3000, 4000), (std::vector<Event>{{4000, 0}, {6757, 1}}));

    clock->stop();
    EXPECT_EQ (clock->getState(), Clock::stopped);
    EXPECT_EQ (clock->getPosition(), 0.0);
    EXPECT_TRUE (run (*clock, 1000).empty());
}

TEST (Clock, CloserToNextStepInTheFirstHalfOfAStepMeasuredFromTheShuffledStart)
{
    ShuffledClock clock;
    for (const double shuffle : {0.0, 0.5}) // second step at 0.25 or 0.375 beats
    {
        clock.setShuffle (shuffle);
        // clang-format off
        const auto cases = shuffle == 0.0
            ? std::vector<std::pair<double, bool>>{{0.0, false}, {0.1, true}, {0.125, false}, {0.2, false}, {0.25, false}, {0.3, true}}
            : std::vector<std::pair<double, bool>>{{0.1, true}, {0.2, false}, {0.4, true}, {0.45, false}, {0.5, false}, {0.55, true}};
        // clang-format on
        for (const auto& [position, expected] : cases)
        {
            clock.setPosition (position);
            EXPECT_EQ (clock.isCloserToNextStep(), expected) << position << ", shuffle " << shuffle;
        }
    }

    clock.setShuffle (std::numeric_limits<double>::quiet_NaN()); // refused
    EXPECT_EQ (clock.getShuffle(), 0.5);
}

// A scanning host reports sample rate 0, a stopped one may report tempo 0: the clock keeps its last sound
// values and its timing.
TEST (Clock, RefusesValuesThatCannotDriveIt)
{
    const double inf = std::numeric_limits<double>::infinity(),
                 nan = std::numeric_limits<double>::quiet_NaN();
    const auto clock = startClock (44100, 120, 0.5);
    run (*clock, 100);

    for (const double bad : {0.0, -120.0, nan, inf, -inf})
    {
        clock->setTempo (bad);
        clock->setSampleRate (bad);
        clock->setStepsPerBeat (bad);
        if (!std::isfinite (bad))
            clock->setPosition (bad);
    }
    clock->setGateFraction (nan);
    EXPECT_EQ (run (*clock, 5414, 100), (std::vector<Event>{{2757, 1}, {5513, 0}}));

    clock->setGateFraction (2.0);
    EXPECT_EQ (clock->getGateFraction(), 1.0);

    // clang-format off
    for (const auto& [rate, tempo, steps] : std::vector<std::tuple<double, double, double>>{
             {44100, 1e-300, 4}, {44100, 1e300, 4}, {1e-300, 120, 4}, {1e300, 120, 4}, {44100, 120, 1e300}, {0.01, 1e306, 4}})
    // clang-format on
    {
        const auto extreme = startClock (rate, tempo, 0.5, 0.0, steps);
        EXPECT_FALSE (run (*extreme, 20000).empty()); // the start itself fires
        EXPECT_TRUE (std::isfinite (extreme->getPosition())) << rate << " Hz " << tempo << " bpm " << steps;
    }
}

struct LoggingListener : Clock::Listener
{
    LoggingListener (std::vector<std::string>& l, std::string n)
        : log (l)
        , name (std::move (n))
    {
    }

    void clockStarted() override
    {
        log.push_back (name + " started");
        if (removeSelfFrom != nullptr)
            removeSelfFrom->removeListener (this);
    }

    void clockStateChanged (Clock& c) override
    {
        log.push_back (name + (&c == expected ? " changed" : " wrong"));
    }

    std::vector<std::string>& log;
    std::string name;
    Clock* removeSelfFrom = nullptr;
    Clock* expected = nullptr;
};

TEST (ClockListener, NoticesArriveOnTheMessageThreadLastAddedFirst)
{
    std::vector<std::string> log;
    Clock clock;
    LoggingListener a (log, "a"), b (log, "b"), c (log, "c");
    for (auto* l : {&a, &b, &c, &a, static_cast<LoggingListener*> (nullptr)}) // duplicate and null ignored
    {
        clock.addListener (l);
        if (l != nullptr)
            l->expected = &clock;
    }
    b.removeSelfFrom = &clock;

    clock.start();
    run (clock, 6000); // several transitions, one notice
    EXPECT_TRUE (log.empty());
    pumpMessages();
    EXPECT_EQ (log,
               (std::vector<std::string>{"c started", "b started", "a started", "c changed", "a changed"}));

    log.clear();
    clock.stop();
    clock.stop(); // not running: nothing more to tell
    pumpMessages();
    EXPECT_EQ (log, (std::vector<std::string>{"c started", "a started"}));
}
// Position jumps: the sums one by one, compared bit for bit with the jump, across binade edges, from 0, with
// increments that round up, down, to a tie (which depends on the sum) or vanish, and up to overflow.
TEST (ClockQuietTicks, PositionJumpsEqualTheAdditionsOneByOne)
{
    const double max = std::numeric_limits<double>::max();
    const double unitAtOne = std::ldexp (1.0, -52);
    // clang-format off
    const std::tuple<double, double, int> cases[] = {
        {0.0, 120.0 / (44100.0 * 60.0), 100000},   // from a start, through many binades
        {0.0, 97.3 / (96000.0 * 60.0), 512},
        {3.999, 140.0 / (48000.0 * 60.0), 40000}, // across 4.0
        {1.0, 1.5 * unitAtOne, 1000},             // a tie at every sum
        {1.0, 2.5 * unitAtOne, 1000},
        {1.0, 0.5 * unitAtOne, 300},              // a tie that rounds back to p
        {1.0, 0.25 * unitAtOne, 300},             // vanishes
        {1.0, 0.75 * unitAtOne, 300},
        {1.9999999999999998, 0.6 * unitAtOne, 3}, // right at the edge
        {1e-310, 1e-311, 50},                     // subnormal
        {4096.0, 0.3, 2000000},
        {max / 2.0, max / 8.0, 10},               // stops short of infinity
        {0.5, 0.25, 7},
    };
    // clang-format on

    for (const auto& [start, increment, ticks] : cases)
    {
        double expected = start;
        for (int i = 0; i < ticks; ++i)
            if (std::isfinite (expected + increment))
                expected += increment;

        EXPECT_EQ (Clock::advancePosition (start, increment, ticks), expected)
            << start << " + " << ticks << " x " << increment;
    }

    std::mt19937_64 random (3);
    std::uniform_real_distribution<double> beats (0.0, 5000.0), tempo (20.0, 400.0);
    for (int i = 0; i < 2000; ++i)
    {
        const double start = i % 4 == 0 ? 0.0 : beats (random);
        const double increment = tempo (random) / (44100.0 * 60.0);
        const int ticks = 1 + (int) (random() % 3000);
        double expected = start;
        for (int k = 0; k < ticks; ++k)
            expected += increment;
        ASSERT_EQ (Clock::advancePosition (start, increment, ticks), expected) << start << ", " << increment;
    }
}

// A clock skipped over its quiet ticks fires the same transitions at the same samples, and ends at the same
// position to the last bit, as one ticked sample by sample, through tempo changes and jumps.
TEST (ClockQuietTicks, SkippingQuietTicksChangesNothing)
{
    for (const auto& c : timingCases)
    {
        const auto ticked = startClock (c.sampleRate, c.tempo, c.gateFraction, c.shuffle);
        const auto skipped = startClock (c.sampleRate, c.tempo, c.gateFraction, c.shuffle);
        const int length = c.transitions.back() * 3;

        std::vector<Event> expected, actual;
        for (int i = 0; i < length; ++i)
        {
            if (i == length / 3)
                ticked->setTempo (c.tempo * 1.37);
            if (ticked->tick())
                expected.push_back ({i, ticked->getState()});
        }

        for (int i = 0; i < length;)
        {
            if (i == length / 3)
                skipped->setTempo (c.tempo * 1.37);
            if (skipped->tick())
                actual.push_back ({i, skipped->getState()});
            ++i;

            // Never over the tempo change, as the processor never skips over a sample that changes the clock.
            const int quiet =
                std::min ({skipped->getQuietTicks(), length - i, i <= length / 3 ? length / 3 - i : length});
            skipped->advanceQuietly (quiet);
            i += quiet;
        }

        EXPECT_EQ (actual, expected) << c.sampleRate << " Hz, " << c.tempo << " bpm, shuffle " << c.shuffle;
        EXPECT_EQ (skipped->getPosition(), ticked->getPosition());
    }

    Clock stopped;
    EXPECT_EQ (stopped.getQuietTicks(), std::numeric_limits<int>::max());
    stopped.advanceQuietly (1000);
    EXPECT_EQ (stopped.getPosition(), 0.0);

    const auto fresh = startClock (44100, 120, 0.5);
    EXPECT_EQ (fresh->getQuietTicks(), 0); // started: the next tick recomputes and fires
}
} // namespace
