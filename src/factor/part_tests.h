// SPDX-License-Identifier: BSD-2-Clause
// The splitting tests of one composite part m of N, each a pure function of
// m, the exponents N - 1 and N + 1 and the test's own seed. The seed comes from the
// run's seed, m and the test's slot among m's tests, so any thread may run
// any test and the factorisation does not depend on which one did.
#pragma once

#include "engine/fast_power.h"
#include "engine/matrix_split.h"

#include <cstdint>
#include <gmp.h>

// Tests per composite part: every fifth is a matrix test while they last.
// Then rho's steps, the elliptic curves up to ecm_digits (see ecm_method.h)
// and the quadratic sieve on parts of up to sieve_digits.
struct factor_budget {
    int strong_tests;
    int matrix_tests;
    unsigned long rho_steps;
    int ecm_digits;
    int sieve_digits;
    unsigned long general_max_bits; // parts above it get no curves or sieve; 0: no bound
};
inline constexpr int default_ecm_digits = 25;
inline constexpr factor_budget default_budget = {16, 6, 1ul << 20, default_ecm_digits, 75, 700};

// The bases of a part's odd-numbered first strong tests; the others draw
// random bases. A Fermat pseudoprime to base b that is no Carmichael number
// has b^(N-1) = 1 modulo each of its primes, where nearly every other base
// has not; so b itself, with its gcd at every step, splits it where random
// bases find nothing. 3 is the base of brovanten's screening, 2 that of most
// tables. Taking turns with random bases keeps a Carmichael number built to
// be a strong pseudoprime to the first primes from wasting four tests in a
// row on them.
inline constexpr unsigned long fixed_bases[] = {2, 3, 5, 7};
inline constexpr int fixed_base_count = 4;
// Every matrix_test_period-th test is a matrix test, while the strong tests
// last; so the first matrix test comes after bases 2 and 3, each followed by
// a random one.
inline constexpr int matrix_test_period = 5;
inline constexpr int strong_tests_first = matrix_test_period - 1;

enum class test_method { strong, matrix };

// Slot k = 1, 2, ... of a part's tests: its method, its number among the
// tests of that method, for the first strong tests their fixed base (else
// 0, a random base), and for every second matrix test the exponent N + 1.
// False past the budget. A part split off another starts past the first
// strong tests its parent had, up to strong_tests_first: the fixed bases
// among them could not tell its primes apart (see factorize.cpp).
struct scheduled_test {
    test_method method;
    int number;
    unsigned long base;
    bool plus_one;
};
bool schedule_slot(scheduled_test &t, const factor_budget &budget, int slot);

// A name for the steps shown: "strong", "strong base 2", "matrix" or
// "matrix N+1".
const char *test_name(const scheduled_test &t);

// N - 1 = 2^s * odd_part, and N + 1, shared read-only by every test of one
// number.
struct test_exponent {
    mpz_t n_minus_1, odd_part, n_plus_1;
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

// A strong test with base a (or, for 0, one drawn from seed):
// gcd(a^(t*2^j) - 1, m) for every j until the power reaches 1.
void strong_test(test_outcome &o, test_lane &l, const mpz_t m, const test_exponent &e,
                 unsigned long base, std::uint64_t seed);

// A matrix test: a matrix drawn from seed (its discriminant's Jacobi symbol
// -1 modulo m) raised to N - 1, or N + 1, modulo m, and the gcds of its
// entries. With N + 1, a prime p with p + 1 | N + 1 that sees a non-square
// discriminant gets a scalar matrix (M^(p+1) = det M), which the gcds tell
// from the others. Returns false if progress stopped it.
bool matrix_test(test_outcome &o, test_lane &l, const mpz_t m, const test_exponent &e,
                 bool plus_one, std::uint64_t seed, const power_progress *progress = nullptr);
