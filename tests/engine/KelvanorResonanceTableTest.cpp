#include "engine/KelvanorResonanceTable.h"

#include <gtest/gtest.h>

namespace
{
TEST (KelvanorResonanceTable, InterpolatesAndExtendsTheEnds)
{
    // rate index, fr, expected
    // clang-format off
    const std::tuple<int, double, double> cases[] = {
        // At the first grid value, and below it on the first segment's line.
        {0, 0.0, 0.0}, {0, 0.0025, 0.025}, {0, -0.005, -0.05},
        // Interior points and midpoints.
        {0, 0.1, 0.47}, {0, 0.45, (0.592 + 0.604) / 2}, {1, 0.95, (0.43 + 0.34) / 2},
        // The last point of each rate, and beyond it on the last segment's line.
        {0, 1.0, 0.25}, {1, 1.1, 0.23}, {2, 2.0, 0.25}, {3, 2.2, 0.23}, {4, 4.3, 0.23},
        {4, 4.349, 0.23 - 0.37 / 2.2 * 0.049}, {1, 1.2, 0.23 - 0.11 / 0.1 * 0.1}};
    // clang-format on
    for (const auto& [rateIndex, fr, expected] : cases)
    {
        // The search may start anywhere, even outside the table, and must land on the same segment.
        const auto& table = KelvanorResonanceTable::forRateIndex (rateIndex);
        for (int start = -1; start <= table.size; ++start)
        {
            int segment = start;
            EXPECT_NEAR (table.lookup (fr, segment), expected, 1e-12)
                << "rate index " << rateIndex << ", fr " << fr << ", search from " << start;
        }
    }

    // Rate indices outside the table are clamped.
    EXPECT_EQ (&KelvanorResonanceTable::forRateIndex (-1), &KelvanorResonanceTable::forRateIndex (0));
    EXPECT_EQ (&KelvanorResonanceTable::forRateIndex (7), &KelvanorResonanceTable::forRateIndex (4));
    EXPECT_EQ (KelvanorResonanceTable::forRateIndex (2).size, 33);
}
} // namespace
