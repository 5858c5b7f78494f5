#pragma once

#include <array>
#include <juce_audio_basics/juce_audio_basics.h>

/** The notes played on a juce::MidiKeyboardState (the on-screen keyboard's), on their way to the audio
    thread.

    JUCE's own way, MidiKeyboardState::processNextMidiBuffer, is not for an audio thread: it takes the
    state's lock, which the message thread holds while it plays a note, and it grows a MidiBuffer. Instead
    this listens to the state: the state calls its listeners for every note it switches, under its own
    lock, so the notes arrive here one at a time whatever thread plays them, and each goes into a fixed
    ring without a lock. The audio thread takes them out at the start of its next block.

    Threads: the notes come in on whatever thread plays the state (the message thread); takeNotes and
    discardNotes run on one thread at a time (the audio thread, or the thread that prepares playback while
    no block runs). The state outlives this. */
class KeyboardNoteQueue : private juce::MidiKeyboardState::Listener
{
public:
    /** The ring's slots: up to this many notes minus one wait for a block; a note played while they are
        all taken is dropped. */
    static constexpr int ringSize = 256;

    explicit KeyboardNoteQueue (juce::MidiKeyboardState& state);
    ~KeyboardNoteQueue() override;

    /** Adds the waiting notes to the buffer at that sample, in the order they were played: a note-on with
        the key's velocity, a note-off with velocity 0, each on the channel the key was played on. Never
        locks; allocates only when the buffer has no room left for them (see juce::MidiBuffer::ensureSize:
        12 bytes a note). */
    void takeNotes (juce::MidiBuffer& destination, int samplePosition);

    /** Forgets the waiting notes, so that a block after a pause does not play what was clicked during it. */
    void discardNotes();

private:
    void handleNoteOn (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber,
                       float velocity) override;
    void handleNoteOff (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber,
                        float velocity) override;
    void push (const juce::MidiMessage& message);

    juce::MidiKeyboardState& state;
    juce::AbstractFifo fifo{ringSize};
    std::array<std::array<juce::uint8, 3>, (size_t) ringSize> ring{}; // status, note, velocity

    JUCE_DECLARE_NON_COPYABLE (KeyboardNoteQueue)
};
