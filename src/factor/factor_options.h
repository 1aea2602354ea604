// SPDX-License-Identifier: BSD-2-Clause
// The options of brovanten-factor, parsed with getopt_long: short options
// may be joined ("-s5", "-vs5"), long ones take "=value" or the next
// argument, "--" ends the options, and options may follow the numbers.
#pragma once

#include <string>

struct factor_options {
    unsigned long seed;
    bool verbose;
    int first_number; // argv[first_number .. argc) are the numbers
};

enum class options_verdict { run, help, version, error };

// Parses argv (which getopt_long reorders: options first). seed keeps its
// value unless --seed gives one. On error, message says what was wrong.
options_verdict parse_factor_options(factor_options &options, int argc, char **argv,
                                     std::string &message);
