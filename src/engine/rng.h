// The random source: a 32-bit linear congruential generator,
// state <- state*214013 + 2531011 (mod 2^32), returning bits 16..30.
// One state for the whole process; the run seeds it once from the clock.
#pragma once

#include <cstdint>

void rng_seed(std::uint32_t seed);

// The next number in 0 .. 32767.
unsigned rng_draw();
