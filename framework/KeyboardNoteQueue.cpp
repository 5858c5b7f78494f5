#include "framework/KeyboardNoteQueue.h"

KeyboardNoteQueue::KeyboardNoteQueue (juce::MidiKeyboardState& keyboardState)
    : state (keyboardState)
{
    state.addListener (this);
}

KeyboardNoteQueue::~KeyboardNoteQueue()
{
    state.removeListener (this);
}

void KeyboardNoteQueue::handleNoteOn (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber,
                                      float velocity)
{
    push (juce::MidiMessage::noteOn (midiChannel, midiNoteNumber, juce::jlimit (0.0f, 1.0f, velocity)));
}

void KeyboardNoteQueue::handleNoteOff (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float)
{
    // The note-off the state itself would have injected: velocity 0.
    push (juce::MidiMessage::noteOff (midiChannel, midiNoteNumber));
}

void KeyboardNoteQueue::push (const juce::MidiMessage& message)
{
    const auto write = fifo.write (1);
    if (write.blockSize1 < 1)
        return;

    auto& slot = ring[(size_t) write.startIndex1];
    std::copy_n (message.getRawData(), slot.size(), slot.begin());
}

void KeyboardNoteQueue::takeNotes (juce::MidiBuffer& destination, int samplePosition)
{
    const auto read = fifo.read (fifo.getNumReady());
    read.forEach ([&] (int index) { destination.addEvent (ring[(size_t) index].data(), 3, samplePosition); });
}

void KeyboardNoteQueue::discardNotes()
{
    fifo.read (fifo.getNumReady());
}
