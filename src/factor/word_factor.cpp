// SPDX-License-Identifier: BSD-2-Clause
#include "factor/word_factor.h"

#include "factor/word_prime.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned trial_bound = 1024;
constexpr int odd_primes_below_bound = 171;

// An odd prime p as a multiplier: p divides x exactly when x * inverse,
// which is then x / p, is at most most / p.
struct trial_prime {
    u64 p;
    u64 inverse; // p^-1 mod 2^64
    u64 limit;   // (2^64 - 1) / p
};

struct trial_table {
    trial_prime primes[odd_primes_below_bound];
    trial_table()
    {
        int count = 0;
        for (u64 p = 3; p < trial_bound; p += 2) {
            bool prime = true;
            for (u64 q = 3; q * q <= p; q += 2)
                prime = prime && p % q != 0;
            if (!prime)
                continue;
            u64 inverse = p;
            for (int k = 0; k < 5; ++k)
                inverse *= 2 - p * inverse;
            primes[count++] = {p, inverse, ~u64{0} / p};
        }
    }
};

const trial_table table;

u64 gcd(u64 a, u64 b)
{
    if (a == 0)
        return b;
    if (b == 0)
        return a;
    int shift = __builtin_ctzll(a | b);
    a >>= __builtin_ctzll(a);
    do {
        b >>= __builtin_ctzll(b);
        if (a > b)
            std::swap(a, b);
        b -= a;
    } while (b != 0);
    return a << shift;
}

// The integer square root of n when n is a square, else 0.
u64 exact_square_root(u64 n)
{
    constexpr u64 largest_root = 0xffffffff;
    u64 r = std::min(static_cast<u64>(std::sqrt(static_cast<double>(n))), largest_root);
    while (r * r > n)
        --r;
    while (r < largest_root && (r + 1) * (r + 1) <= n)
        ++r;
    return r * r == n ? r : 0;
}

void add_prime(word_factors &f, u64 p, unsigned power)
{
    for (int k = 0; k < f.count; ++k) {
        if (f.primes[k] == p) {
            f.powers[k] += power;
            return;
        }
    }
    f.primes[f.count] = p;
    f.powers[f.count] = power;
    ++f.count;
}

u64 rho_divisor(u64 n);

// n > 1 with no prime factor below trial_bound.
void factor_large(word_factors &f, u64 n, unsigned power)
{
    if (n < u64{trial_bound} * trial_bound || word_is_prime(n)) {
        add_prime(f, n, power);
        return;
    }
    if (u64 root = exact_square_root(n)) {
        factor_large(f, root, 2 * power);
        return;
    }
    u64 d = rho_divisor(n);
    factor_large(f, d, power);
    factor_large(f, n / d, power);
}

// A proper divisor of the odd composite n, which is no prime's square.
u64 rho_divisor(u64 n)
{
    word_modulus m;
    word_modulus_set(m, n);
    constexpr u64 batch = 128;
    for (u64 c = 1;; ++c) {
        auto step = [&](u64 y) { return word_add(m, word_mul(m, y, y), c); };
        u64 y = m.one, x = y, saved = y, product = m.one, g = 1;
        for (u64 r = 1; g == 1; r <<= 1) {
            x = y;
            for (u64 i = 0; i < r; ++i)
                y = step(y);
            for (u64 k = 0; k < r && g == 1; k += batch) {
                saved = y;
                u64 steps = std::min(batch, r - k);
                for (u64 i = 0; i < steps; ++i) {
                    y = step(y);
                    product = word_mul(m, product, word_sub(m, x, y));
                }
                g = gcd(product, n);
            }
        }
        if (g == n) {
            // The batch overshot: its steps once more, one gcd each.
            do {
                saved = step(saved);
                g = gcd(word_sub(m, x, saved), n);
            } while (g == 1);
        }
        if (g != n)
            return g;
    }
}

} // namespace

void word_factor(word_factors &f, u64 n)
{
    f.count = 0;
    if (int twos = __builtin_ctzll(n)) {
        add_prime(f, 2, static_cast<unsigned>(twos));
        n >>= twos;
    }
    for (const trial_prime &t : table.primes) {
        if (t.p * t.p > n)
            break;
        unsigned power = 0;
        while (n * t.inverse <= t.limit) {
            n *= t.inverse;
            ++power;
        }
        if (power != 0)
            add_prime(f, t.p, power);
    }
    if (n > 1)
        factor_large(f, n, 1);
    // Insertion sort: at most 15 primes.
    for (int k = 1; k < f.count; ++k) {
        for (int j = k; j > 0 && f.primes[j - 1] > f.primes[j]; --j) {
            std::swap(f.primes[j - 1], f.primes[j]);
            std::swap(f.powers[j - 1], f.powers[j]);
        }
    }
}
