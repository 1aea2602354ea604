// SPDX-License-Identifier: BSD-2-Clause
#include "engine/screening.h"

#include "engine/small_primes.h"

unsigned long screening_divisor(const mpz_t n)
{
    // The smallest divisor above 1 is a prime, so walking the primes finds
    // the same d as walking 2, 3, 5, 7, 9, ..., 99999.
    std::size_t from = 0;
    return next_small_prime_divisor(n, from);
}

bool screening_passes_base_3(const mpz_t n, mpz_t residue)
{
    // A negative n is turned away here rather than handed to a modulus of
    // the wrong sign.
    if (mpz_sgn(n) <= 0)
        return false;
    mpz_set_ui(residue, 3);
    mpz_powm(residue, residue, n, n);
    return mpz_cmp_ui(residue, 3) == 0;
}
