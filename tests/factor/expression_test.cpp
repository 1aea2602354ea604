// SPDX-License-Identifier: BSD-2-Clause
// Numbers written as expressions: values (worked by hand or with PARI/GP),
// the precedence and associativity of the operators, and every refusal
// with the place it names, sizes and depths included, so that nothing
// fills the memory or the stack.
#include "factor/expression.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct value_case {
    std::string text;
    const char *value;
};

const value_case value_cases[] = {
    {"2^128+1", "340282366920938463463374607431768211457"},
    {"2^127-1", "170141183460469231731687303715884105727"},
    {"3*2^100+1", "3802951800684688204490109616129"},
    {"10^20-1", "99999999999999999999"},
    {"(2^64+1)/274177", "67280421310721"},
    {"(3^5-1)/2", "121"},
    // ^ binds right to left, tighter than a minus in front; ! and # tighter still.
    {"2^3^2", "512"},
    {"-2^2", "-4"},
    {"2^3!", "64"},
    {"3!!", "720"},
    {"10!", "3628800"},
    {"29#", "6469693230"},
    {"30#", "6469693230"},
    {"0!", "1"},
    {"1#", "1"},
    {"5-8", "-3"},
    {"1---5", "-4"},
    {"2*3+4*5", "26"},
    {"2*(3+4)*5", "70"},
    {"100/10/5", "2"},
    {"+2^4", "16"},
    {" 2 ^ 10 ", "1024"},
    {"((((7))))", "7"},
    {"007*3", "21"},
    // 0, 1 and -1 stay small whatever the exponent.
    {"0^0", "1"},
    {"0^5", "0"},
    {"(-1)^3", "-1"},
    {"(-1)^(10^5)", "1"},
    {"1^(10^999999)", "1"},
    {std::string(1000, '(') + "1" + std::string(1000, ')'), "1"},
};

class expression_values : public ::testing::TestWithParam<value_case> {};

TEST_P(expression_values, value)
{
    const value_case &c = GetParam();
    mpz_t v;
    mpz_init(v);
    std::string why;
    ASSERT_TRUE(evaluate_expression(v, c.text.data(), c.text.size(), why)) << c.text << ": " << why;
    char *text = mpz_get_str(nullptr, 10, v);
    EXPECT_EQ(std::string(text), c.value) << c.text;
    free(text);
    mpz_clear(v);
}

INSTANTIATE_TEST_SUITE_P(factor, expression_values, ::testing::ValuesIn(value_cases));

struct refusal_case {
    std::string text;
    const char *why;
};

const refusal_case refusal_cases[] = {
    {"7/2", "not an integer: the division at character 2 leaves a remainder"},
    {"5/0", "not a number: a division by zero at character 2"},
    {"2^-1", "not an integer: a negative exponent at character 2"},
    {"(0-3)!", "not a number: the factorial of a negative number at character 6"},
    {"(0-3)#", "not a number: the primorial of a negative number at character 6"},
    // Sizes are known before anything is computed.
    {"10^10^10", "too large: a value of more than 1000000 digits at character 3"},
    {"2^4294967296", "too large: a value of more than 1000000 digits at character 2"},
    {"2^18446744073709551616", "too large: a value of more than 1000000 digits at character 2"},
    {"1000000!", "too large: a value of more than 1000000 digits at character 8"},
    {"4!!!", "too large: a value of more than 1000000 digits at character 4"},
    {"10000000#", "too large: a value of more than 1000000 digits at character 9"},
    // 10^999999 has a million digits, 10 times it one more.
    {"10^999999*10", "too large: a value of more than 1000000 digits at character 10"},
    {"10^999999+9*10^999999", "too large: a value of more than 1000000 digits at character 10"},
    {"1" + std::string(1000000, '0'), "too large: a value of more than 1000000 digits at character 1000001"},
    // Syntax.
    {"", "not a valid expression: a number or '(' expected at the end"},
    {"(1", "not a valid expression: ')' expected at the end"},
    {"1)", "not a valid expression: unexpected ')' at character 2"},
    {"2 3", "not a valid expression: an operator expected, not '3', at character 3"},
    {"2**3", "not a valid expression: a number or '(' expected, not '*', at character 3"},
    {"2^^3", "not a valid expression: a number or '(' expected, not '^', at character 3"},
    {"1e5", "not a valid expression: an operator expected, not 'e', at character 2"},
    {std::string("1+\x01", 3), "not a valid expression: a number or '(' expected, not '?', at character 3"},
    // Depth: the stack is never at stake.
    {std::string(1001, '(') + "1" + std::string(1001, ')'),
     "nested too deeply: more than 1000 parentheses and signs open at character 1001"},
    // A binary minus, then 1001 signs.
    {"1" + std::string(1002, '-') + "5",
     "nested too deeply: more than 1000 parentheses and signs open at character 1003"},
    {std::string(100000, '(') + "1" + std::string(100000, ')'),
     "nested too deeply: more than 1000 parentheses and signs open at character 1001"},
};

class expression_refusals : public ::testing::TestWithParam<refusal_case> {};

TEST_P(expression_refusals, why)
{
    const refusal_case &c = GetParam();
    mpz_t v;
    mpz_init(v);
    std::string why;
    EXPECT_FALSE(evaluate_expression(v, c.text.data(), c.text.size(), why)) << c.text.substr(0, 40);
    EXPECT_EQ(why, c.why) << c.text.substr(0, 40);
    mpz_clear(v);
}

INSTANTIATE_TEST_SUITE_P(factor, expression_refusals, ::testing::ValuesIn(refusal_cases));

// The largest value allowed: 10^999999, a million digits, in full.
TEST(expression, a_million_digits)
{
    mpz_t v, expected;
    mpz_inits(v, expected, nullptr);
    std::string why;
    std::string text = "10^999999";
    ASSERT_TRUE(evaluate_expression(v, text.data(), text.size(), why)) << why;
    mpz_ui_pow_ui(expected, 10, 999999);
    EXPECT_EQ(mpz_cmp(v, expected), 0);
    EXPECT_EQ(mpz_sizeinbase(v, 10), 1000000u);
    mpz_clears(v, expected, nullptr);
}

} // namespace
