// SPDX-License-Identifier: BSD-2-Clause
// The factoring tests as the user sees them: up to ten tests, each
// announced before its matrix power runs, its divisors printed, its time
// printed after. The loop stops after the first test that reports a divisor.
#pragma once

#include "driver/clock.h"
#include "engine/rng.h"
#include "engine/matrix_split.h"

#include <cstdio>
#include <gmp.h>

inline constexpr int max_tests = 10;

// "Test made in %0.2f s.\n" for a test that took elapsed_ms milliseconds.
void print_test_time(std::FILE *out, long long elapsed_ms);

// Runs the tests on n (odd, above 1), printing to out. Returns the number of
// divisors the last test reported, 0 if no test found any; they are in
// divisors[], and t.drawn holds the matrix of the test that found them.
int run_tests(test_scratch &t, mpz_t divisors[max_divisors], rng_state &g,
              const mpz_t n, const run_clock &clock, std::FILE *out);
