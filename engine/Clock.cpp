#include "engine/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

// A host may hand any double: only a positive finite value can set a rate or a tempo.
bool isPositiveFinite (double value)
{
    return value > 0.0 && std::isfinite (value);
}
} // namespace

Clock::Clock() = default;

Clock::~Clock()
{
    // A delivery reads the listeners: none may start or still run once they go.
    cancelPendingUpdate();
}

void Clock::handleAsyncUpdate()
{
    if (startedNotice.exchange (0) != 0)
        listeners.call ([] (Listener& l) { l.clockStarted(); });

    if (stateChangedNotice.exchange (0) != 0)
        listeners.call ([this] (Listener& l) { l.clockStateChanged (*this); });
}

bool Clock::isGateOn() const
{
    return getState() == gateOn;
}

bool Clock::isGateOff() const
{
    return getState() == gateOff;
}

bool Clock::isCloserToNextStep() const
{
    const double x = getPosition() * stepsPerBeat; // steps
    const double c = std::ceil (x);
    return x - (c - 1.0) < c - x;
}

bool Clock::tick()
{
    if (!running.load (relaxed))
        return false;

    if (dirty.load (relaxed))
    {
        const auto timing = beginRecomputation();
        const double p = getPosition();
        const double s = timing.stepLength;
        const double nextStart = std::ceil (p / s) * s; // beats
        const double stepStart = nextStart - s;
        const double gateLength = s * gateFraction;
        const int current = getState();

        if (p < 0.0)
        {
            nextState = gateOn;
            countdown = -1;
            state.store (stopped, relaxed);
        }
        else if (p <= stepStart + gateLength)
        {
            switch (current)
            {
                case stopped:
                    nextState = gateOn;
                    countdown = 0;
                    break;
                case gateOn:
                    nextState = gateOff;
                    countdown = samplesTo (stepStart + gateLength, p, timing);
                    break;
                default:
                    // A step up to 0.005 s late still fires at once: hosts deliver their position per block.
                    nextState = gateOn;
                    countdown = p > stepStart + timing.tolerance ? samplesTo (nextStart, p, timing) : 0;
                    break;
            }
        }
        else
        {
            switch (current)
            {
                case stopped:
                    nextState = gateOn;
                    countdown = 0;
                    break;
                case gateOn:
                    // Just before the next step the gate stays on through it: that step has in effect begun.
                    nextState = gateOff;
                    countdown =
                        p > nextStart - timing.tolerance ? samplesTo (nextStart + gateLength, p, timing) : 0;
                    break;
                default:
                    nextState = gateOn;
                    countdown = samplesTo (nextStart, p, timing);
                    break;
            }
        }
    }

    return fireAndAdvance();
}

int Clock::getQuietTicks() const
{
    if (!running.load (relaxed))
        return std::numeric_limits<int>::max();

    // Ticks at a countdown above 0 only count down and advance; the one at 0 acts.
    return dirty.load (relaxed) ? 0 : std::max (countdown, 0);
}

void Clock::advanceQuietly (int ticks)
{
    if (ticks <= 0 || !running.load (relaxed))
        return;

    countdown -= ticks;
    position.store (advancePosition (getPosition(), increment, ticks), relaxed);
}

double Clock::advancePosition (double p, double inc, int ticks)
{
    while (ticks > 0)
    {
        // Within one binade [2^(e-1), 2^e) every double is a multiple of its unit u, so as long as the sums
        // stay inside it, adding inc adds the same multiple of u each time: inc rounded to u, unless inc lies
        // exactly halfway between two multiples, where the tie goes to the even sum and depends on p. Then,
        // and outside the binade, one addition at a time.
        int e = 0;
        std::frexp (p, &e);
        // (The top binade's end, 2^1024, is no double.)
        if (std::isnormal (p) && p > 0.0 && e < 1024 && inc > 0.0 && inc < std::ldexp (1.0, e - 2))
        {
            const double unit = std::ldexp (1.0, e - 53);
            const double units = inc / unit; // exact: a power of two apart, below 2^51
            const double whole = std::floor (units);
            const double fraction = units - whole;

            if (fraction != 0.5)
            {
                const auto step = (std::int64_t) (fraction < 0.5 ? whole : whole + 1.0);
                if (step == 0)
                    return p; // inc vanishes in every sum

                // Sums stay inside while below 2^e: at most (room - 1) / step steps, in exact integers.
                const auto room = (std::int64_t) ((std::ldexp (1.0, e) - p) / unit);
                const auto steps = std::min<std::int64_t> ((room - 1) / step, ticks);
                p += (double) (steps * step) * unit;
                ticks -= (int) steps;
                if (ticks == 0)
                    break;
            }
        }

        // An absurd tempo could overflow the position; it then stays where it is instead of becoming
        // infinite.
        const double advanced = p + inc;
        if (std::isfinite (advanced))
            p = advanced;
        --ticks;
    }

    return p;
}

void Clock::start()
{
    if (running.load (relaxed))
        return;

    // dirty before running: a tick on the audio thread in between must not use the old countdown
    position.store (0.0, relaxed);
    state.store (stopped, relaxed);
    dirty.store (true, relaxed);
    running.store (true, relaxed);
    postNotice (startedNotice);
}

void Clock::stop()
{
    if (!running.load (relaxed))
        return;

    running.store (false, relaxed);
    state.store (stopped, relaxed);
    position.store (0.0, relaxed);
    dirty.store (true, relaxed);
    postNotice (startedNotice);
}

void Clock::rewind()
{
    position.store (0.0, relaxed);
    state.store (stopped, relaxed);
    dirty.store (true, relaxed);
}

void Clock::setPosition (double newPositionInBeats)
{
    if (!std::isfinite (newPositionInBeats) || newPositionInBeats == getPosition())
        return;

    position.store (newPositionInBeats, relaxed);
    dirty.store (true, relaxed);
}

void Clock::setSampleRate (double newSampleRate)
{
    if (!isPositiveFinite (newSampleRate) || newSampleRate == sampleRate)
        return;

    sampleRate = newSampleRate;
    dirty.store (true, relaxed);
}

void Clock::setTempo (double newBeatsPerMinute)
{
    if (!isPositiveFinite (newBeatsPerMinute) || newBeatsPerMinute == tempo)
        return;

    tempo = newBeatsPerMinute;
    dirty.store (true, relaxed);
}

void Clock::setStepsPerBeat (double newStepsPerBeat)
{
    if (!isPositiveFinite (newStepsPerBeat) || newStepsPerBeat == stepsPerBeat)
        return;

    stepsPerBeat = newStepsPerBeat;
    dirty.store (true, relaxed);
}

void Clock::setGateFraction (double newGateFraction)
{
    if (std::isnan (newGateFraction))
        return;

    newGateFraction = juce::jlimit (0.0, 1.0, newGateFraction);
    if (newGateFraction == gateFraction)
        return;

    gateFraction = newGateFraction;
    dirty.store (true, relaxed);
}

void Clock::addListener (Listener* listener)
{
    listeners.add (listener);
}

void Clock::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

Clock::Timing Clock::beginRecomputation()
{
    dirty.store (false, relaxed);
    increment = tempo / (sampleRate * 60.0);
    return {sampleRate * 60.0 / tempo, 1.0 / stepsPerBeat, 0.005 * tempo / 60.0};
}

int Clock::samplesTo (double target, double from, const Timing& timing) const
{
    constexpr int longest = std::numeric_limits<int>::max();
    const double samples = std::ceil ((target - from) * timing.samplesPerBeat);

    if (!(samples < (double) longest)) // also NaN, from an infinite distance or rate
        return longest;

    return samples > 0.0 ? (int) samples : 0;
}

bool Clock::fireAndAdvance()
{
    bool transition = false;

    if (countdown == 0)
    {
        const int current = getState();
        if (current == stopped || current != nextState)
        {
            state.store (nextState, relaxed);
            postNotice (stateChangedNotice);
            transition = true;
        }
    }

    --countdown;

    // An absurd tempo could overflow the position; it then stays where it is instead of becoming infinite.
    const double advanced = getPosition() + increment;
    if (std::isfinite (advanced))
        position.store (advanced, relaxed);

    if (countdown < 0)
        dirty.store (true, relaxed);

    return transition;
}

void Clock::postNotice (std::atomic<int>& notice)
{
    // Flag first: a delivery already under way then either takes it or a new one is triggered.
    notice.store (1);
    triggerAsyncUpdate();
}
