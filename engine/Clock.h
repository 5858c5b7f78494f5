#pragma once

#include "framework/ListenerArray.h"
#include "framework/RealtimeNotifier.h"

#include <atomic>
#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

/** Turns tempo and sample rate into a per-sample sequence of step events: a step starts (gate on) and, a gate
    fraction of the step later, the gate ends (gate off).

    Threads: the owner calls tick(), the setters, start() and stop() on the audio thread; start() and stop()
    may also come from the message thread through the processor's actions, so the fields both sides touch
    are relaxed atomics. Listeners are added and removed on the message thread and called there through the
    asynchronous update. tick() allocates nothing. A notice sets its flag and triggers the asynchronous
    update, which on the audio thread only raises a flag that the message thread's notifier timer takes:
    the audio thread never reaches the message queue. */
class Clock : public RealtimeNotifier
{
public:
    /** Called on the message thread, through the clock's asynchronous update. */
    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** The clock was started or stopped. */
        virtual void clockStarted() {}

        /** A step started or a gate ended; one call stands for every transition since the last one. */
        virtual void clockStateChanged (Clock&) {}
    };

    /** Transition states; a ShuffledClock adds the second step of each pair. */
    enum State
    {
        stopped = -1,
        gateOn = 0,
        gateOff = 1
    };

    Clock();
    ~Clock() override;

    void handleAsyncUpdate() override;

    virtual bool isGateOn() const;
    virtual bool isGateOff() const;

    /** True while the position lies in the first half of the current step (false exactly on a boundary). */
    virtual bool isCloserToNextStep() const;

    /** Advances one sample; true when a transition happened at this sample. Audio thread. */
    virtual bool tick();

    /** How many of the following ticks will certainly do nothing but advance the position: no transition,
        no recomputation. Unlimited (INT_MAX) while the clock is stopped, when ticks do nothing at all. Only
        the setters, start, stop and rewind change the answer. Audio thread. */
    int getQuietTicks() const;

    /** Exactly what that many quiet ticks (at most getQuietTicks()) do, at once. Audio thread. */
    void advanceQuietly (int ticks);

    /** The position after this many ticks of adding increment, each rounded as a single addition is, and
        each kept only while finite: the same value as the additions one by one, without making them. */
    static double advancePosition (double position, double increment, int ticks);

    /** From position 0 in the stopped state, so the first tick fires gate on. Does nothing while running. */
    void start();

    /** The owner's stop: back to position 0, stopped, listeners told. Does nothing while not running. */
    void stop();

    /** Back to position 0 in the stopped state without stopping, so the next tick starts a step at once. */
    void rewind();

    // Each setter stores only a changed value and then marks the clock for recomputation at the next tick.
    // Values that cannot drive a clock are refused and the previous value stays: a non-finite position, a
    // tempo, sample rate or steps per beat that is not a positive finite number (a host may report tempo 0
    // or sample rate 0), a NaN gate fraction or shuffle.
    void setPosition (double newPositionInBeats);
    void setSampleRate (double newSampleRate);
    void setTempo (double newBeatsPerMinute);
    void setStepsPerBeat (double newStepsPerBeat);

    /** Limited to 0..1 of a step. */
    void setGateFraction (double newGateFraction);

    double getPosition() const { return position.load (std::memory_order_relaxed); }
    double getSampleRate() const { return sampleRate; }
    double getTempo() const { return tempo; }
    double getStepsPerBeat() const { return stepsPerBeat; }
    double getGateFraction() const { return gateFraction; }
    int getState() const { return state.load (std::memory_order_relaxed); }
    bool isRunning() const { return running.load (std::memory_order_relaxed); }

    /** Null and duplicates are ignored. Message thread. */
    void addListener (Listener* listener);

    /** May be called from inside a listener callback. Message thread. */
    void removeListener (Listener* listener);

protected:
    /** What a recomputation needs besides the fields; increment is stored as a field. */
    struct Timing
    {
        double samplesPerBeat; // samples
        double stepLength;     // beats
        double tolerance;      // beats in 0.005 s: a step that starts this late still fires at once
    };

    /** Clears dirty and derives increment and the timing from tempo, sample rate and steps per beat. */
    Timing beginRecomputation();

    /** Samples from one position to another, rounded up; never negative. A count that does not fit (an
        absurd tempo or sample rate) becomes the largest one, so the clock waits instead of firing. */
    int samplesTo (double target, double from, const Timing& timing) const;

    /** The transition at a countdown of 0, then the advance by one sample. */
    bool fireAndAdvance();

    void postNotice (std::atomic<int>& notice);

    std::atomic<double> position{0.0}; // beats (quarter notes) since the start
    double sampleRate = 44100.0;       // Hz
    double tempo = 120.0;              // beats per minute
    double stepsPerBeat = 4.0;         // sixteenth notes
    double gateFraction = 0.5;         // part of a step during which the gate is on

    double increment = 0.0; // beats per sample, derived
    int countdown = 0;      // samples until the next transition, derived
    std::atomic<int> state{gateOn};
    int nextState = gateOn; // derived
    std::atomic<bool> running{false};
    std::atomic<bool> dirty{true};

    std::atomic<int> startedNotice{0};
    std::atomic<int> stateChangedNotice{0};

    ListenerArray<Listener> listeners;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Clock)
};
