// SPDX-License-Identifier: BSD-2-Clause
#include "factor/input_tokens.h"

#include "factor/stop_signals.h"

#include <cctype>
#include <sys/stat.h>

namespace {

constexpr std::size_t shown_bytes = 40;

bool is_blank(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Whether the next getc would have to read from the file itself, and so
// perhaps wait. Without a look into the buffer, every read might.
bool input_drained(std::FILE *in)
{
#ifdef __GLIBC__
    return in->_IO_read_ptr >= in->_IO_read_end;
#else
    (void)in;
    return true;
#endif
}

bool is_operator(char c)
{
    switch (c) {
    case '+': case '-': case '*': case '/': case '^': case '!': case '#': case '(': case ')':
        return true;
    default:
        return false;
    }
}

bool may_wait(std::FILE *in)
{
    struct stat status;
    return fstat(fileno(in), &status) != 0 || !S_ISREG(status.st_mode);
}

// A read that may wait comes after the answers are out; a signal while
// it waits ends the command at once (stop_signals.h), and once a stop was
// asked it reads nothing.
int read_char(std::FILE *in, const wait_hook &before_wait)
{
    if (!input_drained(in) || !may_wait(in))
        return std::getc(in);
    before_wait();
    if (!stop_wait_begins())
        return EOF;
    int c = std::getc(in);
    stop_wait_ends();
    return c;
}

} // namespace

void token_start(input_token &t)
{
    t.shown.clear();
    t.length = 0;
    t.digits.clear();
    t.digit_count = 0;
    t.has_digit = false;
    t.well_formed = true;
    t.text.clear();
    t.has_operator = false;
}

void token_add(input_token &t, char c)
{
    if (t.shown.size() < shown_bytes)
        t.shown += c;
    bool sign_allowed = t.length == 0;
    ++t.length;
    if (t.text.size() <= max_input_digits)
        t.text += c;
    if (c == '+' && sign_allowed)
        return;
    // A sign alone in front ("-5", "-") is a malformed number, not an
    // expression, and is refused as one.
    if (is_operator(c) && !(c == '-' && sign_allowed))
        t.has_operator = true;
    if (c < '0' || c > '9') {
        t.well_formed = false;
        return;
    }
    t.has_digit = true;
    if (c == '0' && t.digit_count == 0)
        return;
    ++t.digit_count;
    if (t.digits.size() <= max_input_digits)
        t.digits += c;
}

void token_from_argument(input_token &t, const char *argument)
{
    token_start(t);
    while (*argument == ' ')
        ++argument;
    for (; *argument != '\0'; ++argument)
        token_add(t, *argument);
}

bool next_token(input_token &t, std::FILE *in, const wait_hook &before_wait)
{
    token_start(t);
    int c;
    while ((c = read_char(in, before_wait)) != EOF && is_blank(c)) {
    }
    if (c == EOF)
        return false;
    do
        token_add(t, static_cast<char>(c));
    while ((c = read_char(in, before_wait)) != EOF && !is_blank(c));
    return true;
}

token_verdict token_value(mpz_t n, const input_token &t, std::string &why)
{
    if (t.has_operator) {
        if (t.length > max_input_digits) {
            why = "too long: more than " + std::to_string(max_input_digits) + " characters";
            return token_verdict::bad_expression;
        }
        if (!evaluate_expression(n, t.text.data(), t.text.size(), why))
            return token_verdict::bad_expression;
        if (mpz_sgn(n) < 0) {
            why = "negative";
            return token_verdict::bad_expression;
        }
        return token_verdict::number;
    }
    if (!t.well_formed || !t.has_digit)
        return token_verdict::not_a_number;
    if (t.digit_count > max_input_digits)
        return token_verdict::too_long;
    if (t.digit_count == 0)
        mpz_set_ui(n, 0);
    else
        mpz_set_str(n, t.digits.c_str(), 10);
    return token_verdict::number;
}

bool token_word_value(std::uint64_t &n, const input_token &t)
{
    if (!t.well_formed || !t.has_digit || t.digit_count > 20)
        return false;
    if (t.digit_count == 20 && t.digits > "18446744073709551615")
        return false;
    n = 0;
    for (char c : t.digits)
        n = 10 * n + static_cast<std::uint64_t>(c - '0');
    return true;
}

std::string quoted_token(const input_token &t)
{
    std::string shown = "'";
    for (char c : t.shown)
        shown += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    if (t.length <= shown_bytes)
        return shown + "'";
    return shown + "...' (" + std::to_string(t.length) + " characters)";
}
