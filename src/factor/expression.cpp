// SPDX-License-Identifier: BSD-2-Clause
#include "factor/expression.h"

#include <cmath>

namespace {

// The grammar, by recursive descent; each rule leaves its value in
// operand slot k, and an operator waiting for its right side keeps its
// left one in slot k while the right one goes to slot k + 1:
//   expression := term (('+' | '-') term)*
//   term       := signed (('*' | '/') signed)*
//   signed     := '-' signed | power
//   power      := postfix ('^' signed)?
//   postfix    := primary ('!' | '#')*
//   primary    := digits | '(' expression ')'
struct evaluator {
    const char *text;
    std::size_t length;
    std::size_t at; // the next character
    mpz_t slots[max_waiting_operands];
    int slots_made;
    std::string why;
    std::string digits;
    int depth; // parentheses and minus signs open around the character at hand
};

// "at character 3", or "at the end" past the last one.
std::string where(const evaluator &e, std::size_t at)
{
    if (at >= e.length)
        return "at the end";
    return "at character " + std::to_string(at + 1);
}

// A character as messages show it: non-printing bytes as '?'.
std::string quoted_char(char c)
{
    bool printing = c >= 0x20 && c < 0x7f;
    return std::string("'") + (printing ? c : '?') + "'";
}

bool fail(evaluator &e, const std::string &why)
{
    if (e.why.empty())
        e.why = why;
    return false;
}

bool syntax_error(evaluator &e, const std::string &what)
{
    return fail(e, "not a valid expression: " + what + " " + where(e, e.at));
}

bool too_large(evaluator &e, std::size_t at)
{
    return fail(e, "too large: a value of more than " + std::to_string(max_value_digits) +
                       " digits " + where(e, at));
}

void skip_blanks(evaluator &e)
{
    while (e.at < e.length && (e.text[e.at] == ' ' || e.text[e.at] == '\t'))
        ++e.at;
}

// The next character that is no blank, or 0 at the end.
char peek(evaluator &e)
{
    skip_blanks(e);
    return e.at < e.length ? e.text[e.at] : '\0';
}

// Slot k, made on first use; false when k is past the operands that may
// wait at once.
bool slot(evaluator &e, int k)
{
    if (k >= max_waiting_operands)
        return fail(e, "nested too deeply: more than " + std::to_string(max_waiting_operands) +
                           " operands waiting " + where(e, e.at));
    while (e.slots_made <= k)
        mpz_init(e.slots[e.slots_made++]);
    return true;
}

// Whether x has at most max_value_digits digits. Only values of one bit
// more than max_value_bits need a look at their digits, and only those
// at the very edge a comparison with 10^max_value_digits.
bool within_digits(const mpz_t x)
{
    std::size_t bits = mpz_sizeinbase(x, 2);
    if (bits <= max_value_bits)
        return true;
    if (bits > max_value_bits + 1)
        return false;
    if (mpz_sizeinbase(x, 10) <= max_value_digits)
        return true;
    mpz_t power;
    mpz_init(power);
    mpz_ui_pow_ui(power, 10, max_value_digits);
    bool within = mpz_cmpabs(x, power) < 0;
    mpz_clear(power);
    return within;
}

// The value in slot k is within the size limit, and so are the values
// waiting below it together with it.
bool within_limits(evaluator &e, int k, std::size_t at)
{
    if (!within_digits(e.slots[k]))
        return too_large(e, at);
    std::size_t held = 0;
    for (int j = 0; j <= k; ++j)
        held += mpz_sizeinbase(e.slots[j], 2);
    if (held > max_held_bits)
        return fail(e, "too large: the values waiting at once pass " +
                           std::to_string(max_held_bits) + " bits " + where(e, at));
    return true;
}

// log2 |x| for x != 0, close enough to bound a result's size.
double log2_of(const mpz_t x)
{
    long exponent = 0;
    double mantissa = mpz_get_d_2exp(&exponent, x);
    return static_cast<double>(exponent) + std::log2(std::fabs(mantissa));
}

bool expression(evaluator &e, int k);
bool signed_term(evaluator &e, int k);

// One more parenthesis or minus sign open: each costs a few frames of the
// stack, so their depth is bounded.
bool open_one(evaluator &e)
{
    if (++e.depth <= max_nesting)
        return true;
    return fail(e, "nested too deeply: more than " + std::to_string(max_nesting) +
                       " parentheses and signs open " + where(e, e.at));
}

bool primary(evaluator &e, int k)
{
    char c = peek(e);
    if (c >= '0' && c <= '9') {
        e.digits.clear();
        while (e.at < e.length && e.text[e.at] >= '0' && e.text[e.at] <= '9')
            e.digits += e.text[e.at++];
        mpz_set_str(e.slots[k], e.digits.c_str(), 10);
        return within_limits(e, k, e.at - 1);
    }
    if (c == '(') {
        if (!open_one(e))
            return false;
        ++e.at;
        if (!expression(e, k))
            return false;
        if (peek(e) != ')')
            return syntax_error(e, "')' expected");
        ++e.at;
        --e.depth;
        return true;
    }
    if (c == '\0')
        return syntax_error(e, "a number or '(' expected");
    return syntax_error(e, "a number or '(' expected, not " + quoted_char(c) + ",");
}

// n! or n# in slot k, n >= 0 and within the size limit.
bool factorial_or_primorial(evaluator &e, int k, char op, std::size_t at)
{
    mpz_ptr n = e.slots[k];
    const char *name = op == '!' ? "factorial" : "primorial";
    if (mpz_sgn(n) < 0)
        return fail(e, std::string("not a number: the ") + name + " of a negative number " +
                           where(e, at));
    if (!mpz_fits_ulong_p(n))
        return too_large(e, at);
    unsigned long m = mpz_get_ui(n);
    // log2 n! = lgamma(n + 1) / ln 2; n# is at least 2^(0.73 n) from 41 on
    // (theta(n) > n (1 - 1 / ln n), Rosser and Schoenfeld), which bounds n
    // before the primes below it are sieved.
    double bits = op == '!' ? std::lgamma(static_cast<double>(m) + 1) / std::log(2.0)
                            : 0.73 * static_cast<double>(m) / std::log(2.0);
    if (bits > static_cast<double>(max_value_bits) + 1)
        return too_large(e, at);
    if (op == '!')
        mpz_fac_ui(n, m);
    else
        mpz_primorial_ui(n, m);
    return within_limits(e, k, at);
}

bool postfix(evaluator &e, int k)
{
    if (!primary(e, k))
        return false;
    for (char c; (c = peek(e)) == '!' || c == '#';) {
        std::size_t at = e.at++;
        if (!factorial_or_primorial(e, k, c, at))
            return false;
    }
    return true;
}

// slot k = slot k ^ slot k + 1.
bool raise_to(evaluator &e, int k, std::size_t at)
{
    mpz_ptr base = e.slots[k], exponent = e.slots[k + 1];
    if (mpz_sgn(exponent) < 0)
        return fail(e, "not an integer: a negative exponent " + where(e, at));
    if (mpz_cmpabs_ui(base, 1) <= 0) {
        // 0, 1 and -1 stay small whatever the exponent.
        bool odd = mpz_odd_p(exponent);
        if (mpz_sgn(exponent) == 0)
            mpz_set_ui(base, 1);
        else if (mpz_sgn(base) < 0 && !odd)
            mpz_set_ui(base, 1);
        return true;
    }
    if (!mpz_fits_ulong_p(exponent))
        return too_large(e, at);
    unsigned long power = mpz_get_ui(exponent);
    if (static_cast<double>(power) * log2_of(base) > static_cast<double>(max_value_bits) + 1)
        return too_large(e, at);
    mpz_pow_ui(base, base, power);
    return within_limits(e, k, at);
}

bool power(evaluator &e, int k)
{
    if (!postfix(e, k))
        return false;
    if (peek(e) != '^')
        return true;
    std::size_t at = e.at++;
    return slot(e, k + 1) && signed_term(e, k + 1) && raise_to(e, k, at);
}

bool signed_term(evaluator &e, int k)
{
    if (peek(e) != '-')
        return power(e, k);
    if (!open_one(e))
        return false;
    ++e.at;
    if (!signed_term(e, k))
        return false;
    --e.depth;
    mpz_neg(e.slots[k], e.slots[k]);
    return true;
}

bool term(evaluator &e, int k)
{
    if (!signed_term(e, k))
        return false;
    for (char op; (op = peek(e)) == '*' || op == '/';) {
        std::size_t at = e.at++;
        if (!slot(e, k + 1) || !signed_term(e, k + 1))
            return false;
        mpz_ptr left = e.slots[k], right = e.slots[k + 1];
        if (op == '*') {
            // The product has the operands' bits together, or one less.
            std::size_t bits = mpz_sizeinbase(left, 2) + mpz_sizeinbase(right, 2);
            if (mpz_sgn(left) != 0 && mpz_sgn(right) != 0 && bits - 1 > max_value_bits + 1)
                return too_large(e, at);
            mpz_mul(left, left, right);
        } else if (mpz_sgn(right) == 0) {
            return fail(e, "not a number: a division by zero " + where(e, at));
        } else if (!mpz_divisible_p(left, right)) {
            return fail(e, "not an integer: the division " + where(e, at) +
                               " leaves a remainder");
        } else {
            mpz_divexact(left, left, right);
        }
        if (!within_limits(e, k, at))
            return false;
    }
    return true;
}

bool expression(evaluator &e, int k)
{
    if (!term(e, k))
        return false;
    for (char op; (op = peek(e)) == '+' || op == '-';) {
        std::size_t at = e.at++;
        if (!slot(e, k + 1) || !term(e, k + 1))
            return false;
        if (op == '+')
            mpz_add(e.slots[k], e.slots[k], e.slots[k + 1]);
        else
            mpz_sub(e.slots[k], e.slots[k], e.slots[k + 1]);
        if (!within_limits(e, k, at))
            return false;
    }
    return true;
}

} // namespace

bool evaluate_expression(mpz_t value, const char *text, std::size_t length, std::string &why)
{
    evaluator e{text, length, 0, {}, 0, {}, {}, 0};
    slot(e, 0);
    // A plus sign in front of the whole, as in front of a number.
    if (peek(e) == '+')
        ++e.at;
    bool ok = expression(e, 0);
    if (ok && peek(e) != '\0') {
        char c = e.text[e.at];
        ok = syntax_error(e, c == ')' ? std::string("unexpected ')'")
                                      : "an operator expected, not " + quoted_char(c) + ",");
    }
    if (ok)
        mpz_swap(value, e.slots[0]);
    else
        why = e.why;
    for (int k = 0; k < e.slots_made; ++k)
        mpz_clear(e.slots[k]);
    return ok;
}
