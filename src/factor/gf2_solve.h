// SPDX-License-Identifier: BSD-2-Clause
// Dependencies among the columns of a sparse matrix over GF(2): sets of
// columns whose sum is zero, the last step of the quadratic sieve (each
// column is a relation's exponent vector modulo 2, each dependency a square).
// Up to 64 dependencies come back at once, one per bit of a word.
//
// Small matrices (up to dense_max_columns) are solved by Gaussian
// elimination on dense bit rows, in O(c^2 (r + c) / 64) word operations.
// Larger ones by Montgomery's block Lanczos method with blocks of 64
// vectors: about c / 63 iterations, each two passes over the entries and a
// few products of c x 64 and 64 x 64 blocks, so O(c w + c^2) for w entries.
// Either way every dependency returned is checked against the matrix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Column j holds the row indices entries[start[j] .. start[j + 1]); a row
// index listed twice in one column cancels.
struct gf2_sparse {
    std::size_t rows = 0;
    std::vector<std::uint32_t> start{0};
    std::vector<std::uint32_t> entries;

    std::size_t columns() const { return start.size() - 1; }
};

inline constexpr std::size_t dense_max_columns = 1000;

// deps[j] has bit k set when column j is in dependency k. Returns how many
// dependencies there are: bits 0 .. count-1 of the words, each a nonempty
// set of columns that sums to zero, no two the same. The random start of
// the Lanczos method comes from seed.
int gf2_find_dependencies(std::vector<std::uint64_t> &deps, const gf2_sparse &m,
                          std::uint64_t seed);

// The two methods on their own, for the tests: both leave deps as above but
// may return dependencies that are empty or repeated (the caller above
// removes those) and, for Lanczos, none at all if the start was unlucky.
void gf2_dense_dependencies(std::vector<std::uint64_t> &deps, const gf2_sparse &m);
bool gf2_lanczos_dependencies(std::vector<std::uint64_t> &deps, const gf2_sparse &m,
                              std::uint64_t seed);
