#pragma once

#include "engine/Kelvanor.h"
#include "engine/MersenneTwister.h"
#include "engine/RandomizerNoteSet.h"

#include <ctime>
#include <deque>

/** What the randomizer keeps between draws. Message thread, but for the note sets (see RandomizerNoteSet). */
struct Kelvanor::RandomizerData
{
    /** Seeded from the clock once: the first "Next" after loading is unpredictable, every later pattern can
        be drawn again from its seed. */
    MersenneTwister generator{(juce::uint32) std::time (nullptr)};

    std::deque<juce::uint32> seedHistory; // seeds of the patterns before the current one, oldest first
    juce::uint32 currentSeed = 0;         // 0 = nothing drawn yet
    std::deque<Pattern> backups;          // the pattern on entry, which UNDO keeps, then every accepted draw

    RandomizerNoteSet allowedNotes;
    RandomizerNoteSet customNotes; // the user's own set while a chord replaces it
};
