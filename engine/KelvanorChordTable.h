#pragma once

/** The chords the arpeggiator plays and the randomizer draws from: semitone intervals above a root, in the
    order they are played. Chord 0 ("Custom") has no intervals: the arpeggiator then plays the held notes
    and the randomizer keeps the user's own note set. Read-only data, any thread. */
class KelvanorChordTable
{
public:
    static constexpr int numChords = 8;
    static constexpr int customChord = 0;

    /** 0 for the custom chord and for chords out of range. */
    static int getNumIntervals (int chord) noexcept;

    /** Semitones above the root; 0 for an index out of range. */
    static int getInterval (int chord, int index) noexcept;
};
