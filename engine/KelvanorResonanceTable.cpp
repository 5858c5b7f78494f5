#include "KelvanorResonanceTable.h"

#include <algorithm>
#include <initializer_list>

namespace
{
// The grid shared by every rate up to 0.999; the rates differ only in the points beyond it.
constexpr KelvanorResonanceTable makeTable (std::initializer_list<double> tail,
                                            std::initializer_list<double> values, int commonPoints)
{
    constexpr double common[] = {0,    0.005, 0.01, 0.02,  0.03, 0.04,  0.05, 0.06, 0.07, 0.08,
                                 0.09, 0.1,   0.11, 0.125, 0.14, 0.15,  0.16, 0.18, 0.2,  0.225,
                                 0.25, 0.275, 0.3,  0.4,   0.5,  0.625, 0.75, 0.85, 0.9,  0.999};
    KelvanorResonanceTable table{};
    int n = 0;
    for (int i = 0; i < commonPoints; ++i)
        table.x[(std::size_t) n++] = common[i];
    for (const double v : tail)
        table.x[(std::size_t) n++] = v;
    int m = 0;
    for (const double v : values)
        table.y[(std::size_t) m++] = v;

    for (int i = 1; i < n; ++i)
        table.slope[(std::size_t) i] = (table.y[(std::size_t) i] - table.y[(std::size_t) i - 1]) /
                                       (table.x[(std::size_t) i] - table.x[(std::size_t) i - 1]);

    // A value list that does not match the grid marks the table malformed for the check below.
    table.size = m == n ? n : -1;
    return table;
}

constexpr KelvanorResonanceTable tables[] = {
    // 44100 Hz
    makeTable ({1.0}, {0,     0.05,  0.19,  0.29,  0.32,  0.37,  0.395, 0.41, 0.437, 0.45, 0.46,
                       0.47,  0.48,  0.49,  0.5,   0.505, 0.512, 0.52,  0.53, 0.54,  0.55, 0.557,
                       0.565, 0.592, 0.604, 0.582, 0.51,  0.412, 0.357, 0.25, 0.25},
               30),
    // 48000 Hz: the grid stops at 0.9, then 1.0 and 1.1
    makeTable ({1.0, 1.1}, {0,     0.05,  0.19, 0.25, 0.29,  0.32, 0.37, 0.39, 0.41, 0.425, 0.44,
                            0.46,  0.47,  0.48, 0.49, 0.495, 0.5,  0.51, 0.52, 0.53, 0.54,  0.55,
                            0.557, 0.585, 0.6,  0.59, 0.55,  0.48, 0.43, 0.34, 0.23},
               29),
    // 88200 Hz
    makeTable ({1.0, 1.5, 2.0}, {0,     0.05,  0.12,  0.2,   0.3,   0.35,  0.38,  0.405, 0.42,  0.435, 0.444,
                                 0.45,  0.46,  0.47,  0.477, 0.482, 0.486, 0.494, 0.5,   0.505, 0.512, 0.518,
                                 0.524, 0.543, 0.558, 0.575, 0.592, 0.59,  0.59,  0.59,  0.59,  0.51,  0.25},
               30),
    // 96000 Hz
    makeTable ({1.0, 1.5, 2.2}, {0,     0.05,  0.12,  0.19, 0.3,   0.33, 0.376, 0.4,   0.415, 0.43,  0.44,
                                 0.45,  0.455, 0.455, 0.47, 0.475, 0.48, 0.485, 0.49,  0.499, 0.507, 0.512,
                                 0.519, 0.535, 0.55,  0.57, 0.584, 0.59, 0.595, 0.595, 0.595, 0.51,  0.23},
               30),
    // 192000 Hz
    makeTable ({1.0, 2.1, 4.3}, {0,     0.05,  0.12,  0.19,  0.3,   0.34,  0.38,  0.405, 0.42, 0.435, 0.445,
                                 0.45,  0.46,  0.46,  0.47,  0.475, 0.479, 0.483, 0.488, 0.49, 0.495, 0.5,
                                 0.502, 0.513, 0.522, 0.531, 0.535, 0.545, 0.54,  0.54,  0.54, 0.6,   0.23},
               30),
};

constexpr bool wellFormed (const KelvanorResonanceTable& t, int expectedPoints)
{
    if (t.size != expectedPoints)
        return false;
    for (int i = 1; i < t.size; ++i)
        if (!(t.x[(std::size_t) i - 1] < t.x[(std::size_t) i]))
            return false;
    return true;
}

static_assert (wellFormed (tables[0], 31) && wellFormed (tables[1], 31) && wellFormed (tables[2], 33) &&
               wellFormed (tables[3], 33) && wellFormed (tables[4], 33));
} // namespace

const KelvanorResonanceTable& KelvanorResonanceTable::forRateIndex (int rateIndex)
{
    return tables[std::clamp (rateIndex, 0, 4)];
}
