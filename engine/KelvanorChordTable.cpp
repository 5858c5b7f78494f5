#include "engine/KelvanorChordTable.h"

#include <array>
#include <cstddef>

namespace
{
struct Chord
{
    int numIntervals;
    std::array<int, 4> intervals; // semitones above the root, in playing order
};

// Custom, Major, Minor, 7th, m7th, M7, m7_5, Dim.
constexpr std::array<Chord, KelvanorChordTable::numChords> chords{{
    {0, {0, 0, 0, 0}},
    {3, {0, 7, 4, 0}},
    {3, {0, 7, 3, 0}},
    {4, {0, 7, 4, 10}},
    {4, {0, 7, 3, 10}},
    {4, {0, 7, 4, 11}},
    {4, {0, 6, 3, 10}},
    {3, {0, 6, 3, 0}},
}};
} // namespace

int KelvanorChordTable::getNumIntervals (int chord) noexcept
{
    return chord >= 0 && chord < numChords ? chords[(std::size_t) chord].numIntervals : 0;
}

int KelvanorChordTable::getInterval (int chord, int index) noexcept
{
    if (index < 0 || index >= getNumIntervals (chord))
        return 0;

    return chords[(std::size_t) chord].intervals[(size_t) index];
}
