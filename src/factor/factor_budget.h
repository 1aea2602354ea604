// SPDX-License-Identifier: BSD-2-Clause
// How much each step may spend on a composite part: the splitting attempts,
// rho's steps, the bounds of p - 1 and p + 1, the curves' levels, the
// sieve's reach, and how much less the curves do on large parts. Each
// default is named once, here; --effort turns them in one place
// (budget_for_effort), and the default budget is that of one effort level,
// default_effort. A zero turns a method off.
#pragma once

struct factor_budget {
    int strong_tests;               // strong tests per part (the first with fixed bases)
    int matrix_tests;               // matrix tests per part (every fifth attempt while strong ones last)
    unsigned long rho_steps;        // Pollard-Brent rho's steps on a part of up to 128 bits
    double pm1_b1;                  // Pollard p - 1's stage-1 bound
    double pp1_b1;                  // Williams p + 1's
    int ecm_digits;                 // the curves go up to the level of factors of this many digits
    int sieve_digits;               // the sieve takes parts of up to this many digits
    unsigned long large_part_bits;  // parts above get the curves of fewer digits...
    int large_part_fewer_digits;    // ...this many fewer; 0 bits: no part is large
};

inline constexpr int default_strong_tests = 16;
inline constexpr int default_matrix_tests = 6;
// About a million steps: a factor of 40 bits in a few tenths of a second.
inline constexpr unsigned long default_rho_steps = 1ul << 20;
// p - 1 and p + 1 go where the curves go, ahead of them. Measured on
// products of two primes of half the size (GMP-ECM 7.0.5, its default B2),
// against the first level of curves (25 curves, B1 = 2000): at 100 bits
// p - 1 to 30000 takes 3.9 ms and p + 1 to 10000 2.1 ms, against 32 ms;
// at 200 bits 7.2 and 4.0 ms against 69 ms; at 700 bits 25 and 14 ms
// against 265 ms. Together about a sixth of that level. p + 1 costs about
// twice p - 1 at the same bound, and with a random start it is p - 1 half
// the time, so it gets the smaller bound.
inline constexpr double default_pm1_b1 = 30000;
inline constexpr double default_pp1_b1 = 10000;
inline constexpr int default_ecm_digits = 25;
// The sieve (siqs.h) is quicker than the curves past their first levels up
// to about here, where it takes two to three minutes on one core (see
// docs/performance.md).
inline constexpr int default_sieve_digits = 85;
// The default effort: the curves up to factors of this many digits.
inline constexpr int default_effort = default_ecm_digits;
// Parts above 700 bits get the curves of ten digits fewer at every effort,
// so the default finds the factors of up to 15 digits of a large number:
// a 1023-bit part that nothing splits costs 0.7 s so (2 s at 2184 bits),
// where the levels of 20 and 25 digits would cost a minute and a half.
// A higher effort reaches further on them: --effort=35 gives 25 digits.
inline constexpr unsigned long default_large_part_bits = 700;
inline constexpr int default_large_part_fewer_digits = 10;

constexpr factor_budget make_default_budget()
{
    factor_budget b{};
    b.strong_tests = default_strong_tests;
    b.matrix_tests = default_matrix_tests;
    b.rho_steps = default_rho_steps;
    b.pm1_b1 = default_pm1_b1;
    b.pp1_b1 = default_pp1_b1;
    b.ecm_digits = default_ecm_digits;
    b.sieve_digits = default_sieve_digits;
    b.large_part_bits = default_large_part_bits;
    b.large_part_fewer_digits = default_large_part_fewer_digits;
    return b;
}
inline constexpr factor_budget default_budget = make_default_budget();

// The budget of --effort D (0 to 60): the curves up to factors of D
// digits (D - 10 on parts above 700 bits), and p - 1, p + 1 and the sieve
// as by default; --effort=0 turns all four off. D = default_effort gives
// the default budget.
factor_budget budget_for_effort(int effort);
