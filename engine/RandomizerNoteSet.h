#pragma once

#include <array>
#include <atomic>

/** The MIDI notes 24..72 the randomizer may draw, one flag per note.

    Threads: edited by panel events on the message thread and by the "Randomizer Chord" parameter on
    whatever thread changes it; each flag is a relaxed atomic written whole. Nothing here allocates. */
class RandomizerNoteSet
{
public:
    static constexpr int lowestNote = 24;  // MIDI note of the first flag
    static constexpr int highestNote = 72; // MIDI note of the last flag
    static constexpr int numNotes = highestNote - lowestNote + 1;

    /** Every note allowed. */
    RandomizerNoteSet();

    /** False outside 24..72. */
    bool isAllowed (int midiNote) const noexcept;

    /** Notes outside 24..72 are ignored. */
    void setAllowed (int midiNote, bool allowed) noexcept;
    void toggle (int midiNote) noexcept;

    /** Sets first..last (limited to 24..72). */
    void setRange (int firstNote, int lastNote, bool allowed) noexcept;

    void copyFrom (const RandomizerNoteSet& other) noexcept;

    /** Only the notes of the chord in each octave, as intervals above 24, 36, 48 and 60, plus 72. */
    void setChord (int chord) noexcept;

    /** Moves every flag one semitone up (direction > 0) or down (direction < 0), the note leaving one end
        entering at the other, so the set keeps its size. */
    void rotate (int direction) noexcept;

private:
    std::array<std::atomic<bool>, numNotes> flags;
};
