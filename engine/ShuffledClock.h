#pragma once

#include "engine/Clock.h"

/** A Clock that works on pairs of steps and delays the second step of each pair by a shuffle amount.

    States: -1 stopped, 0 first step gate on, 1 first step gate off, 2 second step gate on, 3 second step
    gate off. Threads as for Clock; the owner sets the shuffle on the audio thread. */
class ShuffledClock : public Clock
{
public:
    enum PairState
    {
        firstGateOn = 0,
        firstGateOff = 1,
        secondGateOn = 2,
        secondGateOff = 3
    };

    ShuffledClock();
    ~ShuffledClock() override;

    bool isGateOn() const override;
    bool isGateOff() const override;

    /** True while the position is nearer the start of its (shuffled) step than the start of the next one. */
    bool isCloserToNextStep() const override;

    bool tick() override;

    /** The delay of every second step as a fraction of a step, limited to 0..1; NaN is refused. Stores only a
        changed value and marks the clock for recomputation. */
    void setShuffle (double newShuffle);
    double getShuffle() const { return shuffle; }

private:
    /** The pair around a position, in beats. */
    struct Pair
    {
        double nextStart;   // start of the next pair
        double start;       // start of this pair
        double secondStart; // shuffled start of the second step
    };

    Pair getPair (double positionInBeats, double stepLength) const;

    double shuffle = 0.0; // fraction of a step

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ShuffledClock)
};
