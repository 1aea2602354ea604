// SPDX-License-Identifier: BSD-2-Clause
// Arithmetic modulo an odd n below 2^128 in Montgomery form (x stands for
// x * 2^128 mod n), on two 64-bit words: a product is four word products
// and four more for the reduction, where mpz_mul and mpz_mod on numbers of
// two limbs cost a division each. Every value is kept in [0, n).
#pragma once

#include "factor/word_montgomery.h"

#include <gmp.h>

// x = z for 0 <= z < 2^128, and z = x. (mpz_getlimbn gives 0 past the
// number's limbs.)
inline u128 double_word_from_mpz(const mpz_t z)
{
    return static_cast<u128>(mpz_getlimbn(z, 1)) << 64 | mpz_getlimbn(z, 0);
}

inline void double_word_to_mpz(mpz_t z, u128 x)
{
    mpz_set_ui(z, static_cast<unsigned long>(x >> 64));
    mpz_mul_2exp(z, z, 64);
    mpz_add_ui(z, z, static_cast<unsigned long>(x));
}

struct double_word_modulus {
    u64 low, high; // n
    u64 inverse;   // -n^-1 mod 2^64
    u128 one;      // 2^128 mod n, the form of 1
};

inline u128 double_word_value(const double_word_modulus &m)
{
    return static_cast<u128>(m.high) << 64 | m.low;
}

inline void double_word_modulus_set(double_word_modulus &m, u128 n)
{
    m.low = static_cast<u64>(n);
    m.high = static_cast<u64>(n >> 64);
    u64 inverse = m.low;
    for (int k = 0; k < 5; ++k)
        inverse *= 2 - m.low * inverse;
    m.inverse = 0 - inverse;
    m.one = (0 - n) % n;
}

// a * b / 2^128 mod n, word by word (the coarsely integrated operand
// scanning method): after each word of b, the low word is cleared by
// adding a multiple of n and dropped. The sum stays below 2n.
inline u128 double_word_mul(const double_word_modulus &m, u128 a, u128 b)
{
    u64 a0 = static_cast<u64>(a), a1 = static_cast<u64>(a >> 64);
    u64 b_words[2] = {static_cast<u64>(b), static_cast<u64>(b >> 64)};
    u64 t0 = 0, t1 = 0, t2 = 0;
    for (u64 bi : b_words) {
        u128 p = static_cast<u128>(a0) * bi + t0;
        t0 = static_cast<u64>(p);
        p = static_cast<u128>(a1) * bi + t1 + static_cast<u64>(p >> 64);
        t1 = static_cast<u64>(p);
        p = static_cast<u128>(t2) + static_cast<u64>(p >> 64);
        t2 = static_cast<u64>(p);
        u64 t3 = static_cast<u64>(p >> 64);
        u64 q = t0 * m.inverse;
        p = static_cast<u128>(q) * m.low + t0;
        p = static_cast<u128>(q) * m.high + t1 + static_cast<u64>(p >> 64);
        t0 = static_cast<u64>(p);
        p = static_cast<u128>(t2) + static_cast<u64>(p >> 64);
        t1 = static_cast<u64>(p);
        t2 = t3 + static_cast<u64>(p >> 64);
    }
    u128 r = static_cast<u128>(t1) << 64 | t0;
    u128 n = double_word_value(m);
    return (t2 != 0 || r >= n) ? r - n : r;
}

inline u128 double_word_add(const double_word_modulus &m, u128 a, u128 b)
{
    u128 n = double_word_value(m);
    u128 r = a + b;
    return (r < a || r >= n) ? r - n : r;
}

inline u128 double_word_sub(const double_word_modulus &m, u128 a, u128 b)
{
    return a >= b ? a - b : a - b + double_word_value(m);
}

// The form of x < n, and x back from its form.
inline u128 double_word_to_form(const double_word_modulus &m, u128 x)
{
    // x * 2^128 mod n by 128 doublings: only when entering the form.
    for (int k = 0; k < 128; ++k)
        x = double_word_add(m, x, x);
    return x;
}

inline u128 double_word_from_form(const double_word_modulus &m, u128 a)
{
    return double_word_mul(m, a, 1);
}
