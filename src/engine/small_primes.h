// SPDX-License-Identifier: BSD-2-Clause
// The primes below 100000 (9592 of them), sieved once on first use.
#pragma once

#include <vector>

inline constexpr unsigned long small_prime_bound = 100000;

const std::vector<unsigned long> &small_primes();
