// SPDX-License-Identifier: BSD-2-Clause
// --effort turns the budget in one place: the curves' digits, and at 0
// every general method off. The default budget is that of one level.
#include "factor/factor_budget.h"

#include <gtest/gtest.h>

namespace {

TEST(factor_budget, effort)
{
    const struct {
        int effort;
        int ecm_digits, sieve_digits;
        double pm1_b1, pp1_b1;
    } rows[] = {
        // The default level: the defaults.
        {default_effort, default_ecm_digits, default_sieve_digits, default_pm1_b1,
         default_pp1_b1},
        {0, 0, 0, 0, 0},
        {15, 15, default_sieve_digits, default_pm1_b1, default_pp1_b1},
        {60, 60, default_sieve_digits, default_pm1_b1, default_pp1_b1},
    };
    for (const auto &r : rows) {
        factor_budget b = budget_for_effort(r.effort);
        EXPECT_EQ(b.ecm_digits, r.ecm_digits) << r.effort;
        EXPECT_EQ(b.sieve_digits, r.sieve_digits) << r.effort;
        EXPECT_EQ(b.pm1_b1, r.pm1_b1) << r.effort;
        EXPECT_EQ(b.pp1_b1, r.pp1_b1) << r.effort;
        // Large parts get fewer digits at every level alike.
        EXPECT_EQ(b.large_part_bits, default_large_part_bits) << r.effort;
        EXPECT_EQ(b.large_part_fewer_digits, default_large_part_fewer_digits) << r.effort;
        // The attempts and rho are the same at every effort.
        EXPECT_EQ(b.strong_tests, default_strong_tests) << r.effort;
        EXPECT_EQ(b.matrix_tests, default_matrix_tests) << r.effort;
        EXPECT_EQ(b.rho_steps, default_rho_steps) << r.effort;
    }
    // Giving the default level is not giving it.
    factor_budget given = budget_for_effort(default_effort);
    EXPECT_EQ(given.ecm_digits, default_budget.ecm_digits);
    EXPECT_EQ(given.sieve_digits, default_budget.sieve_digits);
    EXPECT_EQ(given.pm1_b1, default_budget.pm1_b1);
    EXPECT_EQ(given.pp1_b1, default_budget.pp1_b1);
}

} // namespace
