// SPDX-License-Identifier: BSD-2-Clause
// Numbers written as expressions, as GMP-ECM and PARI/GP take them:
// decimal integers, + - * / ^, postfix ! (factorial) and # (primorial,
// the product of the primes up to n), parentheses, and a minus sign in
// front of a term, evaluated exactly with GMP. ^ binds right to left and
// tighter than a minus sign in front (-2^2 is -4), ! and # tighter still
// (2^3! is 2^6). Blanks may stand between the pieces. Division must be
// exact.
//
// Sizes are bounded before anything is computed: every value along the
// way, the result included, has at most max_value_bits bits (so at most
// max_value_digits digits), each operation's result size is estimated
// from its operands first, so 10^10^10 is refused at once, and the values
// waiting for the rest of the expression hold at most max_held_bits in
// all. The cost is that of GMP's operations on values of that size: a
// second or two at the largest.
#pragma once

#include <cstddef>
#include <gmp.h>
#include <string>

inline constexpr std::size_t max_value_digits = 1000000;
// No value of this many bits has more digits than that; values of one bit
// more may have, and are looked at digit by digit.
inline constexpr std::size_t max_value_bits = 3321928;
inline constexpr std::size_t max_held_bits = 4 * max_value_bits;
// Operands waiting at once (parentheses, and operators waiting for their
// right side); past it the expression is refused as nested too deeply.
inline constexpr int max_waiting_operands = 64;
// Parentheses and minus signs open at once, which the evaluation recurses
// into; past it the expression is refused as nested too deeply.
inline constexpr int max_nesting = 1000;

// value = the expression text[0 .. length), which may be negative. False
// with why set when it is no valid expression or cannot be evaluated
// within the limits; why then reads after "is": "not a valid expression:
// ')' expected at character 7", "too large: ...", "not an integer: the
// division at character 3 leaves a remainder".
bool evaluate_expression(mpz_t value, const char *text, std::size_t length, std::string &why);
