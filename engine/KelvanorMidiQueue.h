#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** The processor's MIDI input queue: the events of one block in sample order, with those that lie at or
    beyond the block's end carried into the next block at their position minus the block length.

    Threads: the audio thread only; prepare() runs while no block does. Both buffers are sized up front so
    that a block with hundreds of events allocates nothing. */
class KelvanorMidiQueue
{
public:
    /** Bytes each buffer holds before it would have to grow (about 3000 short events). */
    static constexpr int defaultCapacityBytes = 32768;

    KelvanorMidiQueue();

    /** Reserves room and empties the queue. */
    void prepare (int capacityBytes = defaultCapacityBytes);

    /** Forgets every queued event. */
    void clear();

    /** Adds the block's incoming events (negative positions skipped) to those carried over, keeping the
        order by position; carried events stay before new ones at the same position. Delivery restarts at
        the first event. */
    void merge (const juce::MidiBuffer& incoming);

    /** The next event due at this sample, if any; call until it answers false, for ascending samples. */
    bool nextEventAt (int samplePosition, juce::MidiMessageMetadata& event);

    /** The sample position of the next event not yet delivered; INT_MAX when there is none. */
    int getNextEventPosition() const;

    /** End of a block of this many samples: events at or beyond it move to the next block, the others
        (delivered or not) are dropped. */
    void roll (int blockLength);

    /** Events now queued, delivered ones included until the next roll. */
    int getNumEvents() const noexcept { return current->getNumEvents(); }

private:
    void restartDelivery();

    juce::MidiBuffer buffers[2];
    juce::MidiBuffer* current = &buffers[0];
    juce::MidiBuffer* next = &buffers[1];
    juce::MidiBufferIterator iterator;
    bool eventsRemain = false;
};
