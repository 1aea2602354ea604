// SPDX-License-Identifier: BSD-2-Clause
// Everything brovanten-factor's method uses on one number, created once per
// worker and reused: the result (the parts: value, power, state), the
// schedule kept beside it (what has been tried on each part), and the
// scratch of the steps. The schedule is keyed by the part's value: a part
// whose value changes is another part, and starts afresh, unless the step
// that changed it says what carries over.
#pragma once

#include "factor/attempt_pool.h"
#include "factor/factor_parts.h"
#include "factor/rho.h"
#include "factor/spare_cores.h"
#include "factor/split_attempts.h"

#include <atomic>
#include <vector>

// What the step order has done on one part: the step at hand (an index
// into factor_steps) and a count, for the splitting attempts the slots the
// part has had (its parent's fixed bases among them), for the curves the
// levels.
struct part_progress {
    mpz_t value;
    int stage;
    int count;
};

struct factor_workspace {
    std::vector<factor_part> parts;      // the result
    std::vector<part_progress> progress; // the schedule
    mpz_t g, scratch, rest;
    attempt_exponent exponent;
    attempt_lane lane;
    attempt_outcome outcome;
    rho_scratch rho;
    std::vector<std::size_t> offer_order;
    // At most this many threads on one number (1: no helpers); helpers
    // borrow their cores from cores, which other workers share (nullptr: no
    // limit).
    unsigned threads;
    spare_cores *cores;
    // Set it, from any thread or a signal handler, and factorize() returns
    // before its next step with the parts found so far; it stays set until
    // the caller clears it.
    std::atomic<bool> stop;
    pool_counts look_ahead; // what the helpers did on the last number
};

void factor_workspace_init(factor_workspace &w);
void factor_workspace_clear(factor_workspace &w);

// The progress of the part of this value, made (at the first step, count
// 0) if it has none.
part_progress &progress_of(factor_workspace &w, const mpz_t value);
const part_progress *progress_find(const factor_workspace &w, const mpz_t value);
// The part of this value starts at the first step with count done.
void progress_restart(factor_workspace &w, const mpz_t value, int count);
void progress_forget(factor_workspace &w, const mpz_t value);
void progress_forget_all(factor_workspace &w);
