// SPDX-License-Identifier: BSD-2-Clause
// brovanten-factor as a function: the numbers from the arguments or from
// standard input, one output line per number, flushed before the input
// would wait, before a message and before a large number; messages and
// progress on standard error, and the exit status.
#pragma once

#include <cstdio>

struct factor_io {
    std::FILE *in;
    std::FILE *out;
    std::FILE *err;
    bool err_is_terminal; // progress lines only on a terminal
    double progress_after = 1.0; // seconds of work before a number's progress line shows
};

// Exit statuses; when several apply, the highest is returned.
inline constexpr int status_complete = 0; // every number factored completely
inline constexpr int status_composite = 1; // a part stayed composite or untested
inline constexpr int status_trouble = 2;  // bad input, a bad option or a write error

// default_seed is used unless --seed gives one. A write error on out stops
// the command at once. SIGINT and SIGTERM are handled while it runs
// (stop_signals.h): after one, it returns once the output is out, and the
// caller ends the process by that signal with stop_signals_end().
int factor_main(int argc, char **argv, const factor_io &io, unsigned long default_seed);
