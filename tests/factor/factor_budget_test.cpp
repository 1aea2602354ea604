// SPDX-License-Identifier: BSD-2-Clause
// --effort turns the budget in one place: the curves' digits, and at 0
// every general method off.
#include "factor/factor_budget.h"

#include <gtest/gtest.h>

namespace {

TEST(factor_budget, effort)
{
    const struct {
        int effort;
        int ecm_digits, sieve_digits;
        double pm1_b1, pp1_b1;
        unsigned long general_max_bits;
    } rows[] = {
        // Not given: the defaults, with the general methods up to 700 bits.
        {-1, default_ecm_digits, default_sieve_digits, default_pm1_b1, default_pp1_b1,
         default_general_max_bits},
        {0, 0, 0, 0, 0, 0},
        {15, 15, default_sieve_digits, default_pm1_b1, default_pp1_b1, 0},
        {60, 60, default_sieve_digits, default_pm1_b1, default_pp1_b1, 0},
    };
    for (const auto &r : rows) {
        factor_budget b = budget_for_effort(r.effort);
        EXPECT_EQ(b.ecm_digits, r.ecm_digits) << r.effort;
        EXPECT_EQ(b.sieve_digits, r.sieve_digits) << r.effort;
        EXPECT_EQ(b.pm1_b1, r.pm1_b1) << r.effort;
        EXPECT_EQ(b.pp1_b1, r.pp1_b1) << r.effort;
        EXPECT_EQ(b.general_max_bits, r.general_max_bits) << r.effort;
        // The attempts and rho are the same at every effort.
        EXPECT_EQ(b.strong_tests, default_strong_tests) << r.effort;
        EXPECT_EQ(b.matrix_tests, default_matrix_tests) << r.effort;
        EXPECT_EQ(b.rho_steps, default_rho_steps) << r.effort;
    }
}

} // namespace
