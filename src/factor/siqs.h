// SPDX-License-Identifier: BSD-2-Clause
// The self-initialising quadratic sieve: a proper divisor of an odd
// composite N that is no perfect power, in time about
// exp(sqrt(ln N ln ln N)); under a second at 60 digits, about half a minute
// at 75 on one core. The steps: the factor base (siqs_factor_base.h), the
// polynomials (siqs_poly.h), the sieve (siqs_sieve.h), the large-prime
// cycles (siqs_relations.h), the linear algebra and the square root
// (siqs_combine.h).
//
// Threads sieve the polynomials of different A values; the relations are
// taken in the order of the A values, and the sieve stops at the first A
// after which there are enough, so the relations, the divisor and every
// figure reported are the same for any number of threads and replay from
// the seed. Everything is kept in memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <gmp.h>

// Called in the caller's thread after each A, in order, with the relations
// found (full ones and cycles) and those needed; false stops the sieve.
using siqs_watch = std::function<bool(unsigned long found, unsigned long needed)>;

enum class siqs_verdict {
    found,   // divisor is a proper divisor
    failed,  // the sieve found none within its bounds
    stopped, // the watch or the stop flag stopped it
};

// What one run did, for --verbose.
struct siqs_figures {
    unsigned long multiplier;
    unsigned long base_size;
    unsigned long polynomials, candidates;
    unsigned long fulls, partials, cycles;
    unsigned long columns, rows;
};

struct siqs_params;

// Once *stop is set (from any thread), the sieve ends within a polynomial.
// params, when given, replaces the row of the table (for tuning it).
siqs_verdict siqs_find_divisor(mpz_t divisor, const mpz_t n, unsigned threads, std::uint64_t seed,
                               const siqs_watch &watch = {}, siqs_figures *figures = nullptr,
                               const siqs_params *params = nullptr,
                               const std::atomic<bool> *stop = nullptr);
