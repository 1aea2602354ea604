// SPDX-License-Identifier: BSD-2-Clause
// Numbers that fit in a machine word, by FLINT's n_factor: trial division,
// then its own methods, every factor proven prime (below 2^64 its
// Baillie-PSW test is a proof).
#pragma once

#include <gmp.h>

// The prime factors of n (1 < n < 2^64) with their powers:
// primes[0 .. count-1], powers likewise. At most 15 distinct primes.
struct word_factors {
    int count;
    unsigned long primes[15];
    unsigned long powers[15];
};

void word_factor(word_factors &f, unsigned long n);
