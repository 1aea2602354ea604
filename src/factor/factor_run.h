// SPDX-License-Identifier: BSD-2-Clause
// One number's run through the steps (factor_steps.h), and what every step
// shares: the notes it gives the observer, the sizes that decide whether a
// general method applies, and the folding of what a step found into the
// parts, with the progress each new part starts from.
#pragma once

#include "factor/attempt_pool.h"
#include "factor/factor_budget.h"
#include "factor/factor_note.h"
#include "factor/factor_workspace.h"

#include <cstddef>
#include <gmp.h>

struct factor_run {
    factor_workspace &w;
    mpz_srcptr n;
    const factor_budget &budget;
    const factor_observer &observer;
    attempt_setup setup;
    attempt_pool &pool;
    int attempts_stage; // the index of the splitting attempts among the steps
};

// A note on part i (bits: of the part, unless given).
void note(const factor_run &r, factor_event event, std::size_t i, const char *method = "",
          round_unit unit = round_unit::none, int round = 0, unsigned long count = 0,
          double done = 0, std::size_t bits = 0, unsigned long of = 0);
// The end of trial division, with the prime factors it found.
void note_small_primes(const factor_run &r, unsigned long count);

// Whether part i is N itself.
bool is_whole(const factor_run &r, std::size_t i);

// w.outcome holds w.g alone if a method split its part, else nothing.
void found(const factor_run &r, bool split);

// Whether part i is large: its curves go to fewer digits.
bool large_part(const factor_run &r, std::size_t i);
// Whether the sieve takes part i.
bool sieve_applies(const factor_run &r, std::size_t i);
// The curve levels part i gets: up to the budget's digits (fewer on a
// large part), but while the
// sieve is to come only up to curve_share_before_sieve of its own digits.
int curve_levels(const factor_run &r, std::size_t i, bool sieve_ahead);

// Before the sieve, the curves go up to factors of this share of the
// part's digits: 15 digits for parts of 54 to 71 digits, 20 up to 89. The
// sieve takes 1 s at 60 digits, 10 s at 70 and 50 s at 76, where the
// curves of 20 digits take 2 s (siqs_params.cpp, docs/performance.md).
inline constexpr int curve_percent_before_sieve = 28;

// Splits part i by every divisor in w.outcome, which `method` found in its
// round `round`. The pieces, and what is left of part i, start past the
// fixed bases part i had.
void fold_in_found(const factor_run &r, std::size_t i, const char *method, round_unit unit,
                   int round);

// A part r^k with k as large as it goes becomes r with k times the power,
// to be checked afresh. Returns k, or 0 if the part is no perfect power.
unsigned long take_perfect_power(const factor_run &r, std::size_t i);
