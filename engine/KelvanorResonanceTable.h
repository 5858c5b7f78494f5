#pragma once

#include <array>
#include <cstddef>

/** The ladder filter's resonance gain as a breakpoint curve of fr, the filter coefficient rescaled to
    44.1 kHz. Each supported sample rate has its own curve because the filter's feedback loop behaves
    differently at each rate. The curves are constants shared by every voice.
*/
struct KelvanorResonanceTable
{
    static constexpr int maxPoints = 33;

    /** The curve of rate index 0..4 (44100, 48000, 88200, 96000, 192000 Hz); other indices are clamped. */
    static const KelvanorResonanceTable& forRateIndex (int rateIndex);

    /** Interpolates inside the segment whose right end is the first grid value not below fr; beyond the
        last grid value the last segment is extended, below the first one the first segment is used.
        Audio thread: no allocation, at most one pass over the grid.
    */
    double lookup (double fr) const
    {
        int i = 1;
        while (i < size - 1 && x[(std::size_t) i] < fr)
            ++i;

        const auto right = (std::size_t) i;
        const auto left = right - 1;
        return y[left] + (y[right] - y[left]) / (x[right] - x[left]) * (fr - x[left]);
    }

    std::array<double, maxPoints> x; // grid of fr, ascending
    std::array<double, maxPoints> y; // gain before scaling by the resonance amount
    int size;                        // points in use
};
