#include "KelvanorMath.h"

#include <cmath>

const KelvanorMath::Exp2Table KelvanorMath::exp2Table;

KelvanorMath::Exp2Table::Exp2Table()
{
    for (std::size_t j = 0; j < values.size(); ++j)
        values[j] = std::bit_cast<std::uint64_t> ((double) std::exp2 ((long double) j / 128.0L));
}
