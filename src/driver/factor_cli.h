// SPDX-License-Identifier: BSD-2-Clause
// brovanten-factor as a function: its options, its inputs from the
// arguments or from standard input, one output line per number, messages
// and progress on standard error, and its exit status.
#pragma once

#include <cstdio>

struct factor_io {
    std::FILE *in;
    std::FILE *out;
    std::FILE *err;
    bool err_is_terminal; // progress lines only on a terminal
};

// Numbers longer than this are refused as input: beyond it a single test
// would take hours.
inline constexpr unsigned long max_input_digits = 20000;

// default_seed is used unless --seed gives one. Returns the exit status:
// 0 when every number was factored completely, 1 when a part stayed
// composite, 2 when an input was not a non-negative decimal integer or the
// options were wrong.
int factor_main(int argc, char **argv, const factor_io &io, unsigned long default_seed);
