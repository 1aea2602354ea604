// SPDX-License-Identifier: BSD-2-Clause
// A factorisation in the making: parts p_i^k_i whose product is the number,
// kept pairwise coprime. Every divisor a test finds is folded in with gcds
// (a coprime base), so that a part shared by two splits is taken out of both
// and its powers add up. A part is its value, its power and its state:
// prime, composite, or not yet looked at. What has been tried on it is the
// step order's (factor_workspace.h), not the part's.
#pragma once

#include <gmp.h>

#include <vector>

enum class part_state {
    unknown,   // not yet tested for primality
    prime,     // a probable prime (Baillie-PSW)
    composite, // certainly composite, still to split
    unsplit,   // composite, and its budget of tests is spent
};

struct factor_part {
    mpz_t value;
    unsigned long power;
    part_state state;
    bool fresh; // new or changed since the base was last made coprime
};

// Adds value^power as a part of its own (value > 1), then restores the
// coprime base.
void parts_add(std::vector<factor_part> &parts, const mpz_t value, unsigned long power,
               part_state state, mpz_t scratch);

// Splits every part that shares a proper factor with d into gcd and
// cofactor, then restores the coprime base. Returns whether anything split.
bool parts_split_by(std::vector<factor_part> &parts, const mpz_t d, mpz_t scratch);

// Splits part i alone by divisors of its value, as parts_split_by would,
// the new parts going to the end. Returns whether anything split.
bool parts_split_one(std::vector<factor_part> &parts, std::size_t i, const mpz_t *divisors,
                     int count, mpz_t scratch);

// Restores the coprime base: while two parts u^i and v^j share g > 1, they
// become (u/g)^i, (v/g)^j and g^(i+j); equal parts merge, parts of 1 go.
// Only pairs with a fresh part are looked at: the others were coprime
// already, so a split of one part among hundreds costs a few gcds.
void parts_make_coprime(std::vector<factor_part> &parts, mpz_t scratch);

// Ascending by value.
void parts_sort(std::vector<factor_part> &parts);

// Frees every part and empties the list.
void parts_clear(std::vector<factor_part> &parts);
