// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_workspace.h"

#include <algorithm>

void factor_workspace_init(factor_workspace &w)
{
    mpz_inits(w.g, w.scratch, w.rest, nullptr);
    attempt_exponent_init(w.exponent);
    attempt_lane_init(w.lane);
    attempt_outcome_init(w.outcome);
    rho_scratch_init(w.rho);
    w.threads = 1;
    w.cores = nullptr;
    w.stop = false;
    w.look_ahead = {};
}

void factor_workspace_clear(factor_workspace &w)
{
    parts_clear(w.parts);
    progress_forget_all(w);
    mpz_clears(w.g, w.scratch, w.rest, nullptr);
    attempt_exponent_clear(w.exponent);
    attempt_lane_clear(w.lane);
    attempt_outcome_clear(w.outcome);
    rho_scratch_clear(w.rho);
}

namespace {

std::vector<part_progress>::iterator find(factor_workspace &w, const mpz_t value)
{
    return std::find_if(w.progress.begin(), w.progress.end(),
                        [&](const part_progress &p) { return mpz_cmp(p.value, value) == 0; });
}

} // namespace

part_progress &progress_of(factor_workspace &w, const mpz_t value)
{
    auto at = find(w, value);
    if (at != w.progress.end())
        return *at;
    w.progress.push_back({});
    part_progress &p = w.progress.back();
    mpz_init_set(p.value, value);
    p.stage = 0;
    p.count = 0;
    return p;
}

const part_progress *progress_find(const factor_workspace &w, const mpz_t value)
{
    for (const auto &p : w.progress)
        if (mpz_cmp(p.value, value) == 0)
            return &p;
    return nullptr;
}

void progress_restart(factor_workspace &w, const mpz_t value, int count)
{
    part_progress &p = progress_of(w, value);
    p.stage = 0;
    p.count = count;
}

void progress_forget(factor_workspace &w, const mpz_t value)
{
    auto at = find(w, value);
    if (at == w.progress.end())
        return;
    mpz_clear(at->value);
    w.progress.erase(at);
}

void progress_forget_all(factor_workspace &w)
{
    for (auto &p : w.progress)
        mpz_clear(p.value);
    w.progress.clear();
}
