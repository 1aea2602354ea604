// SPDX-License-Identifier: BSD-2-Clause
// Drawing a random matrix M = [[d, e], [f, g]] fit for a factoring test.
//
// Entries come from rng_draw() (0 .. 32767). With D = dg - ef and
// discriminant Delta = (d - g)^2 + 4ef = (d + g)^2 - 4D, M is accepted when
//   1. gcd(D, N) = 1          (M is invertible modulo every prime of N),
//   2. Delta > 100,
//   3. Jacobi(Delta / N) = 1 (or -1 where the caller asks for it),
//   4. Delta > 1000000 and Delta is prime,
// checked in that order. Delta <= 5 * 32767^2 < 2^33.
#pragma once

#include "engine/matrix.h"
#include "engine/rng.h"

#include <gmp.h>

enum class matrix_verdict {
    accepted,
    determinant_not_coprime,
    discriminant_too_small,
    jacobi_not_one,
    discriminant_not_large_prime,
};

struct select_scratch {
    mpz_t determinant, common, discriminant, product;
};

void select_scratch_init(select_scratch &s);
void select_scratch_clear(select_scratch &s);

// The first condition m fails for an odd n > 1, or accepted. jacobi is the
// symbol of condition 3: the tool's test wants 1. brovanten-factor asks for
// -1 on the parts of N, so that at least one prime of the part sees a
// non-square discriminant: with 1, both primes of a two-prime part would
// always see the same kind, and the test could never tell them apart.
matrix_verdict check_matrix(const matrix2 &m, const mpz_t n, select_scratch &s, int jacobi = 1);

// m = the first accepted matrix drawn from g, four fresh draws per attempt,
// in the order d, e, f, g. n must be odd and above 1. Returns the number of
// attempts it took.
unsigned long select_matrix(matrix2 &m, rng_state &g, const mpz_t n, select_scratch &s,
                            int jacobi = 1);
