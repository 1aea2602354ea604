// SPDX-License-Identifier: BSD-2-Clause
// Pollard's p - 1 and Williams' p + 1, by GMP-ECM's library (ECM_PM1 and
// ECM_PP1): stage 1 to B1, then GMP-ECM's own stage 2 to its default B2.
// p - 1 finds a prime p of m when p - 1 is B1-smooth but for one prime up
// to B2; p + 1 finds p when p + 1 is, for the starts x whose x^2 - 4 is a
// non-square modulo p, and works as p - 1 for the others. The start comes
// from seed, so a run replays. Cost: p + 1 about twice p - 1 to the same
// B1; at the default bounds the two take about a sixth of the first level
// of curves (the figures are in factor_budget.h).
#pragma once

#include <cstdint>
#include <gmp.h>

// divisor = a proper divisor of the odd composite m, or false if none was
// found.
bool pm1_find_divisor(mpz_t divisor, const mpz_t m, double b1, std::uint64_t seed);
bool pp1_find_divisor(mpz_t divisor, const mpz_t m, double b1, std::uint64_t seed);
