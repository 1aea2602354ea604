// SPDX-License-Identifier: BSD-2-Clause
// Every random choice made on a part (the base or the matrix of a splitting
// attempt, a curve's sigma, the start of p - 1 and p + 1) draws from a seed
// of its own: SplitMix64 over the run's seed, the part's low words and size,
// and the choice's index. So any thread may make any choice, and a run
// replays with any number of threads.
#pragma once

#include <cstdint>
#include <gmp.h>

// One step of SplitMix64: good enough to spread seeds and draw words.
std::uint64_t splitmix_next(std::uint64_t &state);

// The seed of choice `index` on part m.
std::uint64_t part_seed(unsigned long run_seed, const mpz_t m, int index);

// The indices: splitting attempts use their slot (1, 2, ...); the others
// lie above every slot.
inline constexpr int pm1_seed_index = 900001;
inline constexpr int pp1_seed_index = 900002;
inline constexpr int sieve_seed_index = 900003;
inline constexpr int curve_seed_index(int level, int curve)
{
    return 1000000 * (level + 1) + curve;
}
