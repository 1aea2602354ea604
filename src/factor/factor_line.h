// SPDX-License-Identifier: BSD-2-Clause
// The output line of brovanten-factor, as coreutils factor prints it:
// "N: p1 p2 ... pk", ascending, each prime repeated for its power, a
// composite part that could not be split in brackets in its place, and a
// part not known to be prime or composite (left by --trial or a signal)
// in parentheses.
#pragma once

#include "factor/factor_parts.h"
#include "factor/word_factor.h"

#include <gmp.h>
#include <string>
#include <vector>

// The line with its line feed; parts must be ascending, as factorize()
// leaves them.
std::string factor_line_text(const mpz_t n, const std::vector<factor_part> &parts);

// The same line for n below 2^64 and its factors, appended to line.
void append_word_line(std::string &line, u64 n, const word_factors &f);
