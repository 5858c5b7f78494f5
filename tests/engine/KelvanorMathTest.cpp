#include "engine/KelvanorMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace
{
// The phase (0..pi), the pulse's shifted phase (down to about -2) and the harmonic count times the phase (up
// to about 1.2e6 at 192 kHz), then the library's own range beyond.
TEST (KelvanorMath, SineMatchesTheLibraryToTheLastBits)
{
    const double ranges[][3] = {
        {0.0, std::numbers::pi, 1e-5}, {-10.0, 10.0, 3.3e-5}, {1e3, 1.6e6, 1.37}, {1.6e6, 1e9, 9.9e3}};
    for (const auto& [from, to, step] : ranges)
        for (double x = from; x <= to; x += step)
            ASSERT_NEAR (KelvanorMath::sine (x), std::sin (x),
                         4e-16 * std::max (1e-3, std::abs (std::sin (x))))
                << x;

    EXPECT_EQ (KelvanorMath::sine (0.0), 0.0);
    EXPECT_GT (KelvanorMath::sine (1e-300), 0.0);
}

TEST (KelvanorMath, Exp2MatchesTheLibraryToTheLastBits)
{
    for (double y = -30.0; y <= 30.0; y += 1.1e-5)
        ASSERT_NEAR (KelvanorMath::exp2 (y), std::exp2 (y), 3e-16 * std::exp2 (y)) << y;
    for (int n = -20; n <= 20; ++n)
        EXPECT_EQ (KelvanorMath::exp2 (n), std::ldexp (1.0, n)) << n;
    EXPECT_TRUE (std::isfinite (KelvanorMath::exp2 (std::numeric_limits<double>::quiet_NaN())));
}
} // namespace
