// SPDX-License-Identifier: BSD-2-Clause
// Every prime factor of a pseudoprime: the method of brovanten-factor.
//
//  1. Trial division by the primes below 100000.
//  2. Perfect powers, whenever a new composite part appears.
//  3. Splitting tests on each composite part m, all with the exponent
//     N - 1 = 2^s * t of the original N (or N + 1), whatever m is. Each
//     test draws from its own seed (see part_tests.h). What each splits:
//     - Strong tests with the fixed bases 2, 3, 5, 7, in turn with random
//       ones (2, random, 3, random, matrix, 5, random, 7): x_j =
//       b^(t*2^j) mod m and gcd(x_j - 1, m) at every j = 0 .. s. A Fermat
//       pseudoprime to base b has b^(N-1) = 1 modulo every prime, so the
//       chain reaches 1 modulo each prime at the step set by the 2-part of
//       b's order there, and primes whose steps differ are split apart.
//       Random bases would fail b^(N-1) = 1 modulo most primes of a number
//       that is no Carmichael number, and find nothing.
//     - Strong tests with random bases: the same on a Carmichael number,
//       where every base has a^(N-1) = 1 modulo every prime (p - 1 | N - 1),
//       so each new base sorts the primes afresh.
//     - Matrix tests: the tool's own test, a drawn matrix raised to N - 1
//       modulo m (by Cayley-Hamilton), with the discriminant's Jacobi
//       symbol -1 modulo m, so that the primes of m do not all see the same
//       kind of discriminant. It also splits numbers whose primes have
//       p + 1 dividing N - 1.
//     - Every second matrix test raises to N + 1 instead: a prime with
//       p + 1 | N + 1 that sees a non-square discriminant gets the scalar
//       matrix det(M)^((N+1)/(p+1)), so Lucas-Carmichael numbers and Lucas
//       pseudoprimes split where N - 1 tells their primes nothing.
//  4. Every divisor found refines the set of parts with gcds (a coprime
//     base) until each part is prime or out of tests.
//  5. Parts that no test split get Pollard-Brent rho, with a bounded
//     number of steps (see rho_full_bits), then the general methods: the
//     elliptic curves level by level up to the budget's digits, and the
//     quadratic sieve on parts of up to its sieve digits (before that only
//     the curve levels up to a quarter of the part's digits, since the sieve
//     is quicker than the rest of them there).
//  6. A part whose budget is spent stays composite.
// Numbers below 2^64 go to word_factor at once (trial division, rho and
// proven strong tests in machine words), and so does any composite part
// that fits a word.
// Every part reported prime passed mpz_probab_prime_p (Baillie-PSW).
//
// The steps go in one fixed order: always the first part that needs work,
// its primality check or its next test. On numbers of parallel_min_bits and
// more, helper threads run the checks and tests likely to come next (see
// test_pool.h), so the result and the steps shown do not depend on the
// number of threads.
#pragma once

#include "factor/factor_parts.h"
#include "factor/part_tests.h"
#include "factor/rho.h"

#include <atomic>
#include <cstddef>
#include <gmp.h>
#include <vector>

// Parts up to this size get the budget's rho steps in full when the tests
// give up; larger parts get fewer in proportion, so that rho costs about the
// same at every size.
inline constexpr std::size_t rho_full_bits = 128;
// Before the sieve, parts above this size get a sixteenth of rho's steps,
// smaller ones a quarter.
inline constexpr std::size_t rho_cheap_bits = 100;

// Strong tests on N itself before its primality test (see factorize.cpp).
inline constexpr int whole_tests_before_check = 2;

// Numbers of this size and more get helper threads, where a test takes long
// enough for a thread to pay.
inline constexpr std::size_t parallel_min_bits = 2048;

// What the method is doing, for a caller that shows progress.
enum class factor_event {
    small_primes,  // trial division is over; count = prime factors found
    test,          // a test starts on a part
    power,         // share `done` of a matrix test's power is done
    split,         // the test split its part; count = divisors it found
    prime,         // a part is a probable prime
    perfect_power, // a part was a perfect power; count = the exponent
    rho,           // rho starts on a part
    ecm,           // a level of elliptic curves starts; test = its digits,
                   // count = its curves
    curve,         // curve `count` of that level starts
    sieve,         // the quadratic sieve starts on a part
    unsplit,       // a part stays composite
};

struct factor_note {
    factor_event event;
    int part;          // 1-based among the parts of the moment
    int parts;
    std::size_t bits;  // of the part
    const char *method; // "strong", "matrix", "rho", "ECM" or "sieve"
    int test;           // the test's number on this part
    unsigned long count;
    double done;
};

// Called from the thread that called factorize(), never from a helper.
struct factor_observer {
    void (*notify)(void *context, const factor_note &note);
    void *context;
};

// Everything the method uses, created once and reused for every number.
struct factor_workspace {
    std::vector<factor_part> parts;
    mpz_t g, scratch, rest;
    test_exponent exponent;
    test_lane lane;
    test_outcome outcome;
    rho_scratch rho;
    std::vector<std::size_t> offer_order;
    // At most this many threads on one number (1: no helpers), taken from
    // spare_cores when it is set, which other workers share.
    unsigned threads;
    std::atomic<int> *spare_cores;
};

void factor_workspace_init(factor_workspace &w);
void factor_workspace_clear(factor_workspace &w);

// Factors n >= 0 into w.parts, ascending, each with its power; 0 and 1 give
// no parts. The random choices come from seed alone. Returns whether every
// part is prime.
bool factorize(factor_workspace &w, const mpz_t n, unsigned long seed,
               const factor_budget &budget = default_budget,
               const factor_observer *observer = nullptr);
