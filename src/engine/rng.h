// SPDX-License-Identifier: BSD-2-Clause
// The random source: a 32-bit linear congruential generator,
// state <- state*214013 + 2531011 (mod 2^32), returning bits 16..30.
// The state is a plain value owned by the caller: the run seeds one from
// the clock, tests seed their own.
#pragma once

#include <cstdint>

struct rng_state {
    std::uint32_t x;
};

void rng_seed(rng_state &g, std::uint32_t seed);

// The next number in 0 .. 32767.
unsigned rng_draw(rng_state &g);
