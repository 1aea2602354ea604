// SPDX-License-Identifier: BSD-2-Clause
// What brovanten-factor says on standard error while it works: with
// --verbose, one line per step (trial division, primes, perfect powers,
// splits, each method as it starts, parts left whole); on a terminal, for
// large numbers, a
// progress line that is rewritten at most ten times a second and cleared
// before anything else is written.
#pragma once

#include "factor/factor_note.h"

#include <gmp.h>

#include <chrono>
#include <cstddef>
#include <cstdio>

// Numbers of this size and more get the progress line.
inline constexpr std::size_t progress_min_bits = 1024;

struct progress_view {
    std::FILE *err;
    bool verbose;
    bool line_allowed; // standard error is a terminal
    bool line_wanted;  // for the number being factored
    bool line_shown;
    std::chrono::steady_clock::time_point last_update;
};

void progress_start(progress_view &v, std::FILE *err, bool verbose, bool err_is_terminal);

// Sets up the view for the next number; returns the observer to hand to
// factorize(), empty when nothing is to be shown.
factor_observer progress_for_number(progress_view &v, const mpz_t n);

// Clears the progress line if it is on the screen.
void progress_clear(progress_view &v);
