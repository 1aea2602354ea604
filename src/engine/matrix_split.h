// SPDX-License-Identifier: BSD-2-Clause
// One factoring test, without any I/O. It draws an accepted matrix M,
// computes R = M^(N-1) mod N and takes the divisors
//   gcd(r00 - 1, N), gcd(r01, N), gcd(r10, N), gcd(r11 - 1, N),
// each reduced mod N so that N itself becomes 0. For a Carmichael number or
// a pseudoprime, R is the identity modulo some prime factors of N and not
// modulo others, and these gcds split N. Nearly all the time goes into the
// matrix power: about 1.5 log2(N) products of 2x2 matrices modulo N.
#pragma once

#include "engine/matrix.h"
#include "engine/rng.h"
#include "engine/select_matrix.h"

#include <gmp.h>

// At most one divisor per entry of R.
inline constexpr int max_divisors = 4;

// Every big integer one test uses, created once and reused test after test.
struct test_scratch {
    matrix2 drawn;  // M as drawn: the certificate's input
    matrix2 result; // R
    mpz_t exponent; // N - 1
    select_scratch select;
    matrix_scratch product;
};

void test_scratch_init(test_scratch &t);
void test_scratch_clear(test_scratch &t);

// The divisors that R shows of n (odd, above 1): the distinct values among
// the four gcds above that exceed 1, in entry order (r00, r01, r10, r11).
// They are written to divisors[0 .. count-1]; the count is returned.
int extract_divisors(mpz_t divisors[max_divisors], const matrix2 &r, const mpz_t n);

// The two halves of a test, apart so that a caller can time the second
// alone: draw M into t.drawn, then power it and extract.
void test_draw(test_scratch &t, rng_state &g, const mpz_t n);
int test_divisors(mpz_t divisors[max_divisors], test_scratch &t, const mpz_t n);

// One whole test: both halves. t.drawn keeps M for the certificate.
int split_test(mpz_t divisors[max_divisors], test_scratch &t, rng_state &g, const mpz_t n);
