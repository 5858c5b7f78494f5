#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

/** a x b + c rounded twice, as written. Used as madd (a, b, c) through an instance, a direct call that is
    always inlined.
*/
struct KelvanorPlainArithmetic
{
    [[gnu::always_inline]] double operator() (double a, double b, double c) const { return a * b + c; }
};

/** a x b + c rounded once. Only for code compiled for processors with FMA: anywhere else std::fma is a
    slow library call.
*/
struct KelvanorFusedArithmetic
{
    [[gnu::always_inline]] double operator() (double a, double b, double c) const
    {
        return std::fma (a, b, c);
    }
};

/** Inline sine and base-2 exponential for the voice's per-sample path, accurate to about one unit in the
    last place: the library's versions are calls with branches the processor cannot look past, and the
    voice needs up to five of them per sample. Arithmetic chooses how the polynomials' multiply-adds round.
*/
struct KelvanorMath
{
    /** sin (x). Arguments beyond 1.6e6, which the oscillator forms only while a glide starts from a period
        below one sample (its phase then runs far past pi for a while), go to the library.
    */
    template <class Arithmetic = KelvanorPlainArithmetic>
    static double sine (double x)
    {
        if (!(std::abs (x) < 1.6e6))
            return std::sin (x);

        constexpr Arithmetic madd{};

        // x = k pi + r with |r| <= pi / 2; pi in three parts whose first two hold 33 bits, so that k times
        // each is exact and r keeps full precision. sin (x) = (-1)^k sin (r).
        const double shifted = madd (x, oneOverPi, roundingShift);
        const double k = shifted - roundingShift;
        const double r = madd (-k, pi3, madd (-k, pi2, madd (-k, pi1, x)));

        // Taylor series to r^21: the omitted terms stay below 1.3e-18.
        const double z = r * r;
        const double z2 = z * z;
        const double z4 = z2 * z2;
        const double tail = madd (z4 * z4, madd (s21, z, s19),
                                  madd (z4, madd (z2, madd (s17, z, s15), madd (s13, z, s11)),
                                        madd (z2, madd (s9, z, s7), madd (s5, z, s3))));
        const double sinR = madd (r * z, tail, r);

        // The lowest bit of the shifted sum is k's parity; moved to the sign bit, it flips odd k.
        const std::uint64_t parity = std::bit_cast<std::uint64_t> (shifted) << 63;
        return std::bit_cast<double> (std::bit_cast<std::uint64_t> (sinR) ^ parity);
    }

    /** 2^y; y is limited to -1000..1000 (NaN gives 2^1000). */
    template <class Arithmetic = KelvanorPlainArithmetic>
    static double exp2 (double y)
    {
        y = y <= 1000.0 ? (y >= -1000.0 ? y : -1000.0) : 1000.0;

        constexpr Arithmetic madd{};

        // y = k / 128 + f: 2^(k / 128) from the exponent and a table, 2^f from its series (|f| <= 1/256).
        const double shifted = y + exp2Shift;
        const double scaledWhole = shifted - exp2Shift;
        const double f = (y - scaledWhole) * ln2;
        const auto k = std::bit_cast<std::uint64_t> (shifted);

        const double f2 = f * f;
        const double series = madd (f2, madd (f2, madd (e5, f, e4), madd (e3, f, e2)), f);

        const auto scale = std::bit_cast<double> (exp2Table.values[k & 127u] +
                                                  ((k >> 7) << 52)); // adds k / 128 to the exponent
        return madd (scale, series, scale);
    }

private:
    static constexpr double roundingShift = 6755399441055744.0; // 1.5 x 2^52
    static constexpr double exp2Shift = roundingShift / 128.0;  // rounds to 1/128
    static constexpr double oneOverPi = 0x1.45f306dc9c883p-2;
    static constexpr double pi1 = 0x1.921fb544p+1;
    static constexpr double pi2 = 0x1.0b4611a6p-33;
    static constexpr double pi3 = 0x1.3198a2e037073p-68;
    static constexpr double ln2 = 0x1.62e42fefa39efp-1;

    static constexpr double s3 = -1.0 / 6.0, s5 = 1.0 / 120.0, s7 = -1.0 / 5040.0, s9 = 1.0 / 362880.0,
                            s11 = -1.0 / 39916800.0, s13 = 1.0 / 6227020800.0, s15 = -1.0 / 1307674368000.0,
                            s17 = 1.0 / 355687428096000.0, s19 = -1.0 / 121645100408832000.0,
                            s21 = 1.0 / 51090942171709440000.0;
    static constexpr double e2 = 1.0 / 2.0, e3 = 1.0 / 6.0, e4 = 1.0 / 24.0, e5 = 1.0 / 120.0;

    struct Exp2Table
    {
        Exp2Table();
        std::array<std::uint64_t, 128> values; // bits of 2^(j / 128)
    };

    static const Exp2Table exp2Table;
};
