// SPDX-License-Identifier: BSD-2-Clause
// Pollard-Brent rho on its own: small semiprimes, some of which only the
// walk back one step at a time splits, prime powers, a semiprime whose
// smaller prime takes tens of thousands of steps, and giving up.
#include "support/harness.h"

#include "factor/rho.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Whatever the divisor, it must be proper.
void expect_proper_divisor(const mpz_t m, unsigned long max_steps)
{
    rho_scratch s;
    rho_scratch_init(s);
    big d;
    ASSERT_TRUE(rho_find_divisor(d, m, max_steps, s)) << big_text(m);
    EXPECT_GT(mpz_cmp_ui(d.v, 1), 0) << big_text(m);
    EXPECT_LT(mpz_cmp(d, m), 0) << big_text(m);
    EXPECT_TRUE(mpz_divisible_p(m, d)) << big_text(m) << " by " << d.str();
    rho_scratch_clear(s);
}

// Small semiprimes, and among them some whose two cycles close within one
// batch of 128 steps under every polynomial: the product of differences is
// then 0 mod m, the gcd is m itself, and only the walk back one step at a
// time finds the divisor (851 = 23 * 37 up to 431937931 = 17317 * 24943).
TEST(rho, small_semiprimes_and_the_walk_back)
{
    for (unsigned long m : {15ul, 21ul, 35ul, 77ul, 143ul, 323ul, 10403ul, 1022117ul, 851ul, 9017ul,
                            16999ul, 416641ul, 16973393ul, 431937931ul}) {
        big n(m);
        expect_proper_divisor(n, 1ul << 16);
    }
}

TEST(rho, prime_powers)
{
    for (unsigned long m : {9ul, 25ul, 27ul, 49ul, 121ul, 169ul, 3125ul, 1000003ul * 1000003ul}) {
        big n(m);
        expect_proper_divisor(n, 1ul << 16);
    }
}

// p near 2^30 takes about 2^15 steps. The products are of 121 bits and of
// 128 bits, walked in two machine words, and of 141 bits, walked in GMP's
// numbers.
TEST(rho, thirty_bit_prime_beside_a_larger_prime)
{
    big p, q, m;
    prime_above_power_of_two(p, 30);
    for (auto [q_bits, m_bits] : {std::pair{90ul, 121u}, {97ul, 128u}, {110ul, 141u}}) {
        prime_above_power_of_two(q, q_bits);
        mpz_mul(m, p, q);
        ASSERT_EQ(mpz_sizeinbase(m, 2), m_bits);
        expect_proper_divisor(m, 1ul << 20);
    }
}

// Semiprimes beyond two words: the same walk on GMP's numbers, and its
// walk back, with a small prime times a prime of 130 bits.
TEST(rho, small_semiprime_factors_beyond_two_words)
{
    big q, m;
    prime_above_power_of_two(q, 130);
    for (unsigned long p : {3ul, 23ul, 37ul, 17317ul, 24943ul, 1000003ul}) {
        mpz_mul_ui(m, q, p);
        expect_proper_divisor(m, 1ul << 16);
    }
}

// Too few steps for a 40-bit prime: no divisor, and no false one.
TEST(rho, gives_up_when_the_steps_run_out)
{
    big p, q, m, d;
    prime_above_power_of_two(p, 40);
    prime_above_power_of_two(q, 41);
    mpz_mul(m, p, q);
    rho_scratch s;
    rho_scratch_init(s);
    EXPECT_FALSE(rho_find_divisor(d, m, 4096, s));
    rho_scratch_clear(s);
}

} // namespace
