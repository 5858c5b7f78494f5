#pragma once

#include "KelvanorMath.h"

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
        segment: the right end's index, used as the starting point of the search and updated, so that a
        slowly moving fr costs one or two comparisons. Any value is accepted.
    */
    template <class Arithmetic = KelvanorPlainArithmetic>
    double lookup (double fr, int& segment) const
    {
        int i = segment < 1 ? 1 : (segment > size - 1 ? size - 1 : segment);
        while (i > 1 && x[(std::size_t) i - 1] >= fr)
            --i;
        while (i < size - 1 && x[(std::size_t) i] < fr)
            ++i;
        segment = i;

        const auto right = (std::size_t) i;
        return Arithmetic{}(slope[right], fr - x[right - 1], y[right - 1]);
    }

    std::array<double, maxPoints> x;     // grid of fr, ascending
    std::array<double, maxPoints> y;     // gain before scaling by the resonance amount
    std::array<double, maxPoints> slope; // of the segment ending at each point (index 0 unused)
    int size;                            // points in use
};
