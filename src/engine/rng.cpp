// SPDX-License-Identifier: BSD-2-Clause
#include "engine/rng.h"

void rng_seed(rng_state &g, std::uint32_t seed)
{
    g.x = seed;
}

unsigned rng_draw(rng_state &g)
{
    // Unsigned 32-bit arithmetic wraps, which is the reduction mod 2^32.
    g.x = g.x * 214013u + 2531011u;
    return (g.x >> 16) & 0x7FFFu;
}
