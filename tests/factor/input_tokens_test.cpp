// SPDX-License-Identifier: BSD-2-Clause
// Numbers on standard input and as arguments: lines, blanks, the limit of
// a million significant digits from both sides, and a line of ten megabytes.
#include "support/factor_harness.h"
#include "support/harness.h"

#include <gtest/gtest.h>

namespace {

// The limit counts significant digits only: 10^999999 has a million and
// is factored, 10^1000000 has one more and is refused; blanks around it
// and leading zeros do not count.
TEST(input_tokens, a_million_digits_from_both_sides)
{
    std::string at_limit = "1" + std::string(999999, '0');
    std::string past_limit = at_limit + "0";
    std::string expected = at_limit + ":";
    for (int i = 0; i < 999999; ++i)
        expected += " 2";
    for (int i = 0; i < 999999; ++i)
        expected += " 5";
    expected += "\n";

    cli_result r = run_factor({at_limit});
    EXPECT_TRUE(r.out == expected) << r.out.substr(0, 100);
    EXPECT_EQ(r.status, 0);

    r = run_factor({}, std::string(20100, ' ') + "00" + at_limit + std::string(20100, '\t') + "\n");
    EXPECT_TRUE(r.out == expected) << r.out.substr(0, 100);
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 200);

    r = run_factor({past_limit, "561"});
    EXPECT_EQ(r.out, "561: 3 11 17\n");
    EXPECT_EQ(r.err, "brovanten-factor: '1" + std::string(39, '0') +
                         "...' (1000001 characters) has more than 1000000 digits\n");
    EXPECT_EQ(r.status, 2);

    r = run_factor({}, "12" + std::string(20100, ' ') + "\n");
    EXPECT_EQ(r.out, "12: 2 2 3\n");
    EXPECT_EQ(r.status, 0);
}

TEST(input_tokens, standard_input_lines)
{
    cli_result r = run_factor({}, "561\n\n   \n  1105 \r\n12x\n1729");
    EXPECT_EQ(r.out, "561: 3 11 17\n1105: 5 13 17\n1729: 7 13 19\n");
    EXPECT_EQ(r.err, "brovanten-factor: '12x' is not a non-negative decimal integer\n");
    EXPECT_EQ(r.status, 2);
}

TEST(input_tokens, ten_megabyte_line)
{
    std::string huge(10 * 1024 * 1024, '7');
    cli_result r = run_factor({}, "561\n" + huge + "\n1105\n");
    EXPECT_EQ(r.out, "561: 3 11 17\n1105: 5 13 17\n");
    EXPECT_EQ(r.err, "brovanten-factor: '" + std::string(40, '7') +
                         "...' (10485760 characters) has more than 1000000 digits\n");
    EXPECT_EQ(r.status, 2);

    // Blanks before it do not make room for it.
    r = run_factor({}, std::string(100, ' ') + huge + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("(10485760 characters) has more than 1000000 digits"), std::string::npos)
        << r.err.substr(0, 200);
    EXPECT_EQ(r.status, 2);

    // The same as an argument.
    r = run_factor({huge, "561"});
    EXPECT_EQ(r.out, "561: 3 11 17\n");
    EXPECT_EQ(r.status, 2);
}

} // namespace
