// SPDX-License-Identifier: BSD-2-Clause
// Helper threads that run, ahead of time, the primality checks and tests
// that factorize() is likely to ask for next. factorize() itself goes on in
// its one fixed order and takes each result from the pool when a helper
// has it (waiting if a helper is still on it), or works it out itself. As
// every task is a pure function of its part, its slot and the run's seed,
// the factorisation and the --verbose transcript are the same with any
// number of helpers; a task whose part has split since is dropped, and a
// matrix test on such a part stops at its next progress point.
#pragma once

#include "factor/part_tests.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

enum class task_kind { primality, test };

struct pool_task;

struct test_pool {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::unique_ptr<pool_task>> tasks; // in the order offered
    std::vector<std::thread> helpers;
    bool closing = false;
    const test_exponent *exponent = nullptr;
    unsigned long run_seed = 0;
    factor_budget budget{};

    test_pool();
    ~test_pool();
    test_pool(const test_pool &) = delete;
    test_pool &operator=(const test_pool &) = delete;
};

// Starts helpers threads (none is fine: then the pool never has anything).
void pool_start(test_pool &pool, int helpers, const test_exponent &exponent,
                unsigned long run_seed, const factor_budget &budget);
// Joins the helpers and forgets every task.
void pool_stop(test_pool &pool);

// Tasks waiting per helper: enough that a helper rarely runs dry while
// factorize() is on a long step of its own.
inline constexpr std::size_t queue_per_helper = 8;

// Queues the task for a helper unless it is known. slot is unused for
// primality. Returns false, queueing nothing, when the queue is full.
bool pool_offer(test_pool &pool, task_kind kind, const mpz_t m, int slot);

// The result of the task if a helper ran or is running it: prime for
// primality, outcome for a test. While a helper is still on it, the caller
// runs the smallest queued tasks in lane. False if no helper has started
// it; the task is then forgotten, and the caller runs it itself.
bool pool_take(test_pool &pool, task_kind kind, const mpz_t m, int slot, test_lane &lane,
               bool &prime, test_outcome &outcome);

// Forgets every task on m, which has just split.
void pool_drop(test_pool &pool, const mpz_t m);
