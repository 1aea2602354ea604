// SPDX-License-Identifier: BSD-2-Clause
// Numbers that fit in a machine word: trial division by the primes below
// 1024 with a multiply in place of each division, then Pollard's rho in
// Brent's form, in Montgomery arithmetic with the gcd taken once per batch
// of steps; every factor proven prime by word_is_prime.
#pragma once

#include "factor/word_montgomery.h"

// How the primes of a number were found, for --verbose: divided out below
// 1024 (or left below 1024^2 after that, and so prime), taken as a square
// root, split off by rho, or proven prime by the strong tests.
enum word_method : unsigned {
    by_trial_division = 1,
    by_square_root = 2,
    by_rho = 4,
    by_strong_tests = 8,
};

// The prime factors of n (1 < n < 2^64), ascending, with their powers:
// primes[0 .. count-1], powers likewise. At most 15 distinct primes.
// found_by: the word_methods that found them.
struct word_factors {
    int count;
    u64 primes[15];
    unsigned powers[15];
    unsigned found_by;
};

void word_factor(word_factors &f, u64 n);
