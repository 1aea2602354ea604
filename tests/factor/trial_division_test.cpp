// SPDX-License-Identifier: BSD-2-Clause
// --trial=B: trial division by the primes below B and nothing else, as
// PARI/GP's factor(N, B). The cofactor is prime when it is below B^2 and in
// parentheses, untested, otherwise. Known answers from factor(N, B).
#include "support/factor_harness.h"
#include "support/harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct trial_case {
    const char *name;
    const char *bound;
    const char *n;
    const char *out;
    int status;
};

const trial_case trial_cases[] = {
    // factor(561, 12): 17 is left, below 12^2, so prime.
    {"the last prime below the square", "12", "561", "561: 3 11 17\n", 0},
    // factor(561, 11) = [3; 187]: 11 is not below 11, and 187 > 11^2.
    {"the bound itself is not tried", "11", "561", "561: 3 (187)\n", 1},
    {"no prime below 2", "2", "561", "561: (561)\n", 1},
    {"no prime below 2, an even number", "2", "1024", "1024: (1024)\n", 1},
    {"2 only", "3", "1024", "1024: 2 2 2 2 2 2 2 2 2 2\n", 0},
    // 9 = 3^2: 3 is not below 3, and 9 is not below 3^2.
    {"a square at the bound", "3", "9", "9: (9)\n", 1},
    {"a square below the bound", "4", "9", "9: 3 3\n", 0},
    {"zero and one", "100", "0", "0:\n", 0},
    {"one", "100", "1", "1:\n", 0},
    // 2^64 + 1 = 274177 * 67280421310721; the cofactor is far above the
    // square of the bound and stays untested.
    {"a cofactor above the square", "274178", "18446744073709551617",
     "18446744073709551617: 274177 (67280421310721)\n", 1},
    {"a prime just below the bound", "274177", "18446744073709551617",
     "18446744073709551617: (18446744073709551617)\n", 1},
    // 2^10 * 3^5 * 97 * 65537^2: the powers are taken out whole.
    {"powers", "65538", "103669517983435776",
     "103669517983435776: 2 2 2 2 2 2 2 2 2 2 3 3 3 3 3 97 65537 65537\n", 0},
};

void PrintTo(const trial_case &c, std::ostream *os)
{
    *os << c.name;
}

class trial_division : public ::testing::TestWithParam<trial_case> {};

TEST_P(trial_division, output_and_status)
{
    const trial_case &c = GetParam();
    cli_result r = run_factor({std::string("--trial=") + c.bound, c.n});
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(factor, trial_division, ::testing::ValuesIn(trial_cases),
                         [](const auto &info) { return test_name(info.param.name); });

// 10^100000 - 1, a hundred thousand digits, read, divided by every prime
// below 100000 and printed, in milliseconds: factor(10^100000 - 1, 100000)
// gives 3^2 and these primes, and a cofactor of 99894 digits.
TEST(trial_division, a_hundred_thousand_digits)
{
    const std::vector<std::string> primes = {
        "3",     "3",     "11",    "17",    "41",    "73",    "101",   "137",   "251",
        "271",   "353",   "401",   "449",   "641",   "751",   "1201",  "1409",  "1601",
        "3541",  "4001",  "4801",  "5051",  "9091",  "16001", "21001", "21401", "24001",
        "25601", "27961", "37501", "43201", "60101", "69857", "76001"};
    std::string n(100000, '9');
    big cofactor(n);
    for (const auto &p : primes) {
        big d(p);
        mpz_divexact(cofactor, cofactor, d);
    }
    ASSERT_EQ(cofactor.str().size(), 99894u);
    std::string expected = n + ":";
    for (const auto &p : primes)
        expected += " " + p;
    expected += " (" + cofactor.str() + ")\n";
    cli_result r = run_factor({"--trial=100000"}, n + "\n");
    EXPECT_TRUE(r.out == expected) << r.out.substr(100000, 400);
    EXPECT_EQ(r.status, 1);
}

} // namespace
