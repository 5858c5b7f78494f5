#include "engine/KelvanorSaturator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
double formula (double v)
{
    return 1.0 - 2.0 / (std::exp (2.0 * v / 65000.0) + 1.0);
}

// Across the table, at and around every step boundary, near zero and beyond the ends, the table matches
// the ladder's tanh formula as closely as the formula's own rounding allows.
TEST (KelvanorSaturator, MatchesTheTanhFormula)
{
    double worst = 0.0, worstAt = 0.0;
    const auto check = [&] (double v)
    {
        const double error = std::abs (KelvanorSaturator::saturate (v) - formula (v));
        if (error > worst)
        {
            worst = error;
            worstAt = v;
        }
    };

    for (double v = -25.0 * 65000.0; v <= 25.0 * 65000.0; v += 97.3)
        check (v);
    for (int s = -1300; s <= 1300; ++s)
        for (const double offset : {-512.0, -511.9, 0.0, 511.9, 512.0})
            check (s * KelvanorSaturator::step + offset);
    for (double v = 1e-12; v < 1e4; v *= 1.7)
    {
        check (v);
        check (-v);
    }

    EXPECT_LT (worst, 6e-16) << "at " << worstAt;
}

TEST (KelvanorSaturator, IsOddAndReachesItsLimits)
{
    for (const double v : {0.0, 1.0, 5000.0, 65000.0, 400000.0})
        EXPECT_EQ (KelvanorSaturator::saturate (-v), -KelvanorSaturator::saturate (v)) << v;

    EXPECT_EQ (KelvanorSaturator::saturate (0.0), 0.0);
    for (const double v : {1.3e6, 1e9, std::numeric_limits<double>::infinity()})
    {
        EXPECT_EQ (KelvanorSaturator::saturate (v), 1.0) << v;
        EXPECT_EQ (KelvanorSaturator::saturate (-v), -1.0) << v;
    }
    EXPECT_TRUE (std::isfinite (KelvanorSaturator::saturate (std::numeric_limits<double>::quiet_NaN())));
}
// The ladder's path: a row rounded from an estimate up to a fiftieth of a step off, as the ladder's early
// rounding lands, and the shorter polynomial from there, still within 3e-14 of the formula; its estimate
// within 1e-4.
TEST (KelvanorSaturator, LadderPathStaysCloseFromARowRoundedEarly)
{
    double worst = 0.0, worstEstimate = 0.0;
    for (int s = -1200; s <= 1200; ++s)
        for (const double offset : {-0.5, -0.31, 0.0, 0.27, 0.5})
            for (const double early : {-0.02, 0.0, 0.02})
            {
                const double x = s + offset; // steps
                const double rounded = x + early + KelvanorSaturator::rowShift;
                const double h = x - (rounded - KelvanorSaturator::rowShift);
                const auto result = KelvanorSaturator::saturateNear (x, rounded, h);
                const double expected = formula (x * KelvanorSaturator::step);
                worst = std::max (worst, std::abs (result.value - expected));
                worstEstimate = std::max (worstEstimate, std::abs (result.estimate - expected));
            }

    EXPECT_LT (worst, 3e-14);
    EXPECT_LT (worstEstimate, 1e-4);

    // Beyond the table the ends hold.
    EXPECT_EQ (KelvanorSaturator::saturateNear (5000.0, 5000.0 + KelvanorSaturator::rowShift, 0.0).value,
               1.0);
}

// The short form for any value: within 2e-14 of the formula across the table and around its step
// boundaries, odd, at its limits beyond the ends, and finite for NaN.
TEST (KelvanorSaturator, ShortFormStaysCloseEverywhere)
{
    double worst = 0.0, worstAt = 0.0;
    for (int s = -1300; s <= 1300; ++s)
        for (const double offset : {-0.5, -0.49, -0.2, 0.0, 0.37, 0.5})
        {
            const double x = s + offset; // steps
            const double error =
                std::abs (KelvanorSaturator::saturateStepsShort (x) - formula (x * KelvanorSaturator::step));
            if (error > worst)
            {
                worst = error;
                worstAt = x;
            }
            EXPECT_EQ (KelvanorSaturator::saturateStepsShort (-x), -KelvanorSaturator::saturateStepsShort (x))
                << x;
        }
    EXPECT_LT (worst, 2e-14) << "at " << worstAt;

    for (const double x : {1300.0, 1e7, std::numeric_limits<double>::infinity()})
    {
        EXPECT_EQ (KelvanorSaturator::saturateStepsShort (x), 1.0) << x;
        EXPECT_EQ (KelvanorSaturator::saturateStepsShort (-x), -1.0) << x;
    }
    EXPECT_TRUE (
        std::isfinite (KelvanorSaturator::saturateStepsShort (std::numeric_limits<double>::quiet_NaN())));
}
} // namespace
