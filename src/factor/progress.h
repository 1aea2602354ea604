// SPDX-License-Identifier: BSD-2-Clause
// What brovanten-factor says on standard error while it works: with
// --verbose, one line per step (trial division, primes, perfect powers,
// splits, each method as it starts, parts left whole); on a terminal, for
// any number whose work passes a second, a progress line
// (progress_line.h) that is rewritten at most ten times a second and
// cleared before anything else is written and when the number ends. A
// ticker thread draws it while a step says nothing for long (one power of
// a huge number, one curve at a high level), so that it shows and its
// time left moves on; the steps' notes and the ticker take turns under a
// lock.
#pragma once

#include "factor/factor_note.h"
#include "factor/progress_line.h"

#include <gmp.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <thread>

// How long a number works before its progress line shows, by default.
inline constexpr double default_progress_after = 1.0;

struct progress_view {
    std::FILE *err;
    bool verbose;
    bool line_allowed; // standard error is a terminal
    double after;      // seconds of work before the line shows
    int width;         // the terminal's columns, 0 if unknown
    int fd;            // err's descriptor when it is a terminal, else -1
    std::mutex lock;
    std::condition_variable wake;
    std::thread ticker;
    bool closing;
    bool number_active; // a number is being worked on
    progress_clock::time_point number_start, last_draw;
    progress_state state;
    bool changed;    // the state has news the line does not show
    bool line_shown;
};

// Sets the view up; on a terminal, starts its ticker. after: seconds of
// work on a number before its line shows.
void progress_start(progress_view &v, std::FILE *err, bool verbose, bool err_is_terminal,
                    double after = default_progress_after);
// Ends the ticker; the line is cleared.
void progress_finish(progress_view &v);

// Sets up the view for the next number; returns the observer to hand to
// factorize(), empty when nothing is to be shown.
factor_observer progress_for_number(progress_view &v, const mpz_t n);

// The number is done: its line is cleared and shows no more.
void progress_number_done(progress_view &v);
