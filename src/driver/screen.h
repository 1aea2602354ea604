// SPDX-License-Identifier: BSD-2-Clause
// Screening: the transcript of the cheap checks a number must pass before
// any matrix test (engine/screening.h): trial division up to 99999, then a
// Fermat test 3^N = 3 mod N. Each line is flushed before its check runs.
// Primes below 100000 are reported as divisible by themselves, on purpose:
// the matrix tests are for large composites.
#pragma once

#include <cstdio>
#include <gmp.h>

struct screen_state {
    mpz_t residue; // 3^N mod N
};

void screen_state_init(screen_state &s);
void screen_state_clear(screen_state &s);

// Prints the screening transcript for n to out and returns whether n passed.
bool screen_number(const mpz_t n, std::FILE *out, screen_state &s);
