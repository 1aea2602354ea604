// SPDX-License-Identifier: BSD-2-Clause
// Numbers below 2^64 by trial division, rho and the proven strong tests:
// factorisations checked with PARI/GP, then random numbers of every size
// whose factors must multiply back to n and be prime to GMP, and the
// primality verdict against GMP's on strong pseudoprimes and around the
// bounds of the base sets.
#include "support/harness.h"

#include "factor/word_factor.h"
#include "factor/word_prime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string factors_text(const word_factors &f)
{
    std::string text;
    for (int k = 0; k < f.count; ++k) {
        text += (k == 0 ? "" : " ") + std::to_string(f.primes[k]);
        if (f.powers[k] != 1)
            text += "^" + std::to_string(f.powers[k]);
    }
    return text;
}

struct word_case {
    u64 n;
    const char *factors;
};

// From PARI/GP's factor().
const word_case pari_cases[] = {
    {2, "2"},
    {4, "2^2"},
    {18446744073709551615ULL, "3 5 17 257 641 65537 6700417"},
    {18446744073709551557ULL, "18446744073709551557"}, // the largest prime below 2^64
    {18446744030759878681ULL, "4294967291^2"},         // the largest 32-bit prime, squared
    {18446743979220271189ULL, "4294967279 4294967291"},
    {3825123056546413051ULL, "149491 747451 34233211"}, // strong liar to the primes up to 23
    {3215031751ULL, "151 751 28351"},                   // strong liar to 2, 3, 5 and 7
    {4759123141ULL, "48781 97561"},                     // strong liar to 2, 7 and 61
    {9223372036854775808ULL, "2^63"},
    {1052651, "1021 1031"}, // the last prime tried by division, and the first not
    {1065023, "1031 1033"},
    {1095912791, "1031^3"},
    {1201024845477409681ULL, "1031^6"},
    {614889782588491410ULL, "2 3 5 7 11 13 17 19 23 29 31 37 41 43 47"},
    {18437806108971278357ULL, "1048573 1048583 16769023"},
};

TEST(word_factor, known_factorisations)
{
    for (const word_case &c : pari_cases) {
        word_factors f;
        word_factor(f, c.n);
        EXPECT_EQ(factors_text(f), c.factors) << c.n;
    }
}

// Every factorisation, whatever n: ascending distinct primes whose powers
// multiply back to n.
void expect_factorisation(u64 n)
{
    word_factors f;
    word_factor(f, n);
    big product(1), p;
    for (int k = 0; k < f.count; ++k) {
        mpz_set_ui(p, f.primes[k]);
        EXPECT_GT(mpz_probab_prime_p(p, 30), 0) << n << ": " << factors_text(f);
        if (k > 0) {
            EXPECT_LT(f.primes[k - 1], f.primes[k]) << n << ": " << factors_text(f);
        }
        for (unsigned e = 0; e < f.powers[k]; ++e)
            mpz_mul(product, product, p);
    }
    EXPECT_EQ(product.str(), std::to_string(n)) << factors_text(f);
}

// Random numbers of every size, and products of two primes of equal size,
// which rho finds last.
TEST(word_factor, random_numbers_of_every_size)
{
    seeded_random random(20261210);
    big x, p, q;
    for (unsigned long bits = 2; bits <= 64; ++bits) {
        for (int k = 0; k < 60; ++k) {
            mpz_urandomb(x, random.state, bits);
            mpz_setbit(x, bits - 1);
            expect_factorisation(mpz_get_ui(x));
        }
        if (bits < 4)
            continue;
        for (int k = 0; k < 4; ++k) {
            mpz_urandomb(x, random.state, bits / 2);
            mpz_setbit(x, bits / 2 - 1);
            mpz_nextprime(p, x);
            mpz_urandomb(x, random.state, bits - bits / 2);
            mpz_setbit(x, bits - bits / 2 - 1);
            mpz_nextprime(q, x);
            mpz_mul(x, p, q);
            if (mpz_fits_ulong_p(x))
                expect_factorisation(mpz_get_ui(x));
        }
    }
}

// Sums and differences that pass 2^64 or 0, and products in and out of
// the form, against 128-bit arithmetic, for moduli up to 2^64 - 1.
TEST(word_montgomery, near_the_ends_of_the_word)
{
    for (u64 n : {u64{3}, u64{1000003}, (u64{1} << 63) + 1, u64{18446744073709551557ULL}, ~u64{0}}) {
        word_modulus m;
        word_modulus_set(m, n);
        for (u64 a : {u64{0}, u64{1}, n / 2, n - 2, n - 1}) {
            for (u64 b : {u64{0}, u64{1}, n / 2 + 1, n - 1}) {
                EXPECT_EQ(word_add(m, a, b), static_cast<u64>((static_cast<u128>(a) + b) % n)) << n;
                EXPECT_EQ(word_sub(m, a, b), static_cast<u64>((static_cast<u128>(a) + n - b) % n)) << n;
                u64 product = word_from_form(m, word_mul(m, word_to_form(m, a), word_to_form(m, b)));
                EXPECT_EQ(product, static_cast<u64>(static_cast<u128>(a) * b % n)) << n;
            }
        }
    }
}

void expect_same_verdict_as_gmp(u64 n)
{
    big x(n);
    EXPECT_EQ(word_is_prime(n), mpz_probab_prime_p(x, 30) > 0) << n;
}

// Below 2^64, GMP's Baillie-PSW test makes no mistake.
TEST(word_prime, agrees_with_gmp)
{
    for (u64 n = 0; n < 20000; ++n)
        expect_same_verdict_as_gmp(n);
    // Strong pseudoprimes to base 2, to 2 and 3, to 2, 3, 5 and 7, to 2, 7
    // and 61 (where the three-base set stops), to the primes up to 23.
    for (u64 n : {2047ULL, 3277ULL, 1373653ULL, 25326001ULL, 3215031751ULL, 4759123141ULL,
                  4759123139ULL, 4759123143ULL, 3825123056546413051ULL})
        expect_same_verdict_as_gmp(n);
    seeded_random random(7);
    big x;
    for (unsigned long bits = 8; bits <= 64; ++bits) {
        for (int k = 0; k < 200; ++k) {
            mpz_urandomb(x, random.state, bits);
            mpz_setbit(x, bits - 1);
            mpz_setbit(x, 0);
            expect_same_verdict_as_gmp(mpz_get_ui(x));
        }
        // The primes just above a random number, and what lies around them.
        mpz_nextprime(x, x);
        if (mpz_fits_ulong_p(x)) {
            u64 prime = mpz_get_ui(x);
            for (u64 n : {prime - 2, prime, prime + 2})
                expect_same_verdict_as_gmp(n);
        }
    }
    for (u64 n = ~0ULL - 200; n != 0; ++n)
        expect_same_verdict_as_gmp(n);
}

} // namespace
