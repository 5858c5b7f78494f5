#include "engine/KelvanorMidiQueue.h"

#include <limits>

KelvanorMidiQueue::KelvanorMidiQueue()
    : iterator (buffers[0].cbegin())
{
    prepare();
}

void KelvanorMidiQueue::prepare (int capacityBytes)
{
    for (auto& buffer : buffers)
        buffer.ensureSize ((size_t) juce::jmax (0, capacityBytes));

    clear();
}

void KelvanorMidiQueue::clear()
{
    buffers[0].clear();
    buffers[1].clear();
    current = &buffers[0];
    next = &buffers[1];
    restartDelivery();
}

void KelvanorMidiQueue::restartDelivery()
{
    // Only non-negative positions are ever stored, so the first event is the first one due.
    iterator = current->cbegin();
    eventsRemain = iterator != current->cend();
}

void KelvanorMidiQueue::merge (const juce::MidiBuffer& incoming)
{
    for (const auto event : incoming)
        if (event.samplePosition >= 0)
            current->addEvent (event.data, event.numBytes, event.samplePosition);

    restartDelivery();
}

bool KelvanorMidiQueue::nextEventAt (int samplePosition, juce::MidiMessageMetadata& event)
{
    if (!eventsRemain)
        return false;

    if (iterator == current->cend())
    {
        eventsRemain = false;
        return false;
    }

    const auto candidate = *iterator;
    if (candidate.samplePosition != samplePosition)
        return false;

    event = candidate;
    ++iterator;
    return true;
}

int KelvanorMidiQueue::getNextEventPosition() const
{
    if (!eventsRemain || iterator == current->cend())
        return std::numeric_limits<int>::max();

    return (*iterator).samplePosition;
}

void KelvanorMidiQueue::roll (int blockLength)
{
    next->clear();

    for (const auto event : *current)
        if (event.samplePosition >= blockLength)
            next->addEvent (event.data, event.numBytes, event.samplePosition - blockLength);

    std::swap (current, next);
    restartDelivery();
}
