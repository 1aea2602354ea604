// SPDX-License-Identifier: BSD-2-Clause
// The strong test (Miller-Rabin) of one base, on numbers of any size. With
// n - 1 = 2^twos * odd, an odd prime n has b^odd = 1 or b^(odd * 2^j) = -1
// mod n for some j < twos; a composite that passes is a strong pseudoprime
// to base b. Cost: one power of n's size. (Below 2^64, word_prime.h tests in
// machine words.)
#pragma once

#include <gmp.h>

// Whether the odd n > 3 passes the strong test to base b, where n_minus_1 =
// n - 1 = 2^twos * odd. x is scratch.
bool miller_rabin_passes(const mpz_t n, unsigned long base, const mpz_t n_minus_1,
                         const mpz_t odd, unsigned long twos, mpz_t x);
