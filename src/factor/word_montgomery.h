// SPDX-License-Identifier: BSD-2-Clause
// Arithmetic modulo an odd n below 2^64 in Montgomery form (x stands for
// x * 2^64 mod n), so that a product needs two multiplications and no
// division. Every value is kept in [0, n).
#pragma once

#include <cstdint>

using u64 = std::uint64_t;
__extension__ typedef unsigned __int128 u128;

struct word_modulus {
    u64 n;
    u64 inverse; // n^-1 mod 2^64
    u64 one;     // 2^64 mod n, the form of 1
    u64 square;  // 2^128 mod n, to bring numbers into the form
};

inline void word_modulus_set(word_modulus &m, u64 n)
{
    // Newton's iteration doubles the correct low bits: n * n = 1 mod 8
    // gives 3, five steps give 96.
    u64 inverse = n;
    for (int k = 0; k < 5; ++k)
        inverse *= 2 - n * inverse;
    m.n = n;
    m.inverse = inverse;
    m.one = (0 - n) % n;
    m.square = static_cast<u64>(static_cast<u128>(m.one) * m.one % n);
}

// t / 2^64 mod n for t < n * 2^64: subtracting q * n, with q chosen so that
// the low words agree, leaves a difference in (-n, n).
inline u64 word_reduce(const word_modulus &m, u128 t)
{
    u64 q = static_cast<u64>(t) * m.inverse;
    u64 high = static_cast<u64>(t >> 64);
    u64 qn_high = static_cast<u64>(static_cast<u128>(q) * m.n >> 64);
    u64 r = high - qn_high;
    return high < qn_high ? r + m.n : r;
}

inline u64 word_mul(const word_modulus &m, u64 a, u64 b)
{
    return word_reduce(m, static_cast<u128>(a) * b);
}

inline u64 word_add(const word_modulus &m, u64 a, u64 b)
{
    u64 r = a + b;
    return (r < a || r >= m.n) ? r - m.n : r;
}

inline u64 word_sub(const word_modulus &m, u64 a, u64 b)
{
    return a >= b ? a - b : a - b + m.n;
}

// The form of x < 2^64, and x back from its form.
inline u64 word_to_form(const word_modulus &m, u64 x)
{
    return word_mul(m, x % m.n, m.square);
}

inline u64 word_from_form(const word_modulus &m, u64 a)
{
    return word_reduce(m, a);
}

// The form of a^e, from the form of a.
inline u64 word_pow(const word_modulus &m, u64 a, u64 e)
{
    u64 r = m.one;
    while (e != 0) {
        if (e & 1)
            r = word_mul(m, r, a);
        a = word_mul(m, a, a);
        e >>= 1;
    }
    return r;
}
