// SPDX-License-Identifier: BSD-2-Clause
// The steps of brovanten-factor's method as one table, in the order they
// are tried on every part that needs work (factor_steps.cpp reads top to
// bottom): the whole number in machine words, trial division, N's first
// strong tests, the primality check, perfect powers, parts that fit a
// word, the splitting attempts, rho, p - 1, p + 1, the curves level by
// level, the sieve, the curves the sieve left, giving up. Each entry names
// its method, says whether it applies to a part under the budget, and runs
// one round of it. A part's progress (factor_workspace.h) says which entry
// it is at and how many rounds it has had; a step that splits the part
// ends its progress, and its pieces start at the top. Adding a method is
// one entry here, one named field of factor_budget and the method in its
// own file.
#pragma once

#include "factor/factor_run.h"

#include <cstddef>
#include <gmp.h>

// Parts up to this size get the budget's rho steps in full; larger parts
// get fewer in proportion, so that rho costs about the same at every size.
inline constexpr std::size_t rho_full_bits = 128;
// With the sieve ahead, rho takes at most this many steps: enough for the
// factors of up to about 28 bits, in 0.3 ms on two machine words and 2 ms
// on GMP's numbers, against 0.5 ms for the sieve at 80 bits and 10 ms at
// 40 digits, which finds the larger factors sooner.
inline constexpr unsigned long rho_steps_before_sieve = 1ul << 14;
// Strong tests on N itself before its primality check.
inline constexpr int whole_tests_before_check = 2;

// How an entry counts its rounds in the part's progress: it runs once; it
// runs while it applies, its rounds added to the count the part brings
// (the splitting attempts of a piece start past its parent's fixed bases);
// or it counts its own rounds from zero (the curves' levels).
enum class step_rounds { once, counted, counted_afresh };

struct factor_step {
    const char *name;
    step_rounds rounds;
    bool (*applies)(const factor_run &r, std::size_t part, const part_progress &progress);
    // Round `round` (from 0) of the step on the part.
    void (*run)(factor_run &r, std::size_t part, int round);
};

extern const factor_step factor_steps[];
extern const int factor_step_count;

// Runs the next step that applies to part i (one that needs work).
void run_next_step(factor_run &r, std::size_t i);

// The splitting attempt the step order takes next on part i, if it goes on
// to its attempts without splitting first (a part not yet checked: if it
// turns out composite and no perfect power); 0 when that is no attempt.
int next_attempt_slot(const factor_run &r, std::size_t i);

// The index of the splitting attempts among the steps.
int attempts_stage();
