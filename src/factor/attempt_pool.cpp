// SPDX-License-Identifier: BSD-2-Clause
#include "factor/attempt_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace {

enum class task_kind { primality, attempt };
enum class task_state { queued, running, done };

// How long a helper that found no spare core waits before it asks again.
constexpr std::chrono::milliseconds core_retry{2};

} // namespace

struct pool_task {
    task_kind kind;
    mpz_t modulus;
    int slot; // the attempt's; for a primality check, the attempt after it
    task_state state = task_state::queued;
    std::atomic<bool> dropped{false};
    bool never_taken = false; // counted so: passed over, or left at the close
    bool prime = false;
    attempt_outcome outcome;

    pool_task(task_kind k, const mpz_t m, int s) : kind(k), slot(s)
    {
        mpz_init_set(modulus, m);
        attempt_outcome_init(outcome);
    }
    ~pool_task()
    {
        attempt_outcome_clear(outcome);
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

attempt_pool::attempt_pool() = default;
attempt_pool::~attempt_pool() = default;

namespace {

void run(pool_task &t, attempt_lane &lane, const attempt_pool &pool)
{
    if (t.kind == task_kind::primality) {
        t.prime = is_probable_prime(t.modulus);
        return;
    }
    run_slot(t.outcome, lane, t.modulus, t.slot, pool.setup, [&t](double) {
        return !t.dropped.load(std::memory_order_relaxed);
    });
}

// Runs the queued task t with the lock held on entry and on return, and
// marks it done, or forgets it if it was dropped meanwhile. A part found
// composite that is no perfect power gets the attempt the step order
// takes next on it queued.
void run_queued(attempt_pool &pool, std::unique_lock<std::mutex> &hold, pool_task *t,
                attempt_lane &lane)
{
    t->state = task_state::running;
    hold.unlock();
    run(*t, lane, pool);
    bool follow = t->kind == task_kind::primality && !t->prime && t->slot > 0 &&
                  !mpz_perfect_power_p(t->modulus);
    hold.lock();
    ++pool.counts.computed;
    auto at = std::find_if(pool.tasks.begin(), pool.tasks.end(),
                           [&](const auto &u) { return u.get() == t; });
    if (t->dropped) {
        if (!t->never_taken)
            ++pool.counts.thrown_away;
        pool.tasks.erase(at);
    } else {
        t->state = task_state::done;
        if (follow)
            pool.tasks.insert(at + 1,
                              std::make_unique<pool_task>(task_kind::attempt, t->modulus, t->slot));
    }
    pool.changed.notify_all();
}

pool_task *first_queued(attempt_pool &pool)
{
    for (auto &t : pool.tasks)
        if (t->state == task_state::queued)
            return t.get();
    return nullptr;
}

// The smallest queued task, for a caller that has to wait anyway.
pool_task *smallest_queued(attempt_pool &pool)
{
    pool_task *best = nullptr;
    for (auto &t : pool.tasks)
        if (t->state == task_state::queued &&
            (best == nullptr || mpz_size(t->modulus) < mpz_size(best->modulus)))
            best = t.get();
    return best;
}

void help(attempt_pool &pool)
{
    attempt_lane lane;
    attempt_lane_init(lane);
    std::unique_lock<std::mutex> hold(pool.lock);
    for (;;) {
        pool_task *next = nullptr;
        pool.changed.wait(hold, [&] { return pool.closing || (next = first_queued(pool)); });
        if (pool.closing)
            break;
        // A core for this one task, or a moment's wait: a worker may need
        // them all.
        if (cores_borrow(pool.cores, 1) == 0) {
            pool.changed.wait_for(hold, core_retry);
            continue;
        }
        run_queued(pool, hold, next, lane);
        cores_release(pool.cores, 1);
    }
    hold.unlock();
    attempt_lane_clear(lane);
}

bool offer(attempt_pool &pool, task_kind kind, const mpz_t m, int slot)
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

// The step order takes a part's attempts in the order of their slots: once
// it asks for one, the tasks of the earlier slots on that part will never
// be taken. They are counted so and forgotten.
void pass_over_earlier_slots(attempt_pool &pool, const mpz_t m, int slot)
{
    for (std::size_t i = pool.tasks.size(); i-- > 0;) {
        pool_task &t = *pool.tasks[i];
        if (t.kind != task_kind::attempt || t.slot >= slot || t.dropped ||
            mpz_cmp(t.modulus, m) != 0)
            continue;
        if (t.state != task_state::queued) {
            t.never_taken = true;
            ++pool.counts.never_taken;
        }
        if (t.state == task_state::running)
            t.dropped = true; // its helper lets it go
        else
            pool.tasks.erase(pool.tasks.begin() + static_cast<long>(i));
    }
}

// The finished task, or nullptr (see pool_take_primality); the caller
// copies its result and erases it, with the lock held.
pool_task *take(attempt_pool &pool, std::unique_lock<std::mutex> &hold, task_kind kind,
                const mpz_t m, int slot, attempt_lane &lane)
{
    if (kind == task_kind::attempt)
        pass_over_earlier_slots(pool, m, slot);
    auto find = [&] {
        return std::find_if(pool.tasks.begin(), pool.tasks.end(),
                            [&](const auto &t) { return t->is(kind, m, slot); });
    };
    auto it = find();
    if (it == pool.tasks.end())
        return nullptr;
    if ((*it)->state == task_state::queued) {
        pool.tasks.erase(it);
        return nullptr;
    }
    // While a helper is on it, the caller does small queued tasks itself.
    for (;;) {
        it = find();
        if (it == pool.tasks.end())
            return nullptr;
        if ((*it)->state == task_state::done)
            break;
        if (pool_task *other = smallest_queued(pool))
            run_queued(pool, hold, other, lane);
        else
            pool.changed.wait(hold);
    }
    ++pool.counts.taken;
    return it->get();
}

void forget(attempt_pool &pool, const pool_task *t)
{
    pool.tasks.erase(std::find_if(pool.tasks.begin(), pool.tasks.end(),
                                  [&](const auto &u) { return u.get() == t; }));
}

} // namespace

void pool_start(attempt_pool &pool, int helpers, const attempt_setup &setup, spare_cores *cores)
{
    pool.setup = setup;
    pool.cores = cores;
    pool.closing = false;
    pool.counts = {};
    for (int i = 0; i < helpers; ++i)
        pool.helpers.emplace_back(help, std::ref(pool));
}

void pool_stop(attempt_pool &pool)
{
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        pool.closing = true;
        for (auto &t : pool.tasks) {
            if (t->state != task_state::queued && !t->dropped) {
                t->never_taken = true;
                ++pool.counts.never_taken;
            }
            t->dropped = true;
        }
    }
    pool.changed.notify_all();
    for (auto &h : pool.helpers)
        h.join();
    pool.helpers.clear();
    pool.tasks.clear();
}

bool pool_offer_primality(attempt_pool &pool, const mpz_t m, int then_slot)
{
    return offer(pool, task_kind::primality, m, then_slot);
}

bool pool_offer_attempt(attempt_pool &pool, const mpz_t m, int slot)
{
    return offer(pool, task_kind::attempt, m, slot);
}

bool pool_take_primality(attempt_pool &pool, const mpz_t m, attempt_lane &lane, bool &prime)
{
    if (pool.helpers.empty())
        return false;
    std::unique_lock<std::mutex> hold(pool.lock);
    const pool_task *t = take(pool, hold, task_kind::primality, m, 0, lane);
    if (t == nullptr)
        return false;
    prime = t->prime;
    forget(pool, t);
    return true;
}

bool pool_take_attempt(attempt_pool &pool, const mpz_t m, int slot, attempt_lane &lane,
                       attempt_outcome &outcome)
{
    if (pool.helpers.empty())
        return false;
    std::unique_lock<std::mutex> hold(pool.lock);
    const pool_task *t = take(pool, hold, task_kind::attempt, m, slot, lane);
    if (t == nullptr)
        return false;
    attempt_outcome_copy(outcome, t->outcome);
    forget(pool, t);
    return true;
}

void pool_drop(attempt_pool &pool, const mpz_t m)
{
    if (pool.helpers.empty())
        return;
    std::lock_guard<std::mutex> hold(pool.lock);
    for (std::size_t i = pool.tasks.size(); i-- > 0;) {
        pool_task &t = *pool.tasks[i];
        if (mpz_cmp(t.modulus, m) != 0)
            continue;
        if (t.state == task_state::running) {
            t.dropped = true; // its helper lets it go, and counts it
            continue;
        }
        if (t.state == task_state::done)
            ++pool.counts.thrown_away;
        pool.tasks.erase(pool.tasks.begin() + static_cast<long>(i));
    }
}
