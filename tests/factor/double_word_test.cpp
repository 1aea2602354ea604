// SPDX-License-Identifier: BSD-2-Clause
// Two-word numbers to and from GMP's; two-word Montgomery arithmetic
// against GMP, on moduli from 3 to just below 2^128 and operands at both
// ends of [0, n) and at random.
#include "support/harness.h"

#include "factor/double_word.h"
#include "factor/rho_walk.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

u128 from_halves(u64 high, u64 low)
{
    return static_cast<u128>(high) << 64 | low;
}

TEST(double_word, to_and_from_gmp)
{
    const char *decimals[] = {"0", "1", "18446744073709551615", "18446744073709551616",
                              "18446744073709551621", "340282366920938463463374607431768211455"};
    const u128 values[] = {0, 1, from_halves(0, ~u64{0}), from_halves(1, 0), from_halves(1, 5), ~u128{0}};
    big z, back;
    for (int k = 0; k < 6; ++k) {
        big expected(decimals[k]);
        EXPECT_TRUE(double_word_from_mpz(expected) == values[k]) << decimals[k];
        double_word_to_mpz(back, values[k]);
        EXPECT_EQ(back.str(), decimals[k]);
    }
}

// The tests below read and write their numbers with the two functions above.
TEST(double_word, agrees_with_gmp)
{
    std::mt19937_64 random(12);
    const u128 top = ~u128{0};
    std::vector<u128> moduli = {3, 1000003, from_halves(1, 13), from_halves(1, 0) - 1,
                                top >> 1,   // 2^127 - 1
                                top - 158,  // 2^128 - 159
                                top,        // 2^128 - 1
                                from_halves(random() | 1ull << 63, random() | 1)};
    big n, a, b, expected, got;
    for (u128 value : moduli) {
        double_word_modulus m;
        double_word_modulus_set(m, value);
        double_word_to_mpz(n, value);
        std::vector<u128> operands = {0, 1, value / 2, value / 2 + 1, value - 2, value - 1};
        for (int k = 0; k < 200; ++k)
            operands.push_back(from_halves(random(), random()) % value);
        for (u128 x : operands) {
            for (std::size_t j = 0; j < operands.size(); j += 7) {
                u128 y = operands[j];
                double_word_to_mpz(a, x);
                double_word_to_mpz(b, y);
                mpz_add(expected, a, b);
                mpz_mod(expected, expected, n);
                ASSERT_EQ(double_word_add(m, x, y), double_word_from_mpz(expected)) << n.str();
                mpz_sub(expected, a, b);
                mpz_mod(expected, expected, n);
                ASSERT_EQ(double_word_sub(m, x, y), double_word_from_mpz(expected)) << n.str();
                mpz_mul(expected, a, b);
                mpz_mod(expected, expected, n);
                u128 product = double_word_from_form(
                    m, double_word_mul(m, double_word_to_form(m, x), double_word_to_form(m, y)));
                ASSERT_EQ(product, double_word_from_mpz(expected)) << n.str() << " " << a.str() << " " << b.str();
                mpz_gcd(expected, a, n);
                ASSERT_EQ(binary_gcd(x, value), double_word_from_mpz(expected)) << n.str() << " " << a.str();
            }
        }
    }
}

} // namespace
