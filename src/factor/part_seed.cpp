// SPDX-License-Identifier: BSD-2-Clause
#include "factor/part_seed.h"

std::uint64_t splitmix_next(std::uint64_t &state)
{
    std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

std::uint64_t part_seed(unsigned long run_seed, const mpz_t m, int index)
{
    std::uint64_t state = run_seed;
    std::uint64_t h = splitmix_next(state);
    state ^= static_cast<std::uint64_t>(mpz_getlimbn(m, 0)) ^ mpz_size(m) << 32;
    h ^= splitmix_next(state);
    state ^= static_cast<std::uint64_t>(mpz_getlimbn(m, 1));
    h ^= splitmix_next(state);
    state = h ^ static_cast<std::uint64_t>(index);
    return splitmix_next(state);
}
