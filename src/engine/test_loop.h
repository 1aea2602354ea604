// The factoring tests. Each test draws an accepted matrix M, computes
// R = M^(N-1) mod N and reports the divisors gcd(r00 - 1, N), gcd(r01, N),
// gcd(r10, N), gcd(r11 - 1, N), each reduced mod N so that N itself becomes
// 0. For a Carmichael number or a pseudoprime, R is the identity modulo some
// prime factors of N and not modulo others, and the gcds split N. Up to ten
// tests; the loop stops after the first one that reports a factor.
#pragma once

#include "engine/matrix.h"
#include "engine/select_matrix.h"

#include <cstdio>
#include <gmp.h>

inline constexpr int max_tests = 10;

// Every big integer the tests use, created once for the whole run.
struct test_state {
    matrix2 drawn;  // M as drawn for the latest test; the certificate's input
    matrix2 power;  // copy of M squared in place by the power
    matrix2 result; // R
    mpz_t exponent; // N - 1
    mpz_t candidate[4];
    select_scratch select;
    matrix_scratch product;
};

void test_state_init(test_state &t);
void test_state_clear(test_state &t);

// "Test made in %0.2f s.\n" for a test that took elapsed_ms milliseconds.
void print_test_time(std::FILE *out, long long elapsed_ms);

// Runs the tests on n (odd, above 1), printing to out and appending factor
// lines to the results log. Returns whether any factor was reported;
// t.drawn then holds the matrix of the last test run.
bool run_tests(test_state &t, const mpz_t n, std::FILE *out);
