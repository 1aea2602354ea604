// SPDX-License-Identifier: BSD-2-Clause
// The table of published pseudoprimes (examples/pseudoprimes.tsv): tab-
// separated n, bits, kind, prime factors (blank-separated), source; lines
// that start with '#' and the heading line are skipped. Tests and
// benchmarks read it through this one reader.
#pragma once

#include <string>
#include <vector>

struct published_number {
    std::string n, bits, kind;
    std::vector<std::string> factors;
};

std::vector<published_number> read_published_table(const std::string &path);
