// SPDX-License-Identifier: BSD-2-Clause
// 2x2 matrices of big integers modulo N: the product and the power by
// repeated squaring that each factoring test spends nearly all its time in.
//
// A product costs 8 multiplications of numbers below N, 4 additions and 4
// reductions; M^E costs one squaring per bit of E plus one product per set
// bit, so between L+1 and 2L products for an L-bit E. The scratch integers
// are created once by the caller and grow to their working size on the first
// product; after that no product allocates.
#pragma once

#include <gmp.h>

// Row-major [[x[0], x[1]], [x[2], x[3]]].
struct matrix2 {
    mpz_t x[4];
};

// Room for one product under construction (four entries and the two partial
// products of one entry), which is what lets the destination be an operand,
// and the running square of a power, which is what leaves its base alone.
struct matrix_scratch {
    mpz_t entry[4];
    mpz_t left, right;
    matrix2 square;
};

void matrix_init(matrix2 &m);
void matrix_clear(matrix2 &m);
void matrix_set(matrix2 &dst, const matrix2 &src);
void matrix_set_ui(matrix2 &m, unsigned long x00, unsigned long x01,
                   unsigned long x10, unsigned long x11);
bool matrix_equal(const matrix2 &a, const matrix2 &b);
void matrix_scratch_init(matrix_scratch &s);
void matrix_scratch_clear(matrix_scratch &s);

// c = a*b with every entry reduced into [0, n), for n > 0. Each entry is
// formed as two full products and their sum, reduced once. Aliasing is
// allowed: c may be a, b or both.
void matrix_mul_mod(matrix2 &c, const matrix2 &a, const matrix2 &b,
                    const mpz_t n, matrix_scratch &s);

// r = m^e mod n for e >= 0 and n > 0, by the binary method from the least
// significant bit, r on the left of each product. m is not changed: the
// squares are formed in s.square. For e = 0, r is the identity, unreduced.
// Aliasing is allowed: r may be m.
void matrix_pow_mod(matrix2 &r, const matrix2 &m, const mpz_t e, const mpz_t n,
                    matrix_scratch &s);
