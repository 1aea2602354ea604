// SPDX-License-Identifier: BSD-2-Clause
// The splitting tests of one composite part m of N, each a pure function of
// m, the exponent N - 1 and the test's own seed. The seed comes from the
// run's seed, m and the test's slot among m's tests, so any thread may run
// any test and the factorisation does not depend on which one did.
#pragma once

#include "engine/fast_power.h"
#include "engine/matrix_split.h"

#include <cstdint>
#include <gmp.h>

// Tests per composite part: every fifth is a matrix test while they last.
struct factor_budget {
    int strong_tests;
    int matrix_tests;
    unsigned long rho_steps;
};
inline constexpr factor_budget default_budget = {16, 4, 1ul << 20};

enum class test_method { strong, matrix };

// Slot k = 1, 2, ... of a part's tests: its method and its number among the
// tests of that method. False past the budget.
struct scheduled_test {
    test_method method;
    int number;
};
bool schedule_slot(scheduled_test &t, const factor_budget &budget, int slot);

// N - 1 = 2^s * odd_part, shared read-only by every test of one number.
struct test_exponent {
    mpz_t n_minus_1, odd_part;
    unsigned long s;
};

void test_exponent_init(test_exponent &e);
void test_exponent_clear(test_exponent &e);
void test_exponent_set(test_exponent &e, const mpz_t n);

// What one test found: proper divisors of m (at most max_found), and for a
// strong test whether m passed it as a Miller-Rabin test.
inline constexpr int max_found = 64;
struct test_outcome {
    mpz_t found[max_found];
    int found_count;
    bool passed;
};

void test_outcome_init(test_outcome &o);
void test_outcome_clear(test_outcome &o);
void test_outcome_copy(test_outcome &to, const test_outcome &from);

// The big integers of one running test; one per thread.
struct test_lane {
    mpz_t base, x, g, scratch;
    test_scratch matrix;
    mpz_t divisors[max_divisors];
    fast_power_scratch power;
};

void test_lane_init(test_lane &l);
void test_lane_clear(test_lane &l);

std::uint64_t part_test_seed(unsigned long run_seed, const mpz_t m, int slot);

// A strong test with a base drawn from seed: gcd(a^(t*2^j) - 1, m) for every
// j until the power reaches 1.
void strong_test(test_outcome &o, test_lane &l, const mpz_t m, const test_exponent &e,
                 std::uint64_t seed);

// A matrix test: a matrix drawn from seed (its discriminant's Jacobi symbol
// -1 modulo m) raised to N - 1 modulo m, and the gcds of its entries.
// Returns false if progress stopped it.
bool matrix_test(test_outcome &o, test_lane &l, const mpz_t m, const test_exponent &e,
                 std::uint64_t seed, const power_progress *progress = nullptr);
