// SPDX-License-Identifier: BSD-2-Clause
#include "engine/matrix_split.h"

#include <cassert>

void test_scratch_init(test_scratch &t)
{
    matrix_init(t.drawn);
    matrix_init(t.result);
    mpz_init(t.exponent);
    select_scratch_init(t.select);
    matrix_scratch_init(t.product);
}

void test_scratch_clear(test_scratch &t)
{
    matrix_clear(t.drawn);
    matrix_clear(t.result);
    mpz_clear(t.exponent);
    select_scratch_clear(t.select);
    matrix_scratch_clear(t.product);
}

int extract_divisors(mpz_t divisors[max_divisors], const matrix2 &r, const mpz_t n)
{
    assert(mpz_cmp_ui(n, 1) > 0);
    // The diagonal of R - I loses its 1; the other entries are taken as they are.
    static const unsigned long identity[4] = {1, 0, 0, 1};
    int count = 0;
    for (int k = 0; k < 4; ++k) {
        // The candidate is formed in the next free slot and kept only if it
        // is new; a dropped one is overwritten by the next.
        mpz_ptr c = divisors[count];
        mpz_sub_ui(c, r.x[k], identity[k]);
        mpz_gcd(c, c, n);
        mpz_mod(c, c, n);
        if (mpz_cmp_ui(c, 1) <= 0)
            continue;
        bool repeat = false;
        for (int i = 0; i < count && !repeat; ++i)
            repeat = mpz_cmp(divisors[i], c) == 0;
        if (!repeat)
            ++count;
    }
    return count;
}

void test_draw(test_scratch &t, rng_state &g, const mpz_t n)
{
    select_matrix(t.drawn, g, n, t.select);
}

int test_divisors(mpz_t divisors[max_divisors], test_scratch &t, const mpz_t n)
{
    mpz_sub_ui(t.exponent, n, 1);
    matrix_pow_mod(t.result, t.drawn, t.exponent, n, t.product);
    return extract_divisors(divisors, t.result, n);
}

int split_test(mpz_t divisors[max_divisors], test_scratch &t, rng_state &g, const mpz_t n)
{
    test_draw(t, g, n);
    return test_divisors(divisors, t, n);
}
