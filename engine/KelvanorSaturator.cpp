#include "KelvanorSaturator.h"

const KelvanorSaturator::Table KelvanorSaturator::table;

KelvanorSaturator::Table::Table()
{
    // Taylor coefficients of tanh about each centre from y' = 1 - y^2, in extended precision, then scaled
    // to h, the distance from the centre in steps.
    const long double stepInX = (long double) step / 65000.0L;

    for (int row = 0; row < rows; ++row)
    {
        std::array<long double, order + 1> a{};
        a[0] = std::tanh ((long double) (row - stepsEachSide) * stepInX);
        for (std::size_t n = 0; n < (std::size_t) order; ++n)
        {
            long double square = 0.0L;
            for (std::size_t i = 0; i <= n; ++i)
                square += a[i] * a[n - i];
            a[n + 1] = ((n == 0 ? 1.0L : 0.0L) - square) / (long double) (n + 1);
        }

        long double scale = 1.0L;
        for (std::size_t n = 0; n < a.size(); ++n)
        {
            coefficients[n][(std::size_t) row] = (double) (a[n] * scale);
            scale *= stepInX;
        }
    }
}
