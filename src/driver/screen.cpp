// SPDX-License-Identifier: BSD-2-Clause
#include "driver/screen.h"

#include "engine/screening.h"

void screen_state_init(screen_state &s)
{
    mpz_init(s.residue);
}

void screen_state_clear(screen_state &s)
{
    mpz_clear(s.residue);
}

bool screen_number(const mpz_t n, std::FILE *out, screen_state &s)
{
    std::fputs("Testing for divisors up to 100000...", out);
    std::fflush(out);
    if (unsigned long d = screening_divisor(n)) {
        std::fprintf(out, "Number divisible by %lu\n", d);
        return false;
    }
    std::fputs(" Done\n\n", out);

    std::fputs("PSeudoPrimality test in base 3...", out);
    std::fflush(out);
    bool passed = screening_passes_base_3(n, s.residue);
    std::fputs(passed ? " Done\n\n" : " FAILED\n\n", out);
    return passed;
}
