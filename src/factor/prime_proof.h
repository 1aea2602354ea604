// SPDX-License-Identifier: BSD-2-Clause
// Proofs that the primes brovanten-factor prints are prime, for --prove.
// Every part factorize() calls prime passed Baillie-PSW, which has no known
// liar; a proof settles it:
//  - below 2^64, the strong tests to bases with no liar there (what
//    word_is_prime does);
//  - below 3.3 * 10^24, strong tests to the primes up to 41, which have no
//    common liar below that bound (Sorenson and Webster);
//  - Pocklington's test when trial division below 100000 factors enough of
//    p - 1 (F with F^2 > p);
//  - otherwise FLINT's APR-CL, 1.5 s at 1000 bits, 80 s at 3000.
#pragma once

#include <gmp.h>

enum class prime_proof { failed, word_bases, first_primes, pocklington, aprcl };

// The proof's name for --verbose.
const char *prime_proof_name(prime_proof how);

// How p (a probable prime above 1) was proven prime, or failed when p is
// composite after all.
prime_proof prove_prime(const mpz_t p);

// FLINT keeps caches per thread (its pool of integers among them); a thread
// that proved primes frees them with this before it ends, so that leak
// checkers find nothing.
void flint_thread_done();

// What --prove runs on each prime; tests put a false verdict in its place.
using prime_prover = prime_proof (*)(const mpz_t p);
