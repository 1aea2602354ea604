// SPDX-License-Identifier: BSD-2-Clause
// M^E mod m for a drawn test matrix, by Cayley-Hamilton instead of matrix
// products.
//
// With trace t = d + g and determinant D = dg - ef, M^2 = t*M - D*I, so every
// power is M^k = a_k*M + b_k*I, and
//   M^(2k)   = a_k*(t*a_k + 2*b_k) * M + (b_k^2 - D*a_k^2) * I,
//   M^(k+1)  = (t*a_k + b_k) * M - D*a_k * I.
// A doubling costs one multiplication and two squarings of numbers below m,
// a step by M only multiplications by the small words t and D (|t|, |D| <
// 2^31 for entries below 2^15). Per bit of E that is 3 multiplications where
// the plain binary method makes 8 to 16. The result is the same matrix,
// with every entry in [0, m).
#pragma once

#include "engine/matrix.h"

#include <functional>
#include <gmp.h>

// Everything the power uses, created once and reused.
struct fast_power_scratch {
    mpz_t a, b, a2, t;
};

void fast_power_scratch_init(fast_power_scratch &s);
void fast_power_scratch_clear(fast_power_scratch &s);

// Called now and then with the share of E's bits done, from 0 to 1; the
// power stops early when it returns false. An empty one is never called.
using power_progress = std::function<bool(double done)>;

// r = m^e mod n, for a matrix with entries in [0, 2^15), e >= 0 and n > 1.
// For e = 0, r is the identity. Aliasing is allowed: r may be m. The result
// equals matrix_pow_mod's with every entry reduced into [0, n). Returns false,
// with r unspecified, when progress stopped the power.
bool fast_matrix_pow_mod(matrix2 &r, const matrix2 &m, const mpz_t e, const mpz_t n,
                         fast_power_scratch &s, const power_progress &progress = {});
