// SPDX-License-Identifier: BSD-2-Clause
#include "report/number_text.h"

std::size_t bit_count(const mpz_t x)
{
    return mpz_sizeinbase(x, 2);
}

void write_decimal(std::FILE *out, const mpz_t x)
{
    mpz_out_str(out, 10, x);
}

void append_decimal(std::string &text, const mpz_t x)
{
    // mpz_sizeinbase may count one digit too many, never too few; room for
    // the sign and the terminator on top.
    std::size_t at = text.size();
    text.resize(at + mpz_sizeinbase(x, 10) + 2);
    mpz_get_str(&text[at], 10, x);
    text.resize(at + std::char_traits<char>::length(&text[at]));
}

std::string decimal_text(const mpz_t x)
{
    std::string text;
    append_decimal(text, x);
    return text;
}
