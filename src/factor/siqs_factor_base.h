// SPDX-License-Identifier: BSD-2-Clause
// The factor base of the quadratic sieve: a multiplier k chosen by the
// Knuth-Schroeppel function, so that kN is a square modulo many small
// primes, and the primes p with (kN / p) = 1 (or p | k), with a square root
// of kN modulo each, its logarithm in bits for the sieve, and p^-1 modulo
// 2^32 for the test of divisibility by a multiplication. Building it costs
// one remainder of N per prime tried.
#pragma once

#include <cstdint>
#include <gmp.h>
#include <vector>

struct siqs_factor_base {
    unsigned long multiplier;
    mpz_t kn;
    // Index 0 stands for the sign (-1), index 1 for 2; then odd primes,
    // ascending.
    std::vector<std::uint32_t> prime;
    std::vector<std::uint32_t> sqrt_kn; // a square root of kN modulo the prime
    std::vector<std::uint32_t> inverse; // prime^-1 mod 2^32, for odd primes
    std::vector<std::uint32_t> limit;   // (2^32 - 1) / prime
    std::vector<std::uint8_t> logp;     // log2 of the prime, rounded
    // The primes from first_sieved on are sieved; those from first_large on
    // (a few hits a block at most) through buckets.
    std::uint32_t first_sieved, first_large;
};

void siqs_factor_base_init(siqs_factor_base &fb);
void siqs_factor_base_clear(siqs_factor_base &fb);

// The multiplier k among the small odd squarefree numbers that maximises
// the Knuth-Schroeppel function of kN.
unsigned long siqs_choose_multiplier(const mpz_t n);

// Builds the base of `size` primes for the odd n. Returns false, with
// divisor set to a proper divisor of n, when a prime tried divides n.
bool siqs_factor_base_build(siqs_factor_base &fb, mpz_t divisor, const mpz_t n, unsigned size);

// A square root of a modulo the odd prime p, for a square a (Tonelli-Shanks).
std::uint32_t sqrt_mod_prime(std::uint32_t a, std::uint32_t p);
