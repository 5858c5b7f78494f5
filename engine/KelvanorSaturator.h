#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

/** tanh (v / 65000), the ladder filter's stage nonlinearity, computed without exp or division: the ladder
    evaluates it ten times per sample, eight of them in one dependent chain, so its latency bounds the
    voice's speed.

    Each step of 1024 in |v| holds the 7th-order Taylor polynomial of tanh about its centre, whose eight
    coefficients fill one 64-byte cache line. The result is within 2.5e-16 of tanh, closer than
    1 - 2 / (exp (2 v / 65000) + 1) evaluated in double precision.
*/
class KelvanorSaturator
{
public:
    static constexpr double step = 1024.0;                             // in v; 1 / 63.5 in v / 65000
    static constexpr int numSteps = (int) (20.0 * 65000.0 / step) + 1; // tanh rounds to 1 beyond 19.1
    static constexpr int order = 7;

    static double saturate (double v)
    {
        // Limited so that large and NaN inputs stay inside the table.
        const double a = std::abs (v);
        const double magnitudeIn = a < maxInput ? a : maxInput;

        // Adding 1.5 x 2^62 rounds to a multiple of 1024, whose count then sits in the low mantissa bits.
        const double shifted = magnitudeIn + roundingShift;
        const auto index = (std::size_t) (std::bit_cast<std::uint64_t> (shifted) & 0xffffu);
        const double h = (magnitudeIn - (shifted - roundingShift)) * (1.0 / step); // -0.5 .. 0.5

        const auto& c = table.coefficients[index];
        const double h2 = h * h;
        const double h4 = h2 * h2;
        const double low = (c[0] + c[1] * h) + h2 * (c[2] + c[3] * h);
        const double high = (c[4] + c[5] * h) + h2 * (c[6] + c[7] * h);
        const double magnitude = low + h4 * high;

        return std::copysign (magnitude, v);
    }

private:
    static constexpr double maxInput = (numSteps - 1) * step;
    static constexpr double roundingShift = 6755399441055744.0 * step; // 1.5 x 2^52 steps

    struct alignas (64) Table
    {
        Table();
        std::array<std::array<double, order + 1>, numSteps> coefficients;
    };

    static const Table table;
};
