#include "engine/MersenneTwister.h"

#include <algorithm>

namespace
{
/** A seed sequence that hands the engine the state words as they are: std::mt19937::seed (Sseq&) takes
    X(-n) .. X(-1) from generate() and regenerates before its first output. */
class LinearCongruentialWords
{
public:
    using result_type = std::uint32_t;

    explicit LinearCongruentialWords (std::uint32_t firstWord)
        : first (firstWord)
    {
    }

    template <typename Iterator>
    void generate (Iterator begin, Iterator end) const
    {
        std::uint32_t word = first;
        for (auto it = begin; it != end; ++it)
        {
            *it = word;
            word *= 69069u; // mod 2^32 by unsigned wrap-around
        }
    }

    std::size_t size() const noexcept { return 1; }

    template <typename Iterator>
    void param (Iterator out) const
    {
        *out = first;
    }

private:
    std::uint32_t first;
};
} // namespace

MersenneTwister::MersenneTwister (std::uint32_t initialSeed)
{
    seed (initialSeed);
}

void MersenneTwister::seed (std::uint32_t newSeed)
{
    LinearCongruentialWords words (newSeed);
    engine.seed (words);
}

std::uint32_t MersenneTwister::next()
{
    return static_cast<std::uint32_t> (engine());
}

std::uint32_t MersenneTwister::nextBelow (std::uint32_t n)
{
    if (n == 0)
        return 0;

    constexpr std::uint32_t top = 0xffffffffu;
    const std::uint32_t limit = top - (top % n);

    for (;;)
        if (const auto value = next(); value < limit)
            return value % n;
}

float MersenneTwister::nextFloat()
{
    return static_cast<float> (next()) * (1.0f / 4294967296.0f);
}
