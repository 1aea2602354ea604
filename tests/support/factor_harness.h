// SPDX-License-Identifier: BSD-2-Clause
// Running brovanten-factor as a function, and its expected output lines.
#pragma once

#include "factor/factorize.h"

#include <string>
#include <vector>

// A factor workspace for one test, cleared however the test ends (a
// failed ASSERT included).
struct workspace_fixture {
    factor_workspace w;
    workspace_fixture() { factor_workspace_init(w); }
    ~workspace_fixture() { factor_workspace_clear(w); }
    workspace_fixture(const workspace_fixture &) = delete;
    workspace_fixture &operator=(const workspace_fixture &) = delete;
};

// A budget with only the splitting attempts named, every other method off.
factor_budget attempts_only(int strong_tests, int matrix_tests);

// The parts of the last factorisation as "p^k " for primes and "m^k? " for
// the others, ascending.
std::string parts_text(const std::vector<factor_part> &parts);

struct cli_result {
    int status;
    std::string out, err;
};

// factor_main with these arguments, standard input holding input, and the
// given seed unless the arguments set one. On a terminal the progress line
// shows after progress_after seconds of work on a number: at once unless
// told.
cli_result run_factor(const std::vector<std::string> &args, const std::string &input = "",
                      bool err_is_terminal = false, unsigned long seed = 1,
                      double progress_after = 0);

// Another program, found on PATH, with these arguments (argv[0] first) and
// standard input holding input; status is its exit status, or -1 if it
// could not be started or did not exit.
cli_result run_program(const std::vector<std::string> &argv, const std::string &input);

// In a forked child: replaces it with program (a path, or a name looked up
// in PATH), argv[0] set to name, then the args; exits 127 if it cannot.
[[noreturn]] void exec_program(const std::string &program, const std::string &name,
                               const std::vector<std::string> &args);

bool starts_with(const std::string &text, const std::string &start);

// The first prime above 2^bits + offset, in decimal.
std::string prime_above(unsigned long bits, unsigned long offset = 0);

// The product of decimal factors, in decimal.
std::string product(const std::vector<std::string> &factors);

// "N: p1 p2 ...\n" with the primes sorted by value.
std::string factor_line(const std::string &n, std::vector<std::string> primes);
