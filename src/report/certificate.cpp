#include "report/certificate.h"

void make_certificate(mpz_t certificate, const mpz_t d, const mpz_t e,
                      const mpz_t f, const mpz_t g)
{
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
