// SPDX-License-Identifier: BSD-2-Clause
#include "engine/select_matrix.h"

#include <cassert>

void select_scratch_init(select_scratch &s)
{
    mpz_init(s.determinant);
    mpz_init(s.common);
    mpz_init(s.discriminant);
    mpz_init(s.product);
}

void select_scratch_clear(select_scratch &s)
{
    mpz_clear(s.determinant);
    mpz_clear(s.common);
    mpz_clear(s.discriminant);
    mpz_clear(s.product);
}

matrix_verdict check_matrix(const matrix2 &m, const mpz_t n, select_scratch &s, int jacobi)
{
    assert(mpz_odd_p(n) && mpz_cmp_ui(n, 1) > 0);
    const mpz_t &d = m.x[0], &e = m.x[1], &f = m.x[2], &g = m.x[3];

    mpz_mul(s.product, e, f);
    mpz_mul(s.determinant, d, g);
    mpz_sub(s.determinant, s.determinant, s.product);
    // gcd(0, n) = n, so a singular matrix fails here too.
    mpz_gcd(s.common, s.determinant, n);
    if (mpz_cmp_ui(s.common, 1) != 0)
        return matrix_verdict::determinant_not_coprime;

    mpz_sub(s.discriminant, d, g);
    mpz_mul(s.discriminant, s.discriminant, s.discriminant);
    mpz_mul_ui(s.product, s.product, 4);
    mpz_add(s.discriminant, s.discriminant, s.product);
    if (mpz_cmp_ui(s.discriminant, 100) <= 0)
        return matrix_verdict::discriminant_too_small;

    if (mpz_jacobi(s.discriminant, n) != jacobi)
        return matrix_verdict::jacobi_not_one;

    // Any verdict other than "composite" counts: GMP answers 2 (certainly
    // prime) rather than 1 for small values in some releases.
    if (mpz_cmp_ui(s.discriminant, 1000000) <= 0 ||
        mpz_probab_prime_p(s.discriminant, 10) == 0)
        return matrix_verdict::discriminant_not_large_prime;

    return matrix_verdict::accepted;
}

unsigned long select_matrix(matrix2 &m, rng_state &g, const mpz_t n, select_scratch &s,
                            int jacobi)
{
    // The Jacobi symbol needs an odd n; n = 1 would accept every matrix.
    assert(mpz_odd_p(n) && mpz_cmp_ui(n, 1) > 0);
    for (unsigned long attempts = 1;; ++attempts) {
        for (auto &entry : m.x)
            mpz_set_ui(entry, rng_draw(g));
        if (check_matrix(m, n, s, jacobi) == matrix_verdict::accepted)
            return attempts;
    }
}
