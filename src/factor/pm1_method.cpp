// SPDX-License-Identifier: BSD-2-Clause
#include "factor/pm1_method.h"

#include <ecm.h>

namespace {

bool run(mpz_t divisor, const mpz_t m, int method, double b1, std::uint64_t seed)
{
    ecm_params params;
    ecm_init(params);
    mpz_t n;
    mpz_init_set(n, m);
    params->method = method;
    // The start in [2, 2^32); left at 0, GMP-ECM would draw it from a
    // generator seeded by the clock.
    mpz_set_ui(params->x, 2 + seed % 0xfffffffeu);
    params->B1done = 1.0;
    int verdict = ecm_factor(divisor, n, b1, params);
    bool found = verdict > 0 && mpz_cmp_ui(divisor, 1) > 0 && mpz_cmp(divisor, m) < 0;
    mpz_clear(n);
    ecm_clear(params);
    return found;
}

} // namespace

bool pm1_find_divisor(mpz_t divisor, const mpz_t m, double b1, std::uint64_t seed)
{
    return run(divisor, m, ECM_PM1, b1, seed);
}

bool pp1_find_divisor(mpz_t divisor, const mpz_t m, double b1, std::uint64_t seed)
{
    return run(divisor, m, ECM_PP1, b1, seed);
}
