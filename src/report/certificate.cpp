// SPDX-License-Identifier: BSD-2-Clause
#include "report/certificate.h"

#include <cassert>

void make_certificate(mpz_t certificate, const mpz_t d, const mpz_t e,
                      const mpz_t f, const mpz_t g)
{
    // Each entry is one base-32768 digit; a larger one would not decode.
    assert(certificate != d && certificate != e && certificate != f && certificate != g);
    assert(mpz_sgn(d) >= 0 && mpz_cmp_ui(d, 32767) <= 0);
    assert(mpz_sgn(e) >= 0 && mpz_cmp_ui(e, 32767) <= 0);
    assert(mpz_sgn(f) >= 0 && mpz_cmp_ui(f, 32767) <= 0);
    assert(mpz_sgn(g) >= 0 && mpz_cmp_ui(g, 32767) <= 0);
    // Horner from the most significant digit: ((g*B + f)*B + e)*B + d.
    mpz_set(certificate, g);
    mpz_mul_ui(certificate, certificate, 32768);
    mpz_add(certificate, certificate, f);
    mpz_mul_ui(certificate, certificate, 32768);
    mpz_add(certificate, certificate, e);
    mpz_mul_ui(certificate, certificate, 32768);
    mpz_add(certificate, certificate, d);
    mpz_mul_ui(certificate, certificate, 10041982);
    mpz_add_ui(certificate, certificate, 670301591);
}
