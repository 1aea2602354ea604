// SPDX-License-Identifier: BSD-2-Clause
// The spare cores of a run: borrows never take the count below zero, and a
// waiting worker goes before every borrower.
#include "factor/spare_cores.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

int count_of(spare_cores &c)
{
    std::lock_guard<std::mutex> hold(c.lock);
    return c.count;
}

TEST(spare_cores, borrows_take_what_is_spare_and_no_more)
{
    EXPECT_EQ(cores_borrow(nullptr, 3), 3) << "no account, no limit";
    spare_cores c;
    spare_cores_set(c, 2);
    EXPECT_EQ(cores_borrow(&c, 5), 2);
    EXPECT_EQ(cores_borrow(&c, 1), 0);
    EXPECT_EQ(count_of(c), 0);
    cores_release(&c, 2);
    EXPECT_EQ(cores_borrow(&c, 1), 1);
    EXPECT_EQ(count_of(c), 1);
}

// A spare core that a worker waits for is not lent: checked with the
// waiting worker standing in the count, so no thread's timing decides it.
TEST(spare_cores, a_borrow_leaves_the_cores_that_workers_wait_for)
{
    spare_cores c;
    spare_cores_set(c, 1);
    c.workers_waiting = 1;
    EXPECT_EQ(cores_borrow(&c, 1), 0);
    c.workers_waiting = 0;
    EXPECT_EQ(cores_borrow(&c, 1), 1);
    cores_release(&c, 1);
}

// Two workers on two cores, one of whose numbers has borrowed the second
// core for a helper: the second worker waits for it, and once it is back no
// borrower takes it from the waiting worker.
TEST(spare_cores, a_waiting_worker_goes_first)
{
    spare_cores c;
    spare_cores_set(c, 2);
    cores_hold(&c);
    ASSERT_EQ(cores_borrow(&c, 1), 1);
    std::atomic<bool> holding{false};
    std::thread second([&] {
        cores_hold(&c);
        holding = true;
    });
    for (bool waiting = false; !waiting && !holding;) {
        std::lock_guard<std::mutex> hold(c.lock);
        waiting = c.workers_waiting == 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(holding) << "a worker runs only on a core of its own";
    cores_release(&c, 1);
    int taken = cores_borrow(&c, 1);
    EXPECT_EQ(taken, 0) << "the core is the waiting worker's";
    cores_release(&c, taken); // so that the worker goes on either way
    second.join();
    EXPECT_TRUE(holding);
    EXPECT_EQ(count_of(c), 0);
    cores_release(&c, 2);
    EXPECT_EQ(count_of(c), 2);
}

} // namespace
