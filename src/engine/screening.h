// SPDX-License-Identifier: BSD-2-Clause
// brovanten's screening, the cheap checks a number must pass before any
// matrix test: no divisor up to 99999 (the 9592 primes below 100000 are
// tried, with no square-root bound, so a prime below 100000 is its own
// divisor), then the Fermat test 3^N = 3 mod N. brovanten prints its
// transcript around the two checks; brovanten-factor --kind says whether a
// number passes them. Cost: up to 9592 one-word remainders, then one power
// of N's size.
#pragma once

#include <gmp.h>

// The smallest prime below 100000 that divides n (of any sign; 0 is
// divisible by 2), or 0 when none does.
unsigned long screening_divisor(const mpz_t n);

// Whether 3^n = 3 mod n. A number below 1 has no base-3 test of its own and
// fails. residue is scratch.
bool screening_passes_base_3(const mpz_t n, mpz_t residue);
