// SPDX-License-Identifier: BSD-2-Clause
// The options of brovanten-factor, parsed with getopt_long: short options
// may be joined ("-s5", "-vs5"), long ones take "=value" or the next
// argument and may be shortened to any unambiguous prefix, "--" ends the
// options, and options may follow the numbers. Mistakes are worded as
// coreutils words them.
#pragma once

#include <string>

struct factor_options {
    unsigned long seed;
    bool verbose;
    bool json;               // JSON Lines instead of factor lines
    bool kind;               // a line on what kind of number each N is
    unsigned long kind_bases; // its prime bases are those below this
    unsigned threads;        // workers; 0 for one per core
    int effort;              // --effort's digit level (default_effort unless given)
    bool prove;              // every printed prime proven
    unsigned long trial;     // --trial: trial division by the primes below this only; 0: off
    int first_number;        // argv[first_number .. argc) are the numbers
};

// The most workers -j takes.
inline constexpr unsigned long max_threads = 1024;

// The largest bound --bases takes: the trial-division primes go that far.
inline constexpr unsigned long max_kind_bases = 100000;

// The highest --effort: the last level of elliptic curves.
inline constexpr unsigned long max_effort = 60;

// The bounds --trial takes: 2 (no prime at all) to 2^32, past which trial
// division takes hours on any number that needs it that far.
inline constexpr unsigned long min_trial_bound = 2;
inline constexpr unsigned long max_trial_bound = 1ul << 32;

enum class options_verdict { run, help, version, error };

// Parses argv (which getopt_long reorders: options first). seed keeps its
// value unless --seed gives one. On error, message says what was wrong.
options_verdict parse_factor_options(factor_options &options, int argc, char **argv,
                                     std::string &message);
