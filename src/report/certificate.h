// SPDX-License-Identifier: BSD-2-Clause
// The secondary certificate: the matrix that split N packed into one number.
//
// P = d + e*2^15 + f*2^30 + g*2^45 (the entries as base-32768 digits, least
// significant first) and C = P*10041982 + 670301591. Each entry is below
// 2^15, so C is at most 84 bits and (C - 670301591) / 10041982 gives the
// entries back.
#pragma once

#include <gmp.h>

// certificate = the packing of [[d, e], [f, g]]; certificate must not be one
// of the entries.
void make_certificate(mpz_t certificate, const mpz_t d, const mpz_t e,
                      const mpz_t f, const mpz_t g);
