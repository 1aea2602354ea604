// SPDX-License-Identifier: BSD-2-Clause
// Running brovanten-factor as a function, and its expected output lines.
#pragma once

#include <string>
#include <vector>

struct cli_result {
    int status;
    std::string out, err;
};

// factor_main with these arguments, standard input holding input, and the
// given seed unless the arguments set one.
cli_result run_factor(const std::vector<std::string> &args, const std::string &input = "",
                      bool err_is_terminal = false, unsigned long seed = 1);

// Another program, found on PATH, with these arguments (argv[0] first) and
// standard input holding input; status is its exit status, or -1 if it
// could not be started or did not exit.
cli_result run_program(const std::vector<std::string> &argv, const std::string &input);

// "N: p1 p2 ...\n" with the primes sorted by value.
std::string factor_line(const std::string &n, std::vector<std::string> primes);
