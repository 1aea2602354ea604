// SPDX-License-Identifier: BSD-2-Clause
#include "factor/siqs_poly.h"

#include "factor/cpu_support.h"

#include <algorithm>
#include <cassert>
#include <cmath>

using u32 = std::uint32_t;
using u64 = std::uint64_t;

namespace {

// a^-1 mod p for a coprime to p, by the extended Euclidean algorithm on
// 32-bit words, the coefficients kept non-negative with alternating signs.
u32 inverse_mod(u32 a, u32 p)
{
    u32 r0 = p, r1 = a % p, s0 = 0, s1 = 1;
    bool negative = false; // the sign of s1; s0 has the other
    while (r1 > 1) {
        u32 q = r0 / r1;
        u32 r2 = r0 - q * r1, s2 = s0 + q * s1;
        r0 = r1;
        r1 = r2;
        s0 = s1;
        s1 = s2;
        negative = !negative;
    }
    return negative ? p - s1 : s1;
}

u64 mix(u64 &state)
{
    u64 z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

double log2_of(const mpz_t z)
{
    long exponent = 0;
    double mantissa = mpz_get_d_2exp(&exponent, z);
    return std::log2(mantissa) + static_cast<double>(exponent);
}

// The first base index at or after `from` whose prime is at least `value`.
u32 index_of_prime_at_least(const siqs_factor_base &fb, double value, u32 from)
{
    auto begin = fb.prime.begin() + from;
    auto it = std::lower_bound(begin, fb.prime.end(), value,
                               [](u32 p, double v) { return static_cast<double>(p) < v; });
    return static_cast<u32>(it - fb.prime.begin());
}

} // namespace

void siqs_poly_init(siqs_poly &poly)
{
    mpz_inits(poly.a, poly.b, poly.c, poly.scratch, poly.scratch2, nullptr);
    for (auto &t : poly.b_terms)
        mpz_init(t);
    poly.s = 0;
    poly.index = 0;
}

void siqs_poly_clear(siqs_poly &poly)
{
    mpz_clears(poly.a, poly.b, poly.c, poly.scratch, poly.scratch2, nullptr);
    for (auto &t : poly.b_terms)
        mpz_clear(t);
}

void siqs_poly_start(siqs_poly &poly, const siqs_factor_base &fb,
                     const std::vector<u32> &a_factors, u32 half_interval)
{
    const u32 size = static_cast<u32>(fb.prime.size());
    poly.s = static_cast<unsigned>(a_factors.size());
    poly.a_factors = a_factors;
    poly.index = 0;
    mpz_set_ui(poly.a, 1);
    for (u32 i : a_factors)
        mpz_mul_ui(poly.a, poly.a, fb.prime[i]);
    mpz_set_ui(poly.b, 0);
    for (unsigned l = 0; l < poly.s; ++l) {
        u32 q = fb.prime[a_factors[l]];
        mpz_divexact_ui(poly.scratch, poly.a, q);
        u32 inverse = inverse_mod(static_cast<u32>(mpz_fdiv_ui(poly.scratch, q)), q);
        u32 gamma = static_cast<u32>(u64{fb.sqrt_kn[a_factors[l]]} * inverse % q);
        if (gamma > q / 2)
            gamma = q - gamma;
        mpz_mul_ui(poly.b_terms[l], poly.scratch, gamma);
        mpz_add(poly.b, poly.b, poly.b_terms[l]);
    }
    mpz_mul(poly.c, poly.b, poly.b);
    mpz_sub(poly.c, poly.c, fb.kn);
    assert(mpz_divisible_p(poly.c, poly.a));
    mpz_divexact(poly.c, poly.c, poly.a);

    poly.root1.assign(size, 0);
    poly.root2.assign(size, 0);
    poly.delta.assign(static_cast<std::size_t>(poly.s) * size, 0);
    std::size_t next_a = 0;
    for (u32 i = 2; i < size; ++i) {
        if (next_a < a_factors.size() && a_factors[next_a] == i) {
            ++next_a;
            continue;
        }
        u32 p = fb.prime[i];
        u64 ainv = inverse_mod(static_cast<u32>(mpz_fdiv_ui(poly.a, p)), p);
        u64 b = mpz_fdiv_ui(poly.b, p);
        u64 t = fb.sqrt_kn[i];
        u64 shift = half_interval % p;
        poly.root1[i] = static_cast<u32>((ainv * ((t + p - b) % p) + shift) % p);
        poly.root2[i] = static_cast<u32>((ainv * ((2 * p - t - b) % p) + shift) % p);
        for (unsigned l = 0; l < poly.s; ++l) {
            u64 bl = mpz_fdiv_ui(poly.b_terms[l], p);
            poly.delta[static_cast<std::size_t>(l) * size + i] = static_cast<u32>(2 * bl * ainv % p);
        }
    }
}

void siqs_poly_next(siqs_poly &poly, const siqs_factor_base &fb, unsigned &l, bool &up)
{
    ++poly.index;
    l = static_cast<unsigned>(__builtin_ctz(poly.index));
    // The sign of B_l is now that of bit l of the Gray code of the index.
    up = ((poly.index ^ (poly.index >> 1)) >> l) & 1;
    mpz_mul_2exp(poly.scratch, poly.b_terms[l], 1);
    if (up)
        mpz_sub(poly.b, poly.b, poly.scratch);
    else
        mpz_add(poly.b, poly.b, poly.scratch);
    mpz_mul(poly.c, poly.b, poly.b);
    mpz_sub(poly.c, poly.c, fb.kn);
    mpz_divexact(poly.c, poly.c, poly.a);
}

namespace {

// Independent lanes, which the compiler turns into vectors.
inline __attribute__((always_inline)) void move_roots_lanes(u32 *r1, u32 *r2, const u32 *prime,
                                                            const u32 *delta, bool up, u32 from,
                                                            u32 to)
{
    if (up) {
        for (u32 i = from; i < to; ++i) {
            u32 p = prime[i], d = delta[i];
            u32 a = r1[i] + d, b = r2[i] + d;
            r1[i] = a >= p ? a - p : a;
            r2[i] = b >= p ? b - p : b;
        }
    } else {
        for (u32 i = from; i < to; ++i) {
            u32 p = prime[i], d = delta[i];
            u32 a = r1[i] - d, b = r2[i] - d;
            r1[i] = a > r1[i] ? a + p : a;
            r2[i] = b > r2[i] ? b + p : b;
        }
    }
}

BROVANTEN_TARGET_AVX2 void move_roots_avx2(u32 *r1, u32 *r2, const u32 *prime, const u32 *delta,
                                           bool up, u32 from, u32 to)
{
    move_roots_lanes(r1, r2, prime, delta, up, from, to);
}

void move_roots_plain(u32 *r1, u32 *r2, const u32 *prime, const u32 *delta, bool up, u32 from,
                      u32 to)
{
    move_roots_lanes(r1, r2, prime, delta, up, from, to);
}

} // namespace

void siqs_poly_move_roots(siqs_poly &poly, const siqs_factor_base &fb, unsigned l, bool up,
                          u32 from, u32 to)
{
    const u32 *delta = &poly.delta[static_cast<std::size_t>(l) * fb.prime.size()];
    if (cpu_has_avx2())
        move_roots_avx2(poly.root1.data(), poly.root2.data(), fb.prime.data(), delta, up, from, to);
    else
        move_roots_plain(poly.root1.data(), poly.root2.data(), fb.prime.data(), delta, up, from, to);
}

bool siqs_a_chooser_init(siqs_a_chooser &chooser, const siqs_factor_base &fb, u32 half_interval,
                         std::uint64_t seed)
{
    chooser.state = seed;
    chooser.used.clear();
    const u32 size = static_cast<u32>(fb.prime.size());
    // Factors of A are sieved primes that do not divide the multiplier.
    u32 first = std::max<u32>(fb.first_sieved, 2);
    while (first < size && fb.sqrt_kn[first] == 0)
        ++first;
    chooser.first_usable = first;
    if (size < first + 4)
        return false;
    chooser.target_log = (log2_of(fb.kn) + 1) / 2 - std::log2(static_cast<double>(half_interval));
    double largest_log = std::log2(static_cast<double>(fb.prime.back()));
    double smallest_log = std::log2(static_cast<double>(fb.prime[first]));
    if (chooser.target_log < smallest_log + 1)
        return false;
    // Factors of about 2^11 where the base reaches that far: large enough
    // that A's primes cost the sieve little, small enough for many of them.
    double factor_log = std::min(11.0, largest_log - 1.5);
    factor_log = std::max(factor_log, smallest_log + 1);
    unsigned s = static_cast<unsigned>(std::lround(chooser.target_log / factor_log));
    s = std::clamp(s, 1u, siqs_max_a_factors);
    // One factor alone must be a base prime near the target.
    if (s == 1 && chooser.target_log > largest_log - 0.5)
        s = 2;
    chooser.s = s;
    double each_log = chooser.target_log / s;
    chooser.low = std::max(first, index_of_prime_at_least(fb, std::exp2(each_log - 0.8), first));
    chooser.high = index_of_prime_at_least(fb, std::exp2(each_log + 0.8), first);
    // Room for enough different choices.
    u32 wanted = 2 * s + 8;
    while (chooser.high - chooser.low < wanted && (chooser.low > first || chooser.high < size)) {
        if (chooser.low > first)
            --chooser.low;
        if (chooser.high < size)
            ++chooser.high;
    }
    if (chooser.high - chooser.low < s + 1)
        return false;
    chooser.tolerance = 0.6;
    return true;
}

bool siqs_choose_a(std::vector<u32> &a_factors, siqs_a_chooser &chooser,
                   const siqs_factor_base &fb)
{
    const u32 size = static_cast<u32>(fb.prime.size());
    const unsigned s = chooser.s;
    const u32 window = chooser.high - chooser.low;
    for (int round = 0; round < 6; ++round) {
        for (int attempt = 0; attempt < 300; ++attempt) {
            a_factors.clear();
            double log_a = 0;
            unsigned random_count = s == 1 ? 1 : s - 1;
            while (a_factors.size() < random_count) {
                u32 i = chooser.low + static_cast<u32>(mix(chooser.state) % window);
                if (std::find(a_factors.begin(), a_factors.end(), i) != a_factors.end())
                    continue;
                a_factors.push_back(i);
                log_a += std::log2(static_cast<double>(fb.prime[i]));
            }
            if (s > 1) {
                // The last factor brings A closest to the target.
                double rest = std::exp2(chooser.target_log - log_a);
                u32 i = index_of_prime_at_least(fb, rest, chooser.first_usable);
                if (i == size || (i > chooser.first_usable &&
                                  rest - fb.prime[i - 1] < fb.prime[i] - rest))
                    --i;
                while (i < size && std::find(a_factors.begin(), a_factors.end(), i) != a_factors.end())
                    ++i;
                if (i >= size || i < chooser.first_usable)
                    continue;
                a_factors.push_back(i);
                log_a += std::log2(static_cast<double>(fb.prime[i]));
            }
            if (std::fabs(log_a - chooser.target_log) > chooser.tolerance)
                continue;
            std::sort(a_factors.begin(), a_factors.end());
            u64 hash = 0xcbf29ce484222325u;
            for (u32 i : a_factors)
                hash = (hash ^ i) * 0x100000001b3u;
            if (!chooser.used.insert(hash).second)
                continue;
            return true;
        }
        // Few choices near the target: accept A values further from it.
        chooser.tolerance *= 1.5;
    }
    return false;
}
