// SPDX-License-Identifier: BSD-2-Clause
#include "factor/word_factor.h"

#include "factor/rho_walk.h"
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
    if (n < u64{trial_bound} * trial_bound) {
        f.found_by |= by_trial_division;
        add_prime(f, n, power);
        return;
    }
    if (word_is_prime(n)) {
        f.found_by |= by_strong_tests;
        add_prime(f, n, power);
        return;
    }
    if (u64 root = exact_square_root(n)) {
        f.found_by |= by_square_root;
        factor_large(f, root, 2 * power);
        return;
    }
    f.found_by |= by_rho;
    u64 d = rho_divisor(n);
    factor_large(f, d, power);
    factor_large(f, n / d, power);
}

// A proper divisor of the odd composite n, which is no prime's square:
// Brent's walk from 1 with the polynomials x^2 + 1, x^2 + 2, ... until one
// does not close its cycle on n itself.
u64 rho_divisor(u64 n)
{
    word_modulus m;
    word_modulus_set(m, n);
    word_ring ring{m};
    u64 divisor = 0;
    for (u64 c = 1; !brent_walk(divisor, ring, m.one, c, ~0ul); ++c) {
    }
    return divisor;
}

} // namespace

void word_factor(word_factors &f, u64 n)
{
    f.count = 0;
    f.found_by = 0;
    if (int twos = __builtin_ctzll(n)) {
        f.found_by |= by_trial_division;
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
        if (power != 0) {
            f.found_by |= by_trial_division;
            add_prime(f, t.p, power);
        }
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
