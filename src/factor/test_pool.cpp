// SPDX-License-Identifier: BSD-2-Clause
#include "factor/test_pool.h"

#include <algorithm>

enum class task_state { queued, running, done };

struct pool_task {
    task_kind kind;
    mpz_t modulus;
    int slot;
    task_state state = task_state::queued;
    std::atomic<bool> dropped{false};
    bool prime = false;
    test_outcome outcome;

    pool_task(task_kind k, const mpz_t m, int s) : kind(k), slot(s)
    {
        mpz_init_set(modulus, m);
        test_outcome_init(outcome);
    }
    ~pool_task()
    {
        test_outcome_clear(outcome);
        mpz_clear(modulus);
    }
    pool_task(const pool_task &) = delete;
    pool_task &operator=(const pool_task &) = delete;

    bool is(task_kind k, const mpz_t m, int s) const
    {
        return !dropped && kind == k && (k == task_kind::primality || slot == s) &&
               mpz_cmp(modulus, m) == 0;
    }
};

test_pool::test_pool() = default;
test_pool::~test_pool() = default;

namespace {

bool go_on(void *context, double)
{
    return !static_cast<pool_task *>(context)->dropped.load(std::memory_order_relaxed);
}

void run(pool_task &t, test_lane &lane, const test_pool &pool)
{
    if (t.kind == task_kind::primality) {
        t.prime = mpz_probab_prime_p(t.modulus, 25) > 0;
        return;
    }
    scheduled_test which{};
    schedule_slot(which, pool.budget, t.slot);
    std::uint64_t seed = part_test_seed(pool.run_seed, t.modulus, t.slot);
    if (which.method == test_method::strong) {
        strong_test(t.outcome, lane, t.modulus, *pool.exponent, which.base, seed);
    } else {
        power_progress stop_when_dropped{go_on, &t};
        matrix_test(t.outcome, lane, t.modulus, *pool.exponent, which.plus_one, seed,
                    &stop_when_dropped);
    }
}

// Runs the queued task t with the lock held on entry and on return, and
// marks it done, or forgets it if it was dropped meanwhile. A part found
// composite gets its first test queued next, unless it turns out a perfect
// power (then factorize() drops it).
void run_queued(test_pool &pool, std::unique_lock<std::mutex> &hold, pool_task *t,
                test_lane &lane)
{
    t->state = task_state::running;
    hold.unlock();
    run(*t, lane, pool);
    hold.lock();
    auto at = std::find_if(pool.tasks.begin(), pool.tasks.end(),
                           [&](const auto &u) { return u.get() == t; });
    if (t->dropped) {
        pool.tasks.erase(at);
    } else {
        t->state = task_state::done;
        if (t->kind == task_kind::primality && !t->prime)
            pool.tasks.insert(at + 1,
                              std::make_unique<pool_task>(task_kind::test, t->modulus, 1));
    }
    pool.changed.notify_all();
}

pool_task *first_queued(test_pool &pool)
{
    for (auto &t : pool.tasks)
        if (t->state == task_state::queued)
            return t.get();
    return nullptr;
}

// The smallest queued task, for a caller that has to wait anyway.
pool_task *smallest_queued(test_pool &pool)
{
    pool_task *best = nullptr;
    for (auto &t : pool.tasks)
        if (t->state == task_state::queued &&
            (best == nullptr || mpz_size(t->modulus) < mpz_size(best->modulus)))
            best = t.get();
    return best;
}

void help(test_pool &pool)
{
    test_lane lane;
    test_lane_init(lane);
    std::unique_lock<std::mutex> hold(pool.lock);
    for (;;) {
        pool_task *next = nullptr;
        pool.changed.wait(hold, [&] { return pool.closing || (next = first_queued(pool)); });
        if (pool.closing)
            break;
        run_queued(pool, hold, next, lane);
    }
    hold.unlock();
    test_lane_clear(lane);
}

} // namespace

void pool_start(test_pool &pool, int helpers, const test_exponent &exponent,
                unsigned long run_seed, const factor_budget &budget)
{
    pool.exponent = &exponent;
    pool.run_seed = run_seed;
    pool.budget = budget;
    pool.closing = false;
    for (int i = 0; i < helpers; ++i)
        pool.helpers.emplace_back(help, std::ref(pool));
}

void pool_stop(test_pool &pool)
{
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        pool.closing = true;
        for (auto &t : pool.tasks)
            t->dropped = true;
    }
    pool.changed.notify_all();
    for (auto &h : pool.helpers)
        h.join();
    pool.helpers.clear();
    pool.tasks.clear();
}

bool pool_offer(test_pool &pool, task_kind kind, const mpz_t m, int slot)
{
    if (pool.helpers.empty())
        return false;
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        std::size_t queued = 0;
        for (const auto &t : pool.tasks)
            queued += t->state == task_state::queued;
        if (queued >= queue_per_helper * pool.helpers.size())
            return false;
        for (const auto &t : pool.tasks)
            if (t->is(kind, m, slot))
                return true;
        pool.tasks.push_back(std::make_unique<pool_task>(kind, m, slot));
    }
    pool.changed.notify_one();
    return true;
}

bool pool_take(test_pool &pool, task_kind kind, const mpz_t m, int slot, test_lane &lane,
               bool &prime, test_outcome &outcome)
{
    if (pool.helpers.empty())
        return false;
    std::unique_lock<std::mutex> hold(pool.lock);
    auto find = [&] {
        return std::find_if(pool.tasks.begin(), pool.tasks.end(),
                            [&](const auto &t) { return t->is(kind, m, slot); });
    };
    auto it = find();
    if (it == pool.tasks.end())
        return false;
    if ((*it)->state == task_state::queued) {
        pool.tasks.erase(it);
        return false;
    }
    // While a helper is on it, the caller does small queued tasks itself.
    for (;;) {
        it = find();
        if (it == pool.tasks.end())
            return false;
        if ((*it)->state == task_state::done)
            break;
        if (pool_task *other = smallest_queued(pool))
            run_queued(pool, hold, other, lane);
        else
            pool.changed.wait(hold);
    }
    prime = (*it)->prime;
    test_outcome_copy(outcome, (*it)->outcome);
    pool.tasks.erase(it);
    return true;
}

void pool_drop(test_pool &pool, const mpz_t m)
{
    if (pool.helpers.empty())
        return;
    std::lock_guard<std::mutex> hold(pool.lock);
    for (std::size_t i = pool.tasks.size(); i-- > 0;) {
        pool_task &t = *pool.tasks[i];
        if (mpz_cmp(t.modulus, m) != 0)
            continue;
        if (t.state == task_state::running)
            t.dropped = true; // its helper lets it go
        else
            pool.tasks.erase(pool.tasks.begin() + static_cast<long>(i));
    }
}
