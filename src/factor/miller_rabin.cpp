// SPDX-License-Identifier: BSD-2-Clause
#include "factor/miller_rabin.h"

bool miller_rabin_passes(const mpz_t n, unsigned long base, const mpz_t n_minus_1,
                         const mpz_t odd, unsigned long twos, mpz_t x)
{
    mpz_set_ui(x, base);
    mpz_powm(x, x, odd, n);
    if (mpz_cmp_ui(x, 1) == 0 || mpz_cmp(x, n_minus_1) == 0)
        return true;
    for (unsigned long j = 1; j < twos; ++j) {
        mpz_mul(x, x, x);
        mpz_mod(x, x, n);
        if (mpz_cmp(x, n_minus_1) == 0)
            return true;
        if (mpz_cmp_ui(x, 1) == 0)
            return false; // 1 squares to 1: -1 can no longer come
    }
    return false;
}
