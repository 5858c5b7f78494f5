#include "engine/ShuffledClock.h"

#include <cmath>

ShuffledClock::ShuffledClock() = default;

ShuffledClock::~ShuffledClock() = default;

bool ShuffledClock::isGateOn() const
{
    const int current = getState();
    return current == firstGateOn || current == secondGateOn;
}

bool ShuffledClock::isGateOff() const
{
    const int current = getState();
    return current == firstGateOff || current == secondGateOff;
}

bool ShuffledClock::isCloserToNextStep() const
{
    const double p = getPosition();
    const auto pair = getPair (p, 1.0 / stepsPerBeat);

    if (p > pair.secondStart)
        return p - pair.secondStart < pair.nextStart - p;

    return p - pair.start < pair.secondStart - p;
}

bool ShuffledClock::tick()
{
    if (!running.load (std::memory_order_relaxed))
        return false;

    if (dirty.load (std::memory_order_relaxed))
    {
        const auto timing = beginRecomputation();
        const double p = getPosition();
        const auto pair = getPair (p, timing.stepLength);
        const double nextPairStart = pair.nextStart;
        const double pairStart = pair.start;
        const double secondStart = pair.secondStart;
        const double firstGateEnd = pairStart + (secondStart - pairStart) * gateFraction;
        const double secondGateEnd = secondStart + (nextPairStart - secondStart) * gateFraction;
        const bool pastPairStart = p > pairStart + timing.tolerance;
        const int current = getState();

        // In the first step with the second step's state: the position went back, or the pair was entered
        // without a step start. Up to 0.005 s late the missing transitions fire at once.
        const auto secondStateInFirstStep = [&]
        {
            if (current == secondGateOn)
            {
                nextState = secondGateOff;
                countdown = pastPairStart ? samplesTo (secondGateEnd, p, timing) : 0;
            }
            else
            {
                nextState = firstGateOn;
                countdown = pastPairStart ? samplesTo (nextPairStart, p, timing) : 0;
            }
        };

        if (p < 0.0 && current == stopped)
        {
            nextState = firstGateOn;
            countdown = -1;
        }
        else if (p > secondStart && p > secondGateEnd)
        {
            switch (current)
            {
                case stopped:
                    nextState = firstGateOn;
                    countdown = 0;
                    break;
                case firstGateOff:
                    nextState = secondGateOn;
                    countdown = 0;
                    break;
                case secondGateOn:
                    nextState = secondGateOff;
                    countdown = 0;
                    break;
                case firstGateOn:
                    // Just before the next pair the gate stays on through its first step.
                    nextState = firstGateOff;
                    countdown = p > nextPairStart - timing.tolerance
                                    ? samplesTo (nextPairStart + (firstGateEnd - pairStart), p, timing)
                                    : 0;
                    break;
                default:
                    nextState = firstGateOn;
                    countdown = samplesTo (nextPairStart, p, timing);
                    break;
            }
        }
        else if (p > secondStart)
        {
            switch (current)
            {
                case stopped:
                    nextState = firstGateOn;
                    countdown = 0;
                    break;
                case firstGateOn:
                    nextState = firstGateOff;
                    countdown = 0;
                    break;
                case firstGateOff:
                    nextState = secondGateOn;
                    countdown = 0;
                    break;
                case secondGateOn:
                    nextState = secondGateOff;
                    countdown = samplesTo (secondGateEnd, p, timing);
                    break;
                default:
                    nextState = firstGateOn;
                    countdown = samplesTo (nextPairStart, p, timing);
                    break;
            }
        }
        else if (p > firstGateEnd)
        {
            switch (current)
            {
                case stopped:
                    nextState = firstGateOn;
                    countdown = 0;
                    break;
                case firstGateOn:
                    nextState = firstGateOff;
                    countdown = 0;
                    break;
                case firstGateOff:
                    nextState = secondGateOn;
                    countdown = samplesTo (secondStart, p, timing);
                    break;
                default: secondStateInFirstStep(); break;
            }
        }
        else
        {
            switch (current)
            {
                case stopped:
                    nextState = firstGateOn;
                    countdown = 0;
                    break;
                case firstGateOn:
                    nextState = firstGateOff;
                    countdown = samplesTo (firstGateEnd, p, timing);
                    break;
                case firstGateOff:
                    nextState = secondGateOn;
                    countdown = samplesTo (secondStart, p, timing);
                    break;
                default: secondStateInFirstStep(); break;
            }
        }
    }

    return fireAndAdvance();
}

void ShuffledClock::setShuffle (double newShuffle)
{
    if (std::isnan (newShuffle))
        return;

    newShuffle = juce::jlimit (0.0, 1.0, newShuffle);
    if (newShuffle == shuffle)
        return;

    shuffle = newShuffle;
    dirty.store (true, std::memory_order_relaxed);
}

ShuffledClock::Pair ShuffledClock::getPair (double positionInBeats, double stepLength) const
{
    const double pairLength = 2.0 * stepLength;
    const double nextStart = std::ceil (positionInBeats / pairLength) * pairLength;
    return {nextStart, nextStart - pairLength, nextStart - stepLength + shuffle * stepLength};
}
