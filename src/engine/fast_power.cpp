// SPDX-License-Identifier: BSD-2-Clause
#include "engine/fast_power.h"

#include <cassert>
#include <cstddef>

void fast_power_scratch_init(fast_power_scratch &s)
{
    mpz_inits(s.a, s.b, s.a2, s.t, nullptr);
}

void fast_power_scratch_clear(fast_power_scratch &s)
{
    mpz_clears(s.a, s.b, s.a2, s.t, nullptr);
}

bool fast_matrix_pow_mod(matrix2 &r, const matrix2 &m, const mpz_t e, const mpz_t n,
                         fast_power_scratch &s, const power_progress &progress)
{
    assert(mpz_cmp_ui(n, 1) > 0 && mpz_sgn(e) >= 0);
    for ([[maybe_unused]] const auto &x : m.x)
        assert(mpz_sgn(x) >= 0 && mpz_cmp_ui(x, 32767) <= 0);
    const long d = static_cast<long>(mpz_get_ui(m.x[0])), e01 = static_cast<long>(mpz_get_ui(m.x[1]));
    const long f = static_cast<long>(mpz_get_ui(m.x[2])), g = static_cast<long>(mpz_get_ui(m.x[3]));
    const long trace = d + g;
    const long det = d * g - e01 * f;

    // M^1 = 1*M + 0*I, then left to right through the bits below the top.
    mpz_set_ui(s.a, mpz_sgn(e) == 0 ? 0 : 1);
    mpz_set_ui(s.b, mpz_sgn(e) == 0 ? 1 : 0);
    std::size_t bits = mpz_sgn(e) == 0 ? 0 : mpz_sizeinbase(e, 2);
    std::size_t report_every = bits / 64 + 1;
    for (std::size_t i = bits > 0 ? bits - 1 : 0; i-- > 0;) {
        // Doubling: a' = a*(t*a + 2b), b' = b^2 - D*a^2.
        mpz_mul_si(s.t, s.a, trace);
        mpz_addmul_ui(s.t, s.b, 2);
        mpz_mul(s.a2, s.a, s.a);
        mpz_mul(s.a, s.a, s.t);
        mpz_mod(s.a, s.a, n);
        mpz_mul(s.b, s.b, s.b);
        if (det >= 0)
            mpz_submul_ui(s.b, s.a2, static_cast<unsigned long>(det));
        else
            mpz_addmul_ui(s.b, s.a2, static_cast<unsigned long>(-det));
        mpz_mod(s.b, s.b, n);
        if (mpz_tstbit(e, i)) {
            // Step by M: a' = t*a + b, b' = -D*a.
            mpz_mul_si(s.t, s.a, trace);
            mpz_add(s.t, s.t, s.b);
            mpz_mul_si(s.b, s.a, -det);
            mpz_mod(s.a, s.t, n);
            mpz_mod(s.b, s.b, n);
        }
        if (progress && i % report_every == 0 &&
            !progress(static_cast<double>(bits - i) / static_cast<double>(bits)))
            return false;
    }

    // R = a*M + b*I; the entries of M are read before r is written, so r may
    // be m.
    mpz_mul_si(s.t, s.a, d);
    mpz_add(s.t, s.t, s.b);
    mpz_mul_si(s.a2, s.a, g);
    mpz_add(s.a2, s.a2, s.b);
    mpz_mul_si(r.x[1], s.a, e01);
    mpz_mul_si(r.x[2], s.a, f);
    mpz_mod(r.x[0], s.t, n);
    mpz_mod(r.x[1], r.x[1], n);
    mpz_mod(r.x[2], r.x[2], n);
    mpz_mod(r.x[3], s.a2, n);
    return true;
}
