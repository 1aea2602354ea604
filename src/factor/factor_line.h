// SPDX-License-Identifier: BSD-2-Clause
// The output line of brovanten-factor, as coreutils factor prints it:
// "N: p1 p2 ... pk", ascending, each prime repeated for its power, and a
// composite part that could not be split in brackets in its place.
#pragma once

#include "factor/factor_parts.h"

#include <cstdio>
#include <gmp.h>
#include <vector>

// parts must be ascending, as factorize() leaves them.
void write_factor_line(std::FILE *out, const mpz_t n, const std::vector<factor_part> &parts);
