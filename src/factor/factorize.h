// SPDX-License-Identifier: BSD-2-Clause
// Every prime factor of a number: brovanten-factor's method. The number
// starts as one part; the first part that needs work gets the next step of
// the table in factor_steps.h that applies to it, until every part is prime
// or given up:
//  1. Below 2^64, everything at once in machine words (word_factor).
//  2. Trial division by the primes below 100000.
//  3. Two strong tests on N itself before its primality check.
//  4. Every new part: the primality check (Baillie-PSW), then perfect
//     powers, then parts that fit a word go to word_factor.
//  5. Splitting attempts (split_attempts.h) on each composite part m, all
//     with the exponent N - 1 = 2^s * t of the original N (or N + 1),
//     whatever m is:
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
//  6. Every divisor found refines the set of parts with gcds (a coprime
//     base), and the pieces start past the fixed bases their part had.
//  7. Parts that no attempt split get Pollard-Brent rho, with a bounded
//     number of steps, then the general methods on parts up to the
//     budget's size: Pollard p - 1 and Williams p + 1, the elliptic curves
//     level by level up to the budget's digits, and the quadratic sieve on
//     parts of up to its sieve digits (before it, only the curve levels up
//     to 28% of the part's digits, since the sieve is quicker than the
//     rest of them there).
//  8. A part whose budget is spent stays composite.
// Every part reported prime passed Baillie-PSW; below 2^64 the strong tests
// of word_prime.h prove it.
//
// On numbers of parallel_min_bits and more, helper threads run the checks
// and attempts the step order will take next (attempt_pool.h,
// look_ahead.h), so the result and the steps shown do not depend on the
// number of threads.
#pragma once

#include "factor/factor_budget.h"
#include "factor/factor_note.h"
#include "factor/factor_workspace.h"

#include <cstddef>
#include <gmp.h>

// Numbers of this size and more get helper threads, where an attempt takes
// long enough for a thread to pay.
inline constexpr std::size_t parallel_min_bits = 2048;

// Factors n >= 0 into w.parts, ascending, each with its power and state;
// 0 and 1 give no parts. The random choices come from seed alone. Returns
// whether every part is prime; false also when w.stop ended the run, with
// the parts found so far.
bool factorize(factor_workspace &w, const mpz_t n, unsigned long seed,
               const factor_budget &budget = default_budget,
               const factor_observer &observer = {});
