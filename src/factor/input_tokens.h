// SPDX-License-Identifier: BSD-2-Clause
// The numbers brovanten-factor is given, read as coreutils factor reads
// them: whitespace-separated tokens on standard input, any number on a
// line; one token per argument, after any leading spaces. A token is a
// number when it is an optional "+" and decimal digits only; leading zeros
// are decimal. Only the significant digits count toward the size limit, and
// a token of any length is read in memory bounded by the limit. A token
// with an operator or a parenthesis in it (past a leading sign) is an
// expression (expression.h), evaluated within the same limit.
#pragma once

#include "factor/expression.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <gmp.h>
#include <string>

// Numbers with more significant digits than this are refused, and so are
// expressions of more characters: far beyond any factoring (a single
// strong test at this size takes days), yet read, screened and printed in
// seconds.
inline constexpr std::size_t max_input_digits = max_value_digits;

// A token as it was read.
struct input_token {
    std::string shown;       // its first bytes, for messages
    std::size_t length;      // its length in bytes
    std::string digits;      // its significant digits, at most one past the limit
    std::size_t digit_count; // its significant digits in all
    bool has_digit;
    bool well_formed;  // "+"? digits*, so far
    std::string text;  // its bytes, at most one past the limit
    bool has_operator; // + - * / ^ ! # ( ) past a leading "+" or "-"
};

enum class token_verdict { number, not_a_number, too_long, bad_expression };

void token_start(input_token &t);
void token_add(input_token &t, char c);

// The argument as a token: leading spaces skipped, every other byte kept.
void token_from_argument(input_token &t, const char *argument);

// Called before a read that may wait for more input: a pipe or a terminal
// whose buffered bytes are used up. The answers so far must then be out,
// for the writer of the input may be waiting for them.
using wait_hook = std::function<void()>;

// The next token of in, skipping blanks (space, tab, CR, LF, VT, FF): false
// at the end of input.
bool next_token(input_token &t, std::FILE *in, const wait_hook &before_wait);

// Whether the token is written as an expression rather than a number.
inline bool token_is_expression(const input_token &t)
{
    return t.has_operator;
}

// n = the token's value when it is a number or an expression within the
// limit. For a bad expression why says what is wrong, to follow "is"
// ("negative", "not a valid expression: ...").
token_verdict token_value(mpz_t n, const input_token &t, std::string &why);

// A number of fewer than 20 significant digits: below 2^64, factored in
// microseconds.
inline bool token_is_quick(const input_token &t)
{
    return !t.has_operator && t.digit_count < 20;
}

// n = the token's value when it is a number below 2^64.
bool token_word_value(std::uint64_t &n, const input_token &t);

// The token as messages name it: quoted, non-printing bytes as '?', cut
// after 40 bytes with its length in characters.
std::string quoted_token(const input_token &t);
