// SPDX-License-Identifier: BSD-2-Clause
// The splitting attempts on one composite part m of N: strong tests and
// matrix tests, each a pure function of m, the exponents N - 1 and N + 1
// and its own seed (part_seed.h, from the run's seed, m and the attempt's
// slot among m's attempts). So the step order and the helper threads run an
// attempt by the same call, run_slot, and the factorisation does not depend
// on which thread ran it. Cost: one power of m's size each (a matrix test
// about three).
#pragma once

#include "engine/fast_power.h"
#include "engine/matrix_split.h"
#include "factor/factor_budget.h"

#include <cstdint>
#include <gmp.h>

// The bases of a part's odd-numbered first strong tests; the others
// draw random bases. A Fermat pseudoprime to base b that is no Carmichael
// number has b^(N-1) = 1 modulo each of its primes, where nearly every other
// base has not; so b itself, with its gcd at every step, splits it where
// random bases find nothing. 3 is the base of brovanten's screening, 2 that
// of most tables. Taking turns with random bases keeps a Carmichael number
// built to be a strong pseudoprime to the first primes from wasting four
// tests in a row on them.
inline constexpr unsigned long fixed_bases[] = {2, 3, 5, 7};
inline constexpr int fixed_base_count = 4;
// Every matrix_test_period-th attempt is a matrix test, while the strong
// tests last; so the first matrix test comes after bases 2 and 3, each
// followed by a random one.
inline constexpr int matrix_test_period = 5;
inline constexpr int strong_tests_first = matrix_test_period - 1;

enum class attempt_method { strong, matrix };

// Slot k = 1, 2, ... of a part's attempts: its method, its number among the
// tests of that method, for the first strong tests their fixed base (else
// 0, a random base), and for every second matrix test the exponent N + 1.
// False past the budget. A part split off another starts past the first
// strong tests its parent had, up to strong_tests_first: the fixed bases
// among them could not tell its primes apart (see factor_steps.cpp).
struct scheduled_attempt {
    attempt_method method;
    int number;
    unsigned long base;
    bool plus_one;
};
bool schedule_slot(scheduled_attempt &a, const factor_budget &budget, int slot);

// A name for the steps shown: "strong", "strong base 2", "matrix" or
// "matrix N+1".
const char *attempt_name(const scheduled_attempt &a);

// N - 1 = 2^s * odd_part, and N + 1, shared read-only by every attempt on
// the parts of one number.
struct attempt_exponent {
    mpz_t n_minus_1, odd_part, n_plus_1;
    unsigned long s;
};

void attempt_exponent_init(attempt_exponent &e);
void attempt_exponent_clear(attempt_exponent &e);
void attempt_exponent_set(attempt_exponent &e, const mpz_t n);

// What one attempt found: proper divisors of m (at most max_found), and for
// a strong test whether m passed it as a Miller-Rabin test.
inline constexpr int max_found = 64;
struct attempt_outcome {
    mpz_t found[max_found];
    int found_count;
    bool passed;
};

void attempt_outcome_init(attempt_outcome &o);
void attempt_outcome_clear(attempt_outcome &o);
void attempt_outcome_copy(attempt_outcome &to, const attempt_outcome &from);

// The big integers of one running attempt; one per thread.
struct attempt_lane {
    mpz_t base, x, g, scratch;
    test_scratch matrix;
    mpz_t divisors[max_divisors];
    fast_power_scratch power;
};

void attempt_lane_init(attempt_lane &l);
void attempt_lane_clear(attempt_lane &l);

// What every attempt of one number shares: N's exponents, the run's seed,
// and the budget that lays out the slots.
struct attempt_setup {
    const attempt_exponent *exponent;
    unsigned long run_seed;
    factor_budget budget;
};

// Runs slot `slot` of m's attempts (a slot the budget has) into o: for a
// strong test with base a (fixed, or drawn from the attempt's seed),
// gcd(a^(t*2^j) - 1, m) for every j until the power reaches 1; for a matrix
// test a matrix drawn from the seed (its discriminant's Jacobi symbol -1
// modulo m) raised to N - 1 or N + 1 modulo m, and the gcds of its entries.
// With N + 1, a prime p with p + 1 | N + 1 that sees a non-square
// discriminant gets a scalar matrix (M^(p+1) = det M), which the gcds tell
// from the others. A matrix test reports its progress, and returns false
// when progress stops it.
bool run_slot(attempt_outcome &o, attempt_lane &l, const mpz_t m, int slot,
              const attempt_setup &setup, const power_progress &progress = {});

// The primality check every new part gets: GMP's mpz_probab_prime_p with
// 25 rounds, that is Baillie-PSW and one Miller-Rabin test.
bool is_probable_prime(const mpz_t m);
