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

        // sin (r) = r + r^3 t (r^2), with t a polynomial of the 7th degree fitted over the whole range to
        // within 3.4e-19 of (sin (r) / r - 1) / r^2: two multiply-adds and two multiplications fewer than
        // the Taylor series to r^21, for the same accuracy.
        const double z = r * r;
        const double z2 = z * z;
        const double tail = madd (
            z2, madd (z2, madd (z2, madd (t7, z, t6), madd (t5, z, t4)), madd (t3, z, t2)), madd (t1, z, t0));
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

    static constexpr double t0 = -0x1.5555555555555p-3, t1 = 0x1.1111111111107p-7,
                            t2 = -0x1.a01a01a018aadp-13, t3 = 0x1.71de3a5456716p-19,
                            t4 = -0x1.ae6455a1d7087p-26, t5 = 0x1.6124015b5ee3ap-33,
                            t6 = -0x1.ae5138c1216b3p-41, t7 = 0x1.89a4866f527ebp-49;
    static constexpr double e2 = 1.0 / 2.0, e3 = 1.0 / 6.0, e4 = 1.0 / 24.0, e5 = 1.0 / 120.0;

    struct Exp2Table
    {
        Exp2Table();
        std::array<std::uint64_t, 128> values; // bits of 2^(j / 128)
    };

    static const Exp2Table exp2Table;
};
