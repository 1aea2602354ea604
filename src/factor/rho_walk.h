// SPDX-License-Identifier: BSD-2-Clause
// Brent's walk of Pollard's rho on a number of one or two machine words in
// Montgomery form: y -> y^2 + c from a start, the differences x - y of the
// walk against its saved point multiplied together and a gcd with n taken
// once per batch of 128 steps; a batch that overshoots (the gcd is n
// itself) is walked again one step at a time. It finds a prime factor p
// after about sqrt(p) steps. The arithmetic is a ring's: word_ring for one
// word (word_factor.cpp), double_word_ring for two (rho.cpp); numbers of
// GMP's size have their own walk in rho.cpp.
#pragma once

#include "factor/double_word.h"
#include "factor/word_montgomery.h"

#include <algorithm>

// Modulo an odd n below 2^64.
struct word_ring {
    using value = u64;
    const word_modulus &m;
    value n() const { return m.n; }
    value one() const { return m.one; }
    value mul(value a, value b) const { return word_mul(m, a, b); }
    value add(value a, value b) const { return word_add(m, a, b); }
    value sub(value a, value b) const { return word_sub(m, a, b); }
};

// Modulo an odd n below 2^128.
struct double_word_ring {
    using value = u128;
    const double_word_modulus &m;
    value n() const { return double_word_value(m); }
    value one() const { return m.one; }
    value mul(value a, value b) const { return double_word_mul(m, a, b); }
    value add(value a, value b) const { return double_word_add(m, a, b); }
    value sub(value a, value b) const { return double_word_sub(m, a, b); }
};

inline int trailing_zeros(u64 x)
{
    return __builtin_ctzll(x);
}

inline int trailing_zeros(u128 x)
{
    u64 low = static_cast<u64>(x);
    return low != 0 ? __builtin_ctzll(low) : 64 + __builtin_ctzll(static_cast<u64>(x >> 64));
}

// Stein's binary gcd.
template <class value> value binary_gcd(value a, value b)
{
    if (a == 0)
        return b;
    if (b == 0)
        return a;
    int shift = trailing_zeros(a | b);
    a >>= trailing_zeros(a);
    do {
        b >>= trailing_zeros(b);
        if (a > b)
            std::swap(a, b);
        b -= a;
    } while (b != 0);
    return a << shift;
}

// The walk for the polynomial y^2 + c (c as it is, not in the form) from
// start (in the form): true with a proper divisor of n; false when the
// cycle closed on n itself, or after about max_steps steps.
template <class ring>
bool brent_walk(typename ring::value &divisor, const ring &r, typename ring::value start,
                typename ring::value c, unsigned long max_steps)
{
    using value = typename ring::value;
    const unsigned long batch = 128;
    const value n = r.n();
    auto step = [&](value y) { return r.add(r.mul(y, y), c); };
    value y = start, x = y, saved = y, product = r.one(), g = 1;
    unsigned long steps = 0;
    for (unsigned long length = 1; g == 1 && steps < max_steps; length *= 2) {
        x = y;
        for (unsigned long i = 0; i < length; ++i)
            y = step(y);
        steps += length;
        for (unsigned long k = 0; k < length && g == 1; k += batch) {
            saved = y;
            unsigned long run = std::min(batch, length - k);
            for (unsigned long i = 0; i < run; ++i) {
                y = step(y);
                product = r.mul(product, r.sub(x, y));
            }
            steps += run;
            g = binary_gcd(product, n);
        }
    }
    if (g == n) {
        // The batch overshot: its steps once more, one gcd each.
        do {
            saved = step(saved);
            g = binary_gcd(r.sub(x, saved), n);
        } while (g == 1);
    }
    if (g == 1 || g == n)
        return false;
    divisor = g;
    return true;
}
