// SPDX-License-Identifier: BSD-2-Clause
// The helpers' pool: a task a helper ran gives what the step order would
// have computed; a primality check on a composite part is followed by the
// attempt asked for; what a split leaves behind is thrown away, and what is
// left at the close counts as never taken. Then the whole look-ahead on the
// Carmichael number of 84 primes: no task is computed for a slot that the
// step order never takes.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/attempt_pool.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

struct pool_fixture {
    attempt_exponent exponent;
    attempt_lane lane;
    attempt_outcome mine, theirs;
    attempt_pool pool;
    pool_fixture(const mpz_t n, int helpers)
    {
        attempt_exponent_init(exponent);
        attempt_lane_init(lane);
        attempt_outcome_init(mine);
        attempt_outcome_init(theirs);
        attempt_exponent_set(exponent, n);
        pool_start(pool, helpers, {&exponent, 5, default_budget}, nullptr);
    }
    ~pool_fixture()
    {
        pool_stop(pool);
        attempt_outcome_clear(theirs);
        attempt_outcome_clear(mine);
        attempt_lane_clear(lane);
        attempt_exponent_clear(exponent);
    }
    // Waits until the helpers have computed this many tasks.
    void wait_for(unsigned long computed)
    {
        std::unique_lock<std::mutex> hold(pool.lock);
        pool.changed.wait(hold, [&] { return pool.counts.computed >= computed; });
    }
};

std::string found_text(const attempt_outcome &o)
{
    std::string text;
    for (int k = 0; k < o.found_count; ++k)
        text += big_text(o.found[k]) + " ";
    return text + (o.passed ? "passed" : "failed");
}

// The Chernick number 100981 * 201961 * 302941 as N and as the part.
const char chernick[] = "6178246534322281";

TEST(attempt_pool, a_helper_gives_what_the_caller_would_compute)
{
    big n{std::string(chernick)};
    pool_fixture f(n, 1);
    for (int slot : {1, 2, 5}) {
        ASSERT_TRUE(pool_offer_attempt(f.pool, n, slot));
        f.wait_for(static_cast<unsigned long>(slot == 5 ? 3 : slot));
        ASSERT_TRUE(pool_take_attempt(f.pool, n, slot, f.lane, f.theirs)) << slot;
        run_slot(f.mine, f.lane, n, slot, {&f.exponent, 5, default_budget});
        EXPECT_EQ(found_text(f.theirs), found_text(f.mine)) << slot;
    }
    EXPECT_EQ(f.pool.counts.taken, 3u);
    // Nothing was offered for slot 3: the caller runs it itself.
    EXPECT_FALSE(pool_take_attempt(f.pool, n, 3, f.lane, f.theirs));
}

TEST(attempt_pool, a_composite_part_gets_the_attempt_asked_for_after_its_check)
{
    big n{std::string(chernick)};
    pool_fixture f(n, 1);
    bool prime = true;
    ASSERT_TRUE(pool_offer_primality(f.pool, n, 3));
    f.wait_for(2); // the check, then slot 3
    ASSERT_TRUE(pool_take_primality(f.pool, n, f.lane, prime));
    EXPECT_FALSE(prime);
    EXPECT_TRUE(pool_take_attempt(f.pool, n, 3, f.lane, f.theirs));
    EXPECT_FALSE(pool_take_attempt(f.pool, n, 1, f.lane, f.theirs)) << "slot 1 was not asked for";

    // A prime, and a perfect power, get no attempt after their check.
    big p(100003ul), square;
    mpz_mul(square, n, n);
    ASSERT_TRUE(pool_offer_primality(f.pool, p, 1));
    ASSERT_TRUE(pool_offer_primality(f.pool, square, 1));
    f.wait_for(4);
    ASSERT_TRUE(pool_take_primality(f.pool, p, f.lane, prime));
    EXPECT_TRUE(prime);
    ASSERT_TRUE(pool_take_primality(f.pool, square, f.lane, prime));
    EXPECT_FALSE(prime);
    pool_stop(f.pool);
    EXPECT_EQ(f.pool.counts.computed, 4u);
    EXPECT_EQ(f.pool.counts.never_taken, 0u);
}

TEST(attempt_pool, thrown_away_on_a_split_never_taken_at_the_close)
{
    big n{std::string(chernick)};
    pool_fixture f(n, 1);
    ASSERT_TRUE(pool_offer_attempt(f.pool, n, 1));
    ASSERT_TRUE(pool_offer_attempt(f.pool, n, 2));
    f.wait_for(2);
    pool_drop(f.pool, n);
    EXPECT_EQ(f.pool.counts.thrown_away, 2u);
    EXPECT_FALSE(pool_take_attempt(f.pool, n, 1, f.lane, f.theirs));
    ASSERT_TRUE(pool_offer_attempt(f.pool, n, 4));
    f.wait_for(3);
    pool_stop(f.pool);
    EXPECT_EQ(f.pool.counts.never_taken, 1u);
    EXPECT_EQ(f.pool.counts.taken, 0u);
}

// With two threads, seeds 1 to 3: every task the helpers computed was
// taken, or thrown away because its part split before the step order came
// to it. (Helpers that queued slot 1 of every composite part computed 13,
// 25 and 25 tasks that were never taken here.)
TEST(attempt_pool, the_look_ahead_computes_only_what_the_step_order_takes)
{
    std::ifstream in(std::string(BROVANTEN_BENCH_NUMBERS_DIR) + "/erdos-2253.txt");
    std::string decimal;
    std::getline(in, decimal);
    big n(decimal);
    workspace_fixture f;
    f.w.threads = 2;
    for (unsigned long seed : {1ul, 2ul, 3ul}) {
        ASSERT_TRUE(factorize(f.w, n, seed));
        const pool_counts &c = f.w.look_ahead;
        // How many the helpers take depends on how soon they run.
        EXPECT_EQ(c.never_taken, 0u) << "seed " << seed;
        EXPECT_EQ(c.taken + c.thrown_away, c.computed) << "seed " << seed;
    }
}

} // namespace
