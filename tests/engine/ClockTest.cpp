#include "engine/Clock.h"

#include "TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
struct Event
{
    int sample;
    bool gateOn;
    bool operator== (const Event&) const = default;
};

void PrintTo (const Event& e, std::ostream* os)
{
    *os << (e.gateOn ? "on@" : "off@") << e.sample;
}

std::vector<Event> run (Clock& clock, int samples, int firstSample = 0)
{
    std::vector<Event> events;
    for (int i = 0; i < samples; ++i)
        if (clock.tick())
            events.push_back ({firstSample + i, clock.isGateOn()});
    return events;
}

void startClock (Clock& clock, double sampleRate, double tempo, double gateFraction)
{
    clock.setSampleRate (sampleRate);
    clock.setTempo (tempo);
    clock.setGateFraction (gateFraction);
    clock.start();
}

// Each transition falls on the first sample whose position reaches the boundary: ceil (boundary in beats x
// samples per beat), worked out in exact fractions. Sixteenth steps.
struct TimingCase
{
    double sampleRate, tempo, gateFraction;
    std::vector<int> transitions; // gate on, off, on, ...
};

class ClockTiming : public ::testing::TestWithParam<TimingCase>
{
};

TEST_P (ClockTiming, StepStartsAndGateEndsFallOnTheComputedSamples)
{
    const auto& c = GetParam();
    Clock clock;
    startClock (clock, c.sampleRate, c.tempo, c.gateFraction);

    std::vector<Event> expected;
    for (size_t i = 0; i < c.transitions.size(); ++i)
        expected.push_back ({c.transitions[i], i % 2 == 0});
    EXPECT_EQ (run (clock, c.transitions.back() + 1), expected);
}

INSTANTIATE_TEST_SUITE_P (
    TempiAndRates, ClockTiming,
    ::testing::Values (TimingCase{44100, 137, 0.5, {0, 2415, 4829, 7243, 9657, 12072, 14486, 16900}},
                       TimingCase{48000, 93, 0.5, {0, 3871, 7742, 11613, 15484, 19355, 23226, 27097}},
                       TimingCase{96000, 297, 0.25, {0, 1213, 4849, 6061, 9697, 10910, 14546, 15758}},
                       TimingCase{22050, 31, 0.75, {0, 8003, 10670, 18672, 21339, 29341, 32009, 40011}},
                       TimingCase{192000, 240.5, 0.5, {0, 5988, 11976, 17963, 23951, 29938, 35926, 41913}},
                       // 0.96 while the arpeggiator runs: each gate ends 4 % of a step (193 samples) early
                       TimingCase{44100, 137, 0.96, {0, 4636, 4829, 9464, 9657, 14293, 14486, 19121}}));

// 44100 Hz, steps of 0.25 beats, gates of 0.125. 0.005 s is 0.01 beats at 120 bpm and 0.005 beats at
// 60 bpm; the late-start cases sit 0.1 ms either side of it.
struct JumpCase
{
    const char* what;
    double tempo;
    int jumpAtSample;
    double jumpTo; // beats
    std::vector<Event> next;
};

class ClockJump : public ::testing::TestWithParam<JumpCase>
{
};

TEST_P (ClockJump, ReschedulesFromTheNewPosition)
{
    const auto& c = GetParam();
    Clock clock;
    startClock (clock, 44100, c.tempo, 0.5);
    run (clock, c.jumpAtSample);

    clock.setPosition (c.jumpTo);
    auto events = run (clock, 12000, c.jumpAtSample);
    events.resize (std::min (events.size(), c.next.size()));
    EXPECT_EQ (events, c.next) << c.what << " at " << c.tempo << " bpm";
}

INSTANTIATE_TEST_SUITE_P (
    LateStarts, ClockJump,
    ::testing::Values (
        JumpCase{"4.9 ms into a step fires it at once", 120, 3000, 0.2598, {{3000, true}}},
        JumpCase{"5.1 ms into a step waits for the next", 120, 3000, 0.2602, {{8288, true}}},
        JumpCase{"4.9 ms into a step fires it at once", 60, 6000, 0.2549, {{6000, true}}},
        JumpCase{"5.1 ms into a step waits for the next", 60, 6000, 0.2551, {{16801, true}}},
        JumpCase{"4.9 ms before a step keeps the gate on through it", 120, 100, 0.2402, {{3073, false}}},
        JumpCase{"5.1 ms before a step ends the gate at once", 120, 100, 0.2398, {{100, false}, {325, true}}},
        JumpCase{"a started clock set into a gate fires at once", 120, 0, 0.3, {{0, true}, {1654, false}}},
        JumpCase{"a negative position waits for zero", 120, 0, -10.5 / 22050, {{11, true}, {2767, false}}}));

TEST (Clock, TempoChangeMidStepReschedulesFromTheCurrentPosition)
{
    Clock clock;
    startClock (clock, 44100, 137, 0.5);
    ASSERT_EQ (run (clock, 2000), (std::vector<Event>{{0, true}}));

    clock.setTempo (71);
    EXPECT_EQ (run (clock, 12200, 2000), (std::vector<Event>{{2800, false}, {7458, true}, {12117, false}}));
}

TEST (Clock, StopAndRewindReturnToPositionZero)
{
    Clock clock;
    EXPECT_FALSE (clock.tick());
    startClock (clock, 44100, 120, 0.5);
    run (clock, 4000);

    clock.rewind(); // keeps running: the next tick starts a step
    EXPECT_EQ (run (clock, 3000, 4000), (std::vector<Event>{{4000, true}, {6757, false}}));

    clock.stop();
    EXPECT_EQ (clock.getState(), Clock::stopped);
    EXPECT_EQ (clock.getPosition(), 0.0);
    EXPECT_TRUE (run (clock, 1000).empty());
}

TEST (Clock, CloserToNextStepInTheFirstHalfOfAStep)
{
    Clock clock;
    for (const auto& [position, expected] : std::vector<std::pair<double, bool>>{
             {0.0, false}, {0.1, true}, {0.125, false}, {0.2, false}, {0.25, false}, {0.3, true}})
    {
        clock.setPosition (position);
        EXPECT_EQ (clock.isCloserToNextStep(), expected) << position;
    }
}

// A scanning host reports sample rate 0, a stopped one may report tempo 0: the clock keeps its last sound
// values and its timing.
TEST (Clock, RefusesValuesThatCannotDriveIt)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Clock clock;
    startClock (clock, 44100, 120, 0.5);
    run (clock, 100);

    for (const double bad : {0.0, -120.0, nan, inf, -inf})
    {
        clock.setTempo (bad);
        clock.setSampleRate (bad);
        clock.setStepsPerBeat (bad);
        if (!std::isfinite (bad))
            clock.setPosition (bad);
    }
    clock.setGateFraction (nan);
    EXPECT_EQ (run (clock, 5414, 100), (std::vector<Event>{{2757, false}, {5513, true}}));

    clock.setGateFraction (2.0);
    EXPECT_EQ (clock.getGateFraction(), 1.0);
}

TEST (Clock, ExtremeTimingKeepsThePositionFinite)
{
    for (const auto& [rate, tempo, steps] :
         std::vector<std::tuple<double, double, double>>{{44100, 1e-300, 4},
                                                         {44100, 1e300, 4},
                                                         {1e-300, 120, 4},
                                                         {1e300, 120, 4},
                                                         {44100, 120, 1e300},
                                                         {0.01, 1e306, 4}})
    {
        Clock clock;
        clock.setStepsPerBeat (steps);
        startClock (clock, rate, tempo, 0.5);
        EXPECT_FALSE (run (clock, 20000).empty()); // the start itself fires
        EXPECT_TRUE (std::isfinite (clock.getPosition())) << rate << " Hz " << tempo << " bpm " << steps;
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
} // namespace
