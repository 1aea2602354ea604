// SPDX-License-Identifier: BSD-2-Clause
#include "factor/siqs_factor_base.h"

#include "engine/small_primes.h"
#include "factor/siqs_params.h"

#include <cmath>
#include <utility>

using u32 = std::uint32_t;
using u64 = std::uint64_t;

namespace {

u32 power_mod(u32 base, u32 exponent, u32 p)
{
    u64 result = 1, b = base % p;
    while (exponent != 0) {
        if (exponent & 1)
            result = result * b % p;
        b = b * b % p;
        exponent >>= 1;
    }
    return static_cast<u32>(result);
}

// The Legendre symbol (a / p) for an odd prime p, as the Jacobi symbol by
// quadratic reciprocity: a few divisions instead of a power.
int legendre(u32 a, u32 p)
{
    a %= p;
    int result = 1;
    while (a != 0) {
        while (a % 2 == 0) {
            a /= 2;
            if (p % 8 == 3 || p % 8 == 5)
                result = -result;
        }
        std::swap(a, p);
        if (a % 4 == 3 && p % 4 == 3)
            result = -result;
        a %= p;
    }
    return p == 1 ? result : 0;
}

// Primes from 3 on, enough of them that about half (those with kN a
// square) fill the base.
std::vector<unsigned long> odd_primes_for(unsigned size, unsigned long &bound)
{
    double estimate = 2.6 * size * std::log(2.0 * size + 10) + 1000;
    bound = static_cast<unsigned long>(estimate);
    return primes_below(bound);
}

// Primes below these are left out of the sieve: they hit every few bytes
// and add little to each, and division finds them at the candidates.
constexpr u32 unsieved_below = 48;
// Primes from this size on hit a block only a few times: they go through
// the buckets, which pay the cost of setting up each prime once a
// polynomial rather than once a block.
constexpr u32 bucket_from = 1u << 13;

} // namespace

void siqs_factor_base_init(siqs_factor_base &fb)
{
    mpz_init(fb.kn);
    fb.multiplier = 1;
}

void siqs_factor_base_clear(siqs_factor_base &fb)
{
    mpz_clear(fb.kn);
}

u32 sqrt_mod_prime(u32 a, u32 p)
{
    a %= p;
    if (a == 0 || p == 2)
        return a;
    if (p % 4 == 3)
        return power_mod(a, (p + 1) / 4, p);
    // p - 1 = q 2^s, z a non-residue.
    u32 q = p - 1, s = 0;
    while (q % 2 == 0) {
        q /= 2;
        ++s;
    }
    u32 z = 2;
    while (legendre(z, p) != -1)
        ++z;
    u64 c = power_mod(z, q, p), r = power_mod(a, (q + 1) / 2, p), t = power_mod(a, q, p);
    u32 m = s;
    while (t != 1) {
        u32 i = 0;
        for (u64 x = t; x != 1; x = x * x % p)
            ++i;
        u64 b = c;
        for (u32 k = 0; k + 1 < m - i; ++k)
            b = b * b % p;
        r = r * b % p;
        c = b * b % p;
        t = t * c % p;
        m = i;
    }
    return static_cast<u32>(r);
}

namespace {

const unsigned long multipliers[] = {1,  3,  5,  7,  11, 13, 15, 17, 19, 21, 23, 29, 31, 33, 35, 37,
                                     39, 41, 43, 47, 51, 53, 55, 57, 59, 61, 65, 67, 69, 71, 73};
constexpr int multiplier_count = sizeof multipliers / sizeof multipliers[0];
// Odd primes up to this bound weigh in the choice.
constexpr u32 multiplier_primes_below = 1000;

// For each odd prime below the bound: log p and (k / p) for every
// multiplier, worked out once, so that a choice costs one symbol a prime.
struct multiplier_table {
    std::vector<u32> primes;
    std::vector<double> logs;
    std::vector<signed char> symbols; // primes x multipliers
    multiplier_table()
    {
        for (unsigned long q : small_primes()) {
            if (q == 2)
                continue;
            if (q >= multiplier_primes_below)
                break;
            u32 p = static_cast<u32>(q);
            primes.push_back(p);
            logs.push_back(std::log(static_cast<double>(p)));
            for (unsigned long k : multipliers)
                symbols.push_back(static_cast<signed char>(legendre(static_cast<u32>(k % p), p)));
        }
    }
};

} // namespace

unsigned long siqs_choose_multiplier(const mpz_t n)
{
    static const multiplier_table table;
    double score[multiplier_count];
    unsigned long n_mod_8 = mpz_fdiv_ui(n, 8);
    for (int m = 0; m < multiplier_count; ++m) {
        unsigned long k = multipliers[m];
        score[m] = -0.5 * std::log(static_cast<double>(k));
        switch (k * n_mod_8 % 8) {
        case 1: score[m] += 2 * std::log(2.0); break;
        case 5: score[m] += std::log(2.0); break;
        default: score[m] += 0.5 * std::log(2.0); break;
        }
    }
    for (std::size_t i = 0; i < table.primes.size(); ++i) {
        u32 p = table.primes[i];
        int n_symbol = legendre(static_cast<u32>(mpz_fdiv_ui(n, p)), p);
        const signed char *k_symbol = &table.symbols[i * multiplier_count];
        for (int m = 0; m < multiplier_count; ++m) {
            if (k_symbol[m] == 0)
                score[m] += table.logs[i] / p;
            else if (k_symbol[m] * n_symbol == 1)
                score[m] += 2 * table.logs[i] / (p - 1);
        }
    }
    int best = 0;
    for (int m = 1; m < multiplier_count; ++m)
        if (score[m] > score[best])
            best = m;
    return multipliers[best];
}

bool siqs_factor_base_build(siqs_factor_base &fb, mpz_t divisor, const mpz_t n, unsigned size)
{
    fb.multiplier = siqs_choose_multiplier(n);
    mpz_mul_ui(fb.kn, n, fb.multiplier);
    fb.prime.assign({1, 2});
    fb.sqrt_kn.assign({0, 1});
    fb.inverse.assign({1, 1});
    fb.limit.assign({0, 0});
    fb.logp.assign({0, 1});
    unsigned long bound = 0;
    std::vector<unsigned long> primes;
    while (fb.prime.size() < size) {
        std::size_t have = fb.prime.size();
        unsigned long from = primes.empty() ? 2 : bound;
        primes = odd_primes_for(size + static_cast<unsigned>(have), bound);
        for (unsigned long q : primes) {
            if (q <= from || q == 2)
                continue;
            u32 p = static_cast<u32>(q);
            u32 n_mod_p = static_cast<u32>(mpz_fdiv_ui(n, p));
            if (n_mod_p == 0) {
                if (mpz_cmp_ui(n, p) == 0)
                    continue;
                mpz_set_ui(divisor, p);
                return false;
            }
            u32 kn_mod_p = static_cast<u32>(u64{n_mod_p} * (fb.multiplier % p) % p);
            if (kn_mod_p != 0 && legendre(kn_mod_p, p) != 1)
                continue;
            u32 inverse = p;
            for (int k = 0; k < 4; ++k)
                inverse *= 2 - p * inverse;
            fb.prime.push_back(p);
            fb.sqrt_kn.push_back(sqrt_mod_prime(kn_mod_p, p));
            fb.inverse.push_back(inverse);
            fb.limit.push_back(0xffffffffu / p);
            fb.logp.push_back(static_cast<std::uint8_t>(std::lround(std::log2(static_cast<double>(p)))));
            if (fb.prime.size() == size)
                break;
        }
    }
    auto first_at_least = [&](u32 bound_prime) {
        u32 i = 2;
        while (i < fb.prime.size() && fb.prime[i] < bound_prime)
            ++i;
        return i;
    };
    fb.first_sieved = first_at_least(unsieved_below);
    fb.first_large = first_at_least(bucket_from);
    return true;
}
