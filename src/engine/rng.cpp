#include "engine/rng.h"

namespace {
std::uint32_t rng_state = 0;
}

void rng_seed(std::uint32_t seed)
{
    rng_state = seed;
}

unsigned rng_draw()
{
    // Unsigned 32-bit arithmetic wraps, which is the reduction mod 2^32.
    rng_state = rng_state * 214013u + 2531011u;
    return (rng_state >> 16) & 0x7FFFu;
}
