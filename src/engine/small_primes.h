// SPDX-License-Identifier: BSD-2-Clause
// The primes below 100000 (9592 of them), sieved once on first use, and
// trial division by them: the screening of brovanten and the first step of
// brovanten-factor walk the same list.
#pragma once

#include <cstddef>
#include <gmp.h>
#include <vector>

inline constexpr unsigned long small_prime_bound = 100000;

// The primes below bound, by the sieve of Eratosthenes.
std::vector<unsigned long> primes_below(unsigned long bound);

// The primes below small_prime_bound, ascending.
const std::vector<unsigned long> &small_primes();

// The first of small_primes()[from], small_primes()[from + 1], ... that
// divides n (of any sign; 0 is divisible by every one), or 0 if none does.
// from is left just past the prime returned, so that the next call goes on
// from there.
unsigned long next_small_prime_divisor(const mpz_t n, std::size_t &from);

// The same for n > 0, but it gives up (returning 0) as soon as the next
// prime's square exceeds n, which then has no prime factor below its root:
// it is 1 or a prime.
unsigned long next_small_prime_divisor_below_root(const mpz_t n, std::size_t &from);
