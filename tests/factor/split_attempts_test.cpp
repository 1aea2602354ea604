// SPDX-License-Identifier: BSD-2-Clause
// The order of a part's splitting attempts, and one attempt's run: what it
// finds on a Carmichael number, and a matrix test that its progress stops.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/split_attempts.h"

#include <gtest/gtest.h>

namespace {

TEST(split_attempts, the_slots_of_a_budget)
{
    struct row {
        factor_budget budget;
        std::string expected;
    };
    const row rows[] = {
        // s = strong, with its fixed base after a colon; m = matrix, + for N + 1.
        {default_budget, "s1:2 s2 s3:3 s4 m1 s5:5 s6 s7:7 s8 m2+ s9 s10 s11 s12 m3 s13 s14 s15 "
                         "s16 m4+ m5 m6+"},
        {attempts_only(2, 3), "s1:2 s2 m1 m2+ m3"},
        {attempts_only(6, 0), "s1:2 s2 s3:3 s4 s5:5 s6"},
        {attempts_only(0, 2), "m1 m2+"},
        {attempts_only(0, 0), ""},
    };
    for (const auto &r : rows) {
        std::string got;
        scheduled_attempt a{};
        for (int slot = 1; schedule_slot(a, r.budget, slot); ++slot)
            got += (got.empty() ? "" : " ") +
                   std::string(a.method == attempt_method::strong ? "s" : "m") +
                   std::to_string(a.number) + (a.base != 0 ? ":" + std::to_string(a.base) : "") +
                   (a.plus_one ? "+" : "");
        EXPECT_EQ(got, r.expected) << r.budget.strong_tests << " strong, " << r.budget.matrix_tests
                                   << " matrix";
        EXPECT_FALSE(schedule_slot(a, r.budget, 0));
    }
}

struct attempt_fixture {
    attempt_exponent exponent;
    attempt_lane lane;
    attempt_outcome outcome;
    attempt_fixture()
    {
        attempt_exponent_init(exponent);
        attempt_lane_init(lane);
        attempt_outcome_init(outcome);
    }
    ~attempt_fixture()
    {
        attempt_outcome_clear(outcome);
        attempt_lane_clear(lane);
        attempt_exponent_clear(exponent);
    }
};

// The Chernick number 100981 * 201961 * 302941 of the README: the order of
// 2 is odd modulo 201961 and has 2^2 in it modulo the others (PARI/GP:
// znorder), so the chain 2^(t*2^j) reaches 1 modulo 201961 first, and base
// 2 at slot 1 splits it; a divisor found is always a proper one.
TEST(split_attempts, a_strong_test_splits_a_carmichael_number)
{
    attempt_fixture f;
    big n(std::string("6178246534322281"));
    attempt_exponent_set(f.exponent, n);
    attempt_setup setup{&f.exponent, 1, default_budget};
    ASSERT_TRUE(run_slot(f.outcome, f.lane, n, 1, setup));
    ASSERT_GT(f.outcome.found_count, 0);
    EXPECT_FALSE(f.outcome.passed);
    for (int k = 0; k < f.outcome.found_count; ++k) {
        EXPECT_TRUE(mpz_divisible_p(n, f.outcome.found[k]));
        EXPECT_GT(mpz_cmp_ui(f.outcome.found[k], 1), 0);
        EXPECT_LT(mpz_cmp(f.outcome.found[k], n), 0);
    }
}

// The helpers stop a matrix test whose part has split by its progress:
// the attempt then says so, where a strong test always runs to its end.
TEST(split_attempts, progress_stops_a_matrix_test)
{
    attempt_fixture f;
    big n;
    prime_above_power_of_two(n, 1000);
    attempt_exponent_set(f.exponent, n);
    attempt_setup setup{&f.exponent, 1, default_budget};
    int reports = 0;
    auto stop_at_once = [&reports](double) { return ++reports > 1 ? false : true; };
    EXPECT_FALSE(run_slot(f.outcome, f.lane, n, matrix_test_period, setup, stop_at_once));
    EXPECT_EQ(reports, 2);
    reports = 0;
    EXPECT_TRUE(run_slot(f.outcome, f.lane, n, 1, setup, stop_at_once));
    EXPECT_TRUE(f.outcome.passed) << "a prime passes its strong test";
}


// N = p q with p = 1099511627803 and q = 2932031007473 (PARI/GP): N - 1 =
// 2 t with t odd, the order of 2 modulo p is even (p = 3 mod 8) and divides
// N - 1, and 2^(N-1) is not 1 modulo q. So 2^t is 1 modulo neither prime,
// and only the last step of the strong test to base 2, gcd(2^(N-1) - 1, N),
// finds p: a budget of that one test factors N.
TEST(split_attempts, only_the_last_step_of_a_strong_test_splits)
{
    const std::string p = "1099511627803", q = "2932031007473";
    big n(product({p, q}));
    attempt_fixture f;
    attempt_exponent_set(f.exponent, n);
    ASSERT_EQ(f.exponent.s, 1u);
    attempt_setup setup{&f.exponent, 1, default_budget};
    ASSERT_TRUE(run_slot(f.outcome, f.lane, n, 1, setup));
    ASSERT_EQ(f.outcome.found_count, 1);
    EXPECT_EQ(big_text(f.outcome.found[0]), p);
    EXPECT_FALSE(f.outcome.passed);

    workspace_fixture w;
    EXPECT_TRUE(factorize(w.w, n, 1, attempts_only(1, 0)));
    EXPECT_EQ(parts_text(w.w.parts), p + "^1 " + q + "^1 ");
}

} // namespace
