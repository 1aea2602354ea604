// SPDX-License-Identifier: BSD-2-Clause
// Pollard's rho with Brent's cycle finding, for the small composite parts
// that no pseudoprime test splits, with a bounded number of steps.
// It finds a prime factor p after about sqrt(p) steps, each a squaring mod m;
// the differences are multiplied together and a gcd taken every 128 steps.
// An odd m below 2^128 is walked in two machine words (double_word.h).
#pragma once

#include <gmp.h>

struct rho_scratch {
    mpz_t x, y, ys, q, diff, g;
};

void rho_scratch_init(rho_scratch &s);
void rho_scratch_clear(rho_scratch &s);

// divisor = a proper divisor of the odd composite m, found within about
// max_steps squarings over a few polynomials x^2 + c; false if none was.
bool rho_find_divisor(mpz_t divisor, const mpz_t m, unsigned long max_steps, rho_scratch &s);
