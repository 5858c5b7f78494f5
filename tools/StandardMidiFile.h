#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

/** Reads a standard MIDI file (type 0 or 1) into one sequence for playing into a plug-in. */
class StandardMidiFile
{
public:
    /** Adds every channel message and system-exclusive message of every track to sequence, timed in
        seconds by the file's own tempo map. Meta events (tempo, text, end of track) are left out. */
    /** The largest file read, in bytes. */
    static constexpr size_t maxBytes = 16 * 1024 * 1024;

    /** Reads a regular file of at most maxBytes (see HostFileReader). */
    static juce::Result read (const juce::File& file, juce::MidiMessageSequence& sequence);
};
