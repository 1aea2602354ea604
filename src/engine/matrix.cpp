// SPDX-License-Identifier: BSD-2-Clause
#include "engine/matrix.h"

#include <cassert>
#include <cstddef>

void matrix_init(matrix2 &m)
{
    for (auto &v : m.x)
        mpz_init(v);
}

void matrix_clear(matrix2 &m)
{
    for (auto &v : m.x)
        mpz_clear(v);
}

void matrix_set(matrix2 &dst, const matrix2 &src)
{
    for (int i = 0; i < 4; ++i)
        mpz_set(dst.x[i], src.x[i]);
}

void matrix_set_ui(matrix2 &m, unsigned long x00, unsigned long x01,
                   unsigned long x10, unsigned long x11)
{
    mpz_set_ui(m.x[0], x00);
    mpz_set_ui(m.x[1], x01);
    mpz_set_ui(m.x[2], x10);
    mpz_set_ui(m.x[3], x11);
}

bool matrix_equal(const matrix2 &a, const matrix2 &b)
{
    for (int i = 0; i < 4; ++i)
        if (mpz_cmp(a.x[i], b.x[i]) != 0)
            return false;
    return true;
}

void matrix_scratch_init(matrix_scratch &s)
{
    for (auto &v : s.entry)
        mpz_init(v);
    mpz_init(s.left);
    mpz_init(s.right);
    matrix_init(s.square);
}

void matrix_scratch_clear(matrix_scratch &s)
{
    for (auto &v : s.entry)
        mpz_clear(v);
    mpz_clear(s.left);
    mpz_clear(s.right);
    matrix_clear(s.square);
}

namespace {

// out = (p*q + u*v) mod n, through the two partial-product scratches.
inline void dot_mod(mpz_t out, const mpz_t p, const mpz_t q, const mpz_t u,
                    const mpz_t v, const mpz_t n, matrix_scratch &s)
{
    mpz_mul(s.left, p, q);
    mpz_mul(s.right, u, v);
    mpz_add(s.left, s.left, s.right);
    mpz_mod(out, s.left, n);
}

} // namespace

void matrix_mul_mod(matrix2 &c, const matrix2 &a, const matrix2 &b,
                    const mpz_t n, matrix_scratch &s)
{
    assert(mpz_sgn(n) > 0);
    dot_mod(s.entry[0], a.x[0], b.x[0], a.x[1], b.x[2], n, s);
    dot_mod(s.entry[1], a.x[0], b.x[1], a.x[1], b.x[3], n, s);
    dot_mod(s.entry[2], a.x[2], b.x[0], a.x[3], b.x[2], n, s);
    dot_mod(s.entry[3], a.x[2], b.x[1], a.x[3], b.x[3], n, s);
    // Swapping rather than copying hands c's old storage to the scratch,
    // where the next product overwrites it.
    for (int i = 0; i < 4; ++i)
        mpz_swap(c.x[i], s.entry[i]);
}

void matrix_pow_mod(matrix2 &r, const matrix2 &m, const mpz_t e, const mpz_t n,
                    matrix_scratch &s)
{
    assert(mpz_sgn(n) > 0);
    assert(mpz_sgn(e) >= 0);
    // The base is copied before r is touched, so r may be m.
    matrix_set(s.square, m);
    matrix_set_ui(r, 1, 0, 0, 1);
    // Walking the bits of e leaves e untouched and is the same as halving
    // it down to 0. The squaring also runs after the top bit.
    std::size_t bits = mpz_sgn(e) == 0 ? 0 : mpz_sizeinbase(e, 2);
    for (std::size_t i = 0; i < bits; ++i) {
        if (mpz_tstbit(e, i))
            matrix_mul_mod(r, r, s.square, n, s);
        matrix_mul_mod(s.square, s.square, s.square, n, s);
    }
}
