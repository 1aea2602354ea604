// SPDX-License-Identifier: BSD-2-Clause
// The quadratic sieve, by FLINT (qsieve_factor), for composite parts small
// enough that it beats the elliptic curves: up to sieve_max_digits.
#pragma once

#include <gmp.h>

inline constexpr int sieve_max_digits = 75;

// divisor = a proper divisor of m, an odd composite that is no perfect
// power; false if the sieve found none.
bool sieve_find_divisor(mpz_t divisor, const mpz_t m);

// FLINT keeps caches per thread (its pool of integers among them); a thread
// that used FLINT frees them with this before it ends, so that leak
// checkers find nothing.
void flint_thread_done();
