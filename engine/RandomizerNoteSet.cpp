#include "engine/RandomizerNoteSet.h"

#include "engine/KelvanorChordTable.h"

#include <algorithm>

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;
}

RandomizerNoteSet::RandomizerNoteSet()
{
    for (auto& flag : flags)
        flag.store (true, relaxed);
}

bool RandomizerNoteSet::isAllowed (int midiNote) const noexcept
{
    if (midiNote < lowestNote || midiNote > highestNote)
        return false;

    return flags[(size_t) (midiNote - lowestNote)].load (relaxed);
}

void RandomizerNoteSet::setAllowed (int midiNote, bool allowed) noexcept
{
    if (midiNote >= lowestNote && midiNote <= highestNote)
        flags[(size_t) (midiNote - lowestNote)].store (allowed, relaxed);
}

void RandomizerNoteSet::toggle (int midiNote) noexcept
{
    setAllowed (midiNote, !isAllowed (midiNote));
}

void RandomizerNoteSet::setRange (int firstNote, int lastNote, bool allowed) noexcept
{
    for (int note = std::max (firstNote, lowestNote); note <= std::min (lastNote, highestNote); ++note)
        setAllowed (note, allowed);
}

void RandomizerNoteSet::copyFrom (const RandomizerNoteSet& other) noexcept
{
    for (size_t i = 0; i < flags.size(); ++i)
        flags[i].store (other.flags[i].load (relaxed), relaxed);
}

void RandomizerNoteSet::setChord (int chord) noexcept
{
    setRange (lowestNote, highestNote, false);

    for (int i = 0; i < KelvanorChordTable::getNumIntervals (chord); ++i)
        for (int octaveStart = lowestNote; octaveStart < highestNote; octaveStart += 12)
            setAllowed (octaveStart + KelvanorChordTable::getInterval (chord, i), true);

    setAllowed (highestNote, true);
}

void RandomizerNoteSet::rotate (int direction) noexcept
{
    if (direction == 0)
        return;

    std::array<bool, numNotes> previous{};
    for (size_t i = 0; i < flags.size(); ++i)
        previous[i] = flags[i].load (relaxed);

    const size_t shift = direction > 0 ? 1 : numNotes - 1;
    for (size_t i = 0; i < flags.size(); ++i)
        flags[(i + shift) % numNotes].store (previous[i], relaxed);
}
