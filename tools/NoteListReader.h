#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

/** Reads a note list: a plain text score, one note or program change per line.

        # comment (a '#' at the start of a line or after a space or tab starts a comment)
        START  NOTE  VELOCITY  LENGTH  [CHANNEL]
        START  program  NUMBER  [CHANNEL]

    START and LENGTH are seconds, or quarter notes when written with a 'b' suffix ("1.5b"), counted
    at the tempo given to the reader. START counts from the start of the render. NOTE is a MIDI note
    number 0..127 or a name such as C4, F#2 or Bb1 (C4 = 60, middle C). VELOCITY is 1..127, LENGTH
    more than 0, CHANNEL 1..16 (1 when left out). A program line sends a MIDI program change, NUMBER
    0..127, ahead of the list's notes that start at the same time. Fields are separated by spaces or tabs.
*/
class NoteListReader
{
public:
    /** Adds a note-on and a note-off per note, and each program change, to sequence, timestamps in
        seconds. On failure the
        result names the first bad line and sequence is left as it was. */
    static juce::Result parse (const juce::String& text, double tempo, juce::MidiMessageSequence& sequence);

    /** The largest note list read, in bytes. */
    static constexpr size_t maxBytes = 4 * 1024 * 1024;

    /** Parses the file: a regular file of at most maxBytes of UTF-8 text (see HostFileReader). */
    static juce::Result read (const juce::File& file, double tempo, juce::MidiMessageSequence& sequence);

    /** A note name (C4 = 60) or number; -1 when the text is neither or lies outside 0..127. */
    static int parseNote (const juce::String& text);
};
