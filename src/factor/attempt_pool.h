// SPDX-License-Identifier: BSD-2-Clause
// Helper threads that run, ahead of time, the primality checks and
// splitting attempts that the step order will ask for next (the step order
// offers them: see look_ahead.h). The step order goes on in its one fixed
// order and takes each result from the pool when a helper has it (waiting
// if a helper is still on it), or works it out itself. As every task is a
// pure function of its part, its slot and the run's seed (run_slot), the
// factorisation and the --verbose transcript are the same with any number
// of helpers; a task whose part has split since is dropped, and a matrix
// test on such a part stops at its next progress point. A helper borrows a
// spare core for each task it runs (spare_cores.h).
#pragma once

#include "factor/spare_cores.h"
#include "factor/split_attempts.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// What the helpers' work on one number came to. Every task a helper (or
// the step order, while it waited) computed was taken; or thrown away,
// because its part split before the step order came to its slot; or never
// taken: a slot that the step order passed over on its part, or work still
// left at the close.
struct pool_counts {
    unsigned long computed;
    unsigned long taken;
    unsigned long thrown_away;
    unsigned long never_taken;
};

struct pool_task;

struct attempt_pool {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::unique_ptr<pool_task>> tasks; // in the order offered
    std::vector<std::thread> helpers;
    bool closing = false;
    attempt_setup setup{};
    spare_cores *cores = nullptr;
    pool_counts counts{};

    attempt_pool();
    ~attempt_pool();
    attempt_pool(const attempt_pool &) = delete;
    attempt_pool &operator=(const attempt_pool &) = delete;
};

// Starts helper threads (none is fine: then the pool never has anything).
void pool_start(attempt_pool &pool, int helpers, const attempt_setup &setup, spare_cores *cores);
// Joins the helpers and forgets every task; what was computed and not
// taken by then counts as never taken.
void pool_stop(attempt_pool &pool);

// Tasks waiting per helper: enough that a helper rarely runs dry while the
// step order is on a long step of its own.
inline constexpr std::size_t queue_per_helper = 8;

// Queue a task for a helper unless it is known; false, queueing nothing,
// when the queue is full. The primality check of m is followed, when m
// turns out composite and no perfect power, by its attempt then_slot (0:
// by nothing), which is what the step order takes next on such a part.
bool pool_offer_primality(attempt_pool &pool, const mpz_t m, int then_slot);
bool pool_offer_attempt(attempt_pool &pool, const mpz_t m, int slot);

// The result of the task if a helper ran or is running it. While a helper
// is still on it, the caller runs the smallest queued tasks in lane. False
// if no helper has started it; the task is then forgotten, and the caller
// runs it itself.
bool pool_take_primality(attempt_pool &pool, const mpz_t m, attempt_lane &lane, bool &prime);
bool pool_take_attempt(attempt_pool &pool, const mpz_t m, int slot, attempt_lane &lane,
                       attempt_outcome &outcome);

// Forgets every task on m, which has just split or become its root.
void pool_drop(attempt_pool &pool, const mpz_t m);
