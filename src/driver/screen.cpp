// SPDX-License-Identifier: BSD-2-Clause
#include "driver/screen.h"

#include "engine/small_primes.h"

void screen_state_init(screen_state &s)
{
    mpz_init_set_ui(s.base, 3);
    mpz_init(s.residue);
}

void screen_state_clear(screen_state &s)
{
    mpz_clear(s.base);
    mpz_clear(s.residue);
}

bool screen_number(const mpz_t n, std::FILE *out, screen_state &s)
{
    std::fputs("Testing for divisors up to 100000...", out);
    std::fflush(out);
    // The smallest divisor above 1 is a prime, so walking the primes finds
    // the same d as walking 2, 3, 5, 7, 9, ..., 99999.
    std::size_t from = 0;
    if (unsigned long d = next_small_prime_divisor(n, from)) {
        std::fprintf(out, "Number divisible by %lu\n", d);
        return false;
    }
    std::fputs(" Done\n\n", out);

    std::fputs("PSeudoPrimality test in base 3...", out);
    std::fflush(out);
    // A negative n has no base-3 test of its own; it is turned away here
    // rather than handed to a modulus of the wrong sign.
    bool passed = mpz_sgn(n) > 0;
    if (passed) {
        mpz_powm(s.residue, s.base, n, n);
        passed = mpz_cmp_ui(s.residue, 3) == 0;
    }
    std::fputs(passed ? " Done\n\n" : " FAILED\n\n", out);
    return passed;
}
