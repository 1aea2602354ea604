// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factorize.h"

#include "factor/factor_steps.h"

#include <algorithm>
#include <cassert>

namespace {

// The first part that still needs work, or parts.size().
std::size_t next_part(const std::vector<factor_part> &parts)
{
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (parts[i].state == part_state::unknown || parts[i].state == part_state::composite)
            return i;
    return parts.size();
}

// Helper threads for n: none below parallel_min_bits, else up to
// threads - 1, as many as there are spare cores now. Each borrows a core
// for every task it runs.
int helper_count(factor_workspace &w, const mpz_t n)
{
    if (w.threads <= 1 || mpz_sizeinbase(n, 2) < parallel_min_bits)
        return 0;
    int spare = cores_borrow(w.cores, static_cast<int>(w.threads) - 1);
    cores_release(w.cores, spare);
    return spare;
}

} // namespace

bool factorize(factor_workspace &w, const mpz_t n, unsigned long seed,
               const factor_budget &budget, const factor_observer &observer)
{
    assert(mpz_sgn(n) >= 0);
    parts_clear(w.parts);
    progress_forget_all(w);
    w.look_ahead = {};
    if (mpz_cmp_ui(n, 1) <= 0)
        return true;
    parts_add(w.parts, n, 1, part_state::unknown, w.scratch);
    attempt_exponent_set(w.exponent, n);

    attempt_setup setup{&w.exponent, seed, budget};
    attempt_pool pool;
    pool_start(pool, helper_count(w, n), setup, w.cores);
    factor_run r{w, n, budget, observer, setup, pool, attempts_stage()};
    for (std::size_t i; !w.stop.load(std::memory_order_relaxed) &&
                        (i = next_part(w.parts)) < w.parts.size();)
        run_next_step(r, i);
    pool_stop(pool);
    w.look_ahead = pool.counts;

    parts_sort(w.parts);
    return std::all_of(w.parts.begin(), w.parts.end(),
                       [](const factor_part &p) { return p.state == part_state::prime; });
}
