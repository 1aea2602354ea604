// SPDX-License-Identifier: BSD-2-Clause
#include "factor/word_prime.h"

namespace {

const u64 bases_below_4759123141[] = {2, 7, 61};
const u64 bases_below_2_64[] = {2, 325, 9375, 28178, 450775, 9780504, 1795265022};

// The strong test of odd n to base a, where n - 1 = d * 2^s with d odd. A
// base that is a multiple of n says nothing and passes.
bool strong_probable_prime(const word_modulus &m, u64 a, u64 d, int s)
{
    a %= m.n;
    if (a == 0)
        return true;
    u64 x = word_pow(m, word_to_form(m, a), d);
    u64 minus_one = m.n - m.one;
    if (x == m.one || x == minus_one)
        return true;
    for (int k = 1; k < s; ++k) {
        x = word_mul(m, x, x);
        if (x == minus_one)
            return true;
        if (x == m.one)
            return false;
    }
    return false;
}

template <std::size_t count>
bool passes_all(const word_modulus &m, const u64 (&bases)[count], u64 d, int s)
{
    for (u64 a : bases)
        if (!strong_probable_prime(m, a, d, s))
            return false;
    return true;
}

} // namespace

bool word_is_prime(u64 n)
{
    if (n < 64)
        return (0x28208a20a08a28acULL >> n) & 1; // the primes below 64
    if (n % 2 == 0 || n % 3 == 0 || n % 5 == 0 || n % 7 == 0)
        return false;
    if (n < 121)
        return true;
    word_modulus m;
    word_modulus_set(m, n);
    u64 d = n - 1;
    int s = __builtin_ctzll(d);
    d >>= s;
    if (n < 4759123141ULL)
        return passes_all(m, bases_below_4759123141, d, s);
    return passes_all(m, bases_below_2_64, d, s);
}
