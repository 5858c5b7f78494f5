#pragma once

#include "KelvanorMath.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

/** tanh (v / 65000), the ladder filter's stage nonlinearity, computed without exp or division: the ladder
    evaluates it ten times per sample, eight of them in one dependent chain, so its latency bounds the
    voice's speed.

    Each step of 1024 in v holds the 7th-order Taylor polynomial of tanh about its centre, accurate to
    within 2.5e-16 of tanh up to a whole step either side of the centre: closer than
    1 - 2 / (exp (2 v / 65000) + 1) evaluated in double precision.

    The ladder keeps its stages in steps (v / 1024, an exact scaling) and rounds them to a whole step in a
    multiply-add of its own (see rowShift and saturateNear), so that the table row is known as soon as,
    or sooner than, the stage's new value.
*/
class KelvanorSaturator
{
public:
    static constexpr double step = 1024.0;     // in v; 1 / 63.5 in v / 65000
    static constexpr int stepsEachSide = 1270; // tanh rounds to +-1 beyond 19.1 = 1213 steps
    static constexpr int order = 7;

    /** Adding this to a value in steps rounds it to a whole step whose row number, 0 at the lowest row,
        then fills the low 32 bits of the sum: 1.5 x 2^52 rounds to whole numbers, the rest is the row of
        step 0.
    */
    static constexpr double rowShift = 6755399441055744.0 + stepsEachSide;

    template <class Arithmetic = KelvanorPlainArithmetic>
    static double saturate (double v)
    {
        return saturateSteps<Arithmetic> (v * (1.0 / step));
    }

    /** tanh of x steps, any x: large values and NaN are limited to the table's ends. */
    template <class Arithmetic = KelvanorPlainArithmetic>
    static double saturateSteps (double x)
    {
        if (!(std::abs (x) <= maxSteps))
            x = x < 0.0 ? -maxSteps : maxSteps;

        const double rounded = x + rowShift;
        return polynomial<Arithmetic> (row (rounded), x - (rounded - rowShift)).value;
    }

    /** tanh of x steps, any x, to the 5th order about the nearest row: within 2e-14 of tanh, for values
        that need no more, two multiply-adds sooner than saturateSteps. */
    template <class Arithmetic = KelvanorPlainArithmetic>
    static double saturateStepsShort (double x)
    {
        if (!(std::abs (x) <= maxSteps))
            x = x < 0.0 ? -maxSteps : maxSteps;

        const double rounded = x + rowShift;
        return shortPolynomial<Arithmetic> (row (rounded), x - (rounded - rowShift)).value;
    }

    /** tanh, and an estimate of it within 1e-4 that is known sooner: the polynomial's first-order part. */
    struct Saturated
    {
        double value = 0.0, estimate = 0.0;
    };

    /** tanh of x steps, where rounded is a sum that lies within about one step of x + rowShift (such as the
        multiply-add that gave x with the shift added to its addend, or with an estimate of its factor) and
        h = x - (rounded - rowShift), which the caller may compute in whatever way is quickest. Values
        beyond the table take the slow path above.
    */
    template <class Arithmetic = KelvanorPlainArithmetic>
    [[gnu::always_inline]] static Saturated saturateNear (double x, double rounded, double h)
    {
        const auto r = row (rounded);
        if (r >= (std::uint32_t) rows) [[unlikely]]
        {
            const double value = saturateSteps<Arithmetic> (x);
            return {value, value};
        }

        return shortPolynomial<Arithmetic> (r, h);
    }

private:
    static constexpr int rows = 2 * stepsEachSide + 1;
    static constexpr double maxSteps = stepsEachSide - 1;

    static std::uint32_t row (double rounded)
    {
        return (std::uint32_t) std::bit_cast<std::uint64_t> (rounded);
    }

    /** h: steps from the row's centre, -1..1 (a little more is as accurate). */
    template <class Arithmetic>
    [[gnu::always_inline]] static Saturated polynomial (std::uint32_t r, double h)
    {
        constexpr Arithmetic madd{};

        // One array per power of h, so that each load is a plain indexed address.
        const auto& c = table.coefficients;
        const double h2 = h * h;
        const double h4 = h2 * h2;
        const double linear = madd (c[1][r], h, c[0][r]);
        const double low = madd (h2, madd (c[3][r], h, c[2][r]), linear);
        const double high = madd (h2, madd (c[7][r], h, c[6][r]), madd (c[5][r], h, c[4][r]));
        return {madd (h4, high, low), linear};
    }

    /** The same to the 5th order, within 2e-14 of tanh for h within -0.51..0.51: two multiply-adds fewer
        for the ladder's stages, where the rounding to a row always keeps h there. */
    template <class Arithmetic>
    [[gnu::always_inline]] static Saturated shortPolynomial (std::uint32_t r, double h)
    {
        constexpr Arithmetic madd{};

        // In h squared from the top: as soon done as with h to the 4th, and one multiplication fewer.
        const auto& c = table.coefficients;
        const double h2 = h * h;
        const double linear = madd (c[1][r], h, c[0][r]);
        const double high = madd (h2, madd (c[5][r], h, c[4][r]), madd (c[3][r], h, c[2][r]));
        return {madd (h2, high, linear), linear};
    }

    struct Table
    {
        Table();
        alignas (64) std::array<std::array<double, rows>, order + 1> coefficients;
    };

    static const Table table;
};
