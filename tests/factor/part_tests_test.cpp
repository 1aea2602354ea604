// SPDX-License-Identifier: BSD-2-Clause
// The order of a part's tests, and the seeds they draw from.
#include "support/harness.h"

#include "factor/part_tests.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(part_tests, the_slots_of_a_budget)
{
    struct row {
        factor_budget budget;
        std::string expected;
    };
    const row rows[] = {
        // s = strong, with its fixed base after a colon; m = matrix, + for N + 1.
        {default_budget, "s1:2 s2 s3:3 s4 m1 s5:5 s6 s7:7 s8 m2+ s9 s10 s11 s12 m3 s13 s14 s15 "
                         "s16 m4+ m5 m6+"},
        {{2, 3, 0, 0, 0, 0}, "s1:2 s2 m1 m2+ m3"},
        {{6, 0, 0, 0, 0, 0}, "s1:2 s2 s3:3 s4 s5:5 s6"},
        {{0, 2, 0, 0, 0, 0}, "m1 m2+"},
        {{0, 0, 0, 0, 0, 0}, ""},
    };
    for (const auto &r : rows) {
        std::string got;
        scheduled_test t{};
        for (int slot = 1; schedule_slot(t, r.budget, slot); ++slot)
            got += (got.empty() ? "" : " ") + std::string(t.method == test_method::strong ? "s" : "m") +
                   std::to_string(t.number) + (t.base != 0 ? ":" + std::to_string(t.base) : "") +
                   (t.plus_one ? "+" : "");
        EXPECT_EQ(got, r.expected) << r.budget.strong_tests << " strong, " << r.budget.matrix_tests
                                   << " matrix";
        EXPECT_FALSE(schedule_slot(t, r.budget, 0));
    }
}

TEST(part_tests, every_test_draws_its_own_seed)
{
    // The slot, the part and the run's seed each change the test's seed;
    // the same three give the same one.
    big m(std::string("340282366920938463463374607431768211507")), other(std::string("340282366920938463463374607431768211509"));
    std::set<std::uint64_t> seeds;
    for (int slot = 1; slot <= 20; ++slot) {
        seeds.insert(part_test_seed(1, m, slot));
        seeds.insert(part_test_seed(1, other, slot));
        seeds.insert(part_test_seed(2, m, slot));
        EXPECT_EQ(part_test_seed(1, m, slot), part_test_seed(1, m, slot));
    }
    EXPECT_EQ(seeds.size(), 60u);
}

} // namespace
