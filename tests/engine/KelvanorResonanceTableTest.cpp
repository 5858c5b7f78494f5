#include "engine/KelvanorResonanceTable.h"

#include <gtest/gtest.h>

namespace
{
struct LookupCase
{
    int rateIndex;
    double fr;
    double expected;
};

class KelvanorResonanceTableLookup : public ::testing::TestWithParam<LookupCase>
{
};

TEST_P (KelvanorResonanceTableLookup, InterpolatesAndExtendsTheEnds)
{
    const auto [rateIndex, fr, expected] = GetParam();
    const auto& table = KelvanorResonanceTable::forRateIndex (rateIndex);

    // The search may start anywhere, even outside the table, and must land on the same segment.
    for (int start = -1; start <= table.size; ++start)
    {
        int segment = start;
        EXPECT_NEAR (table.lookup (fr, segment), expected, 1e-12)
            << "rate index " << rateIndex << ", fr " << fr << ", search from " << start;
    }
}

INSTANTIATE_TEST_SUITE_P (Points, KelvanorResonanceTableLookup,
                          ::testing::Values (
                              // At the first grid value, and below it on the first segment's line.
                              LookupCase{0, 0.0, 0.0}, LookupCase{0, 0.0025, 0.025},
                              LookupCase{0, -0.005, -0.05},
                              // Interior points and midpoints.
                              LookupCase{0, 0.1, 0.47}, LookupCase{0, 0.45, (0.592 + 0.604) / 2},
                              LookupCase{1, 0.95, (0.43 + 0.34) / 2},
                              // The last point of each rate, and beyond it on the last segment's line.
                              LookupCase{0, 1.0, 0.25}, LookupCase{1, 1.1, 0.23}, LookupCase{2, 2.0, 0.25},
                              LookupCase{3, 2.2, 0.23}, LookupCase{4, 4.3, 0.23},
                              LookupCase{4, 4.349, 0.23 - 0.37 / 2.2 * 0.049},
                              LookupCase{1, 1.2, 0.23 - 0.11 / 0.1 * 0.1}));

TEST (KelvanorResonanceTable, RateIndicesOutsideTheTableAreClamped)
{
    EXPECT_EQ (&KelvanorResonanceTable::forRateIndex (-1), &KelvanorResonanceTable::forRateIndex (0));
    EXPECT_EQ (&KelvanorResonanceTable::forRateIndex (7), &KelvanorResonanceTable::forRateIndex (4));
    EXPECT_EQ (KelvanorResonanceTable::forRateIndex (2).size, 33);
}
} // namespace
