// SPDX-License-Identifier: BSD-2-Clause
// Printing big integers the way every text of the tool shows them: decimal
// digits only, and a bit count in which 0 counts as one bit.
#pragma once

#include <cstddef>
#include <cstdio>
#include <gmp.h>
#include <string>

// Binary digits of |x|; mpz_sizeinbase already counts 0 as one digit.
std::size_t bit_count(const mpz_t x);

// x in base 10 with a "-" only when negative, no grouping, no padding.
void write_decimal(std::FILE *out, const mpz_t x);

// The same text, added to the end of text.
void append_decimal(std::string &text, const mpz_t x);

// The same text on its own.
std::string decimal_text(const mpz_t x);
