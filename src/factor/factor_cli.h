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
};

// Exit statuses; when several apply, the highest is returned.
inline constexpr int status_complete = 0; // every number factored completely
inline constexpr int status_composite = 1; // a part stayed composite
inline constexpr int status_trouble = 2;  // bad input, a bad option or a write error

// default_seed is used unless --seed gives one. A write error on out stops
// the command at once.
int factor_main(int argc, char **argv, const factor_io &io, unsigned long default_seed);
