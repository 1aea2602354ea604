// SPDX-License-Identifier: BSD-2-Clause
// The relations of one run of the quadratic sieve, in the order of their
// polynomials, and the cycles their large primes make.
//
// A relation with large primes q1, q2 (1 where there is none) is an edge
// q1 - q2 of a graph whose vertices are 1 and the large primes; a full
// relation is a loop at 1. Every cycle of the graph is a product of
// relations in which each large prime appears an even number of times, as
// good as a full relation for the linear algebra. Their number is
// edges - vertices + components, kept up to date with a union-find as
// relations arrive; the cycles themselves are found once at the end from a
// spanning forest: each edge outside it closes one.
#pragma once

#include "factor/siqs_sieve.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct siqs_relations {
    std::vector<siqs_relation_batch::entry> entries;
    std::vector<std::uint32_t> factors;
    std::vector<mp_limb_t> limbs;
    std::unordered_set<std::uint64_t> seen; // hashes of Y, to drop repeats
    std::unordered_map<std::uint32_t, std::uint32_t> vertex; // large prime -> vertex (1 -> 0)
    std::vector<std::uint32_t> parent;                        // union-find over vertices
    unsigned long fulls = 0, cycles = 0;
};

void siqs_relations_reset(siqs_relations &r);

// Adds the batch's relations that are new.
void siqs_relations_add(siqs_relations &r, const siqs_relation_batch &batch);

// Full relations and cycles: the columns the matrix would have.
inline unsigned long siqs_relations_usable(const siqs_relations &r)
{
    return r.fulls + r.cycles;
}

// The columns of the matrix: column c is the product of the relations
// members[start[c] .. start[c + 1]), a full relation or a cycle.
struct siqs_columns {
    std::vector<std::uint32_t> start{0};
    std::vector<std::uint32_t> members;
    std::size_t count() const { return start.size() - 1; }
};

void siqs_relations_columns(siqs_columns &columns, const siqs_relations &r);

// y = the relation's Y mod N.
void siqs_relation_y(mpz_t y, const siqs_relations &r, std::uint32_t relation);
