#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

/** Reads a standard MIDI file (type 0 or 1) into one sequence for playing into a plug-in. */
class StandardMidiFile
{
public:
    /** Adds every channel message and system-exclusive message of every track to sequence, timed in
        seconds by the file's own tempo map. Meta events (tempo, text, end of track) are left out. */
    static juce::Result read (const juce::File& file, juce::MidiMessageSequence& sequence);
};
