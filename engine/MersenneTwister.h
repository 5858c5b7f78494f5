#pragma once

#include <cstdint>
#include <random>

/** The randomizer's generator: the standard MT19937 with the product's own seeding, so that a pattern can
    be drawn again from its seed.

    Seeding fills the 624 state words with seed, 69069 x seed, 69069^2 x seed, ... (mod 2^32) and leaves
    the state to be regenerated at the next draw. Message thread only; nothing here locks. */
class MersenneTwister
{
public:
    /** Seeded with the given value. */
    explicit MersenneTwister (std::uint32_t seed);

    void seed (std::uint32_t seed);

    /** The next 32-bit output. */
    std::uint32_t next();

    /** A value below n, without the bias of a plain modulo: values at or above the largest multiple of n
        that fits are drawn again. n = 0 gives 0 without drawing. */
    std::uint32_t nextBelow (std::uint32_t n);

    /** The next output times 2^-32 in single precision: 0..1, where the rounding to float can give 1. */
    float nextFloat();

private:
    std::mt19937 engine;
};
