#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

/** tanh (v / 65000), the ladder filter's stage nonlinearity, computed without exp or division: the ladder
    evaluates it ten times per sample, eight of them in one dependent chain, so its latency bounds the
    voice's speed.

    Each step of 1024 in v holds the 7th-order Taylor polynomial of tanh about its centre. The result is
    within 2.5e-16 of tanh, closer than 1 - 2 / (exp (2 v / 65000) + 1) evaluated in double precision.
*/
class KelvanorSaturator
{
public:
    static constexpr double step = 1024.0;     // in v; 1 / 63.5 in v / 65000
    static constexpr int stepsEachSide = 1270; // tanh rounds to +-1 beyond 19.1 = 1213 steps
    static constexpr int order = 7;

    static double saturate (double v)
    {
        // Limited so that large and NaN inputs stay inside the table.
        if (!(std::abs (v) <= maxInput))
            v = v < 0.0 ? -maxInput : maxInput;

        // Adding 1.5 x 2^52 rounds to a whole step, whose number, negative too, then fills the low 32 bits
        // of the sum's mantissa.
        const double inSteps = v * (1.0 / step);
        const double shifted = inSteps + roundingShift;
        const auto row = (std::size_t) (
            (std::int32_t) (std::uint32_t) std::bit_cast<std::uint64_t> (shifted) + stepsEachSide);
        const double h = inSteps - (shifted - roundingShift); // -0.5 .. 0.5

        // One array per power of h, so that each load is a plain indexed address.
        const auto& c = table.coefficients;
        const double h2 = h * h;
        const double h4 = h2 * h2;
        const double low = (c[0][row] + c[1][row] * h) + h2 * (c[2][row] + c[3][row] * h);
        const double high = (c[4][row] + c[5][row] * h) + h2 * (c[6][row] + c[7][row] * h);
        return low + h4 * high;
    }

private:
    static constexpr int rows = 2 * stepsEachSide + 1;
    static constexpr double maxInput = (stepsEachSide - 1) * step;
    static constexpr double roundingShift = 6755399441055744.0; // 1.5 x 2^52

    struct Table
    {
        Table();
        alignas (64) std::array<std::array<double, rows>, order + 1> coefficients;
    };

    static const Table table;
};
