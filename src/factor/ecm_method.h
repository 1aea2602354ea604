// SPDX-License-Identifier: BSD-2-Clause
// The elliptic curve method, by GMP-ECM's library, level by level: the
// level of D digits runs the curves that find a factor of D digits with
// probability 1 - 1/e at GMP-ECM's usual B1. Every curve's parameter sigma
// comes from the run's seed, the part and the curve's number, so a run
// replays. Cost: a curve of the first level (B1 = 2000) takes about 1.3 ms
// at 100 bits and 10 ms at 700 bits.
#pragma once

#include <cstdint>
#include <functional>
#include <gmp.h>

struct ecm_level {
    int digits;
    double b1;
    int curves;
};

// The levels, 15 to 60 digits, in steps of 5.
inline constexpr ecm_level ecm_levels[] = {
    {15, 2e3, 25},      {20, 11e3, 90},      {25, 5e4, 240},     {30, 25e4, 500},
    {35, 1e6, 1100},    {40, 3e6, 2900},     {45, 11e6, 5500},   {50, 43e6, 9000},
    {55, 11e7, 22000},  {60, 26e7, 52000},
};
inline constexpr int ecm_level_count = sizeof ecm_levels / sizeof ecm_levels[0];

// Each curve's seed, by its number (from 1).
using curve_seed = std::function<std::uint64_t(int curve)>;
// Called before each curve; returning false stops the level.
using curve_watch = std::function<bool(const ecm_level &level, int curve)>;

// divisor = a proper divisor of the odd composite m found by the curves of
// level, or false if none did.
bool ecm_run_level(mpz_t divisor, const mpz_t m, const ecm_level &level,
                   const curve_seed &seed_of_curve, const curve_watch &watch = {});
