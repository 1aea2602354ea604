// SPDX-License-Identifier: BSD-2-Clause
// brovanten-factor as a function: output lines, exit status, bad input,
// options, standard input and the progress line.
#include "support/factor_harness.h"
#include "support/harness.h"

#include <gtest/gtest.h>

namespace {

bool starts_with(const std::string &text, const std::string &start)
{
    return text.compare(0, start.size(), start) == 0;
}

struct known_case {
    const char *input;
    std::string line; // worked out by hand or from a published factorisation
};

std::string power_line(const char *n, const char *p, int k)
{
    std::string line = std::string(n) + ":";
    for (int i = 0; i < k; ++i)
        line += std::string(" ") + p;
    return line + "\n";
}

const known_case known_cases[] = {
    {"0", "0:\n"},
    {"1", "1:\n"},
    {"2", "2: 2\n"},
    {"1024", power_line("1024", "2", 10)},
    {"007", "7: 7\n"},
    {"+7", "7: 7\n"},
    {"99991", "99991: 99991\n"},
    {"100003", "100003: 100003\n"},
    {"561", "561: 3 11 17\n"},
    {"1105", "1105: 5 13 17\n"},
    {"1729", "1729: 7 13 19\n"},
    {"2465", "2465: 5 17 29\n"},
    {"2821", "2821: 7 13 31\n"},
    {"6601", "6601: 7 23 41\n"},
    {"8911", "8911: 7 19 67\n"},
    // 2^64 + 1 (Landry, 1880): no pseudoprime; rho finishes it.
    {"18446744073709551617", "18446744073709551617: 274177 67280421310721\n"},
    {"6178246534322281", "6178246534322281: 100981 201961 302941\n"},
};

class known : public ::testing::TestWithParam<known_case> {};

TEST_P(known, exact_line)
{
    cli_result r = run_factor({GetParam().input});
    EXPECT_EQ(r.out, GetParam().line);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(factor, known, ::testing::ValuesIn(known_cases),
                         [](const auto &info) { return test_name(info.param.input); });

TEST(factor, products_built_from_known_primes)
{
    const struct {
        const char *name;
        std::vector<std::string> primes;
    } cases[] = {
        {"cube times a prime", {"100003", "100003", "100003", "100019"}},
        {"small primes times a Carmichael number", {"3", "11", "17", "100981", "201961", "302941"}},
        {"square of a Carmichael number", {"100981", "100981", "201961", "201961", "302941", "302941"}},
        {"two Carmichael numbers", {"100981", "201961", "302941", "174763", "199729", "274627"}},
        // A perfect power that no strong test splits: its root is split by rho.
        {"square of a product of two primes", {"100003", "100003", "100019", "100019"}},
        {"fifth power of a prime", {"1000003", "1000003", "1000003", "1000003", "1000003"}},
    };
    for (const auto &c : cases) {
        big n(1ul), p;
        for (const auto &prime : c.primes) {
            mpz_set_str(p, prime.c_str(), 10);
            mpz_mul(n, n, p);
        }
        cli_result r = run_factor({n.str()});
        EXPECT_EQ(r.out, factor_line(n.str(), c.primes)) << c.name;
        EXPECT_EQ(r.status, 0) << c.name << r.err;
    }
}

// A prime with no small factor is reported prime whatever the seed: its
// first strong test passes through a^t = 1 or through some a^(t*2^j) = -1.
TEST(factor, primes_for_every_seed)
{
    big p1024;
    mpz_ui_pow_ui(p1024, 2, 1023);
    mpz_nextprime(p1024, p1024);
    const std::string primes[] = {"100003", "1000000007", "2305843009213693951",
                                  "170141183460469231731687303715884105727", p1024.str()};
    for (const auto &p : primes) {
        for (unsigned long seed = 1; seed <= 8; ++seed) {
            cli_result r = run_factor({p}, "", false, seed);
            EXPECT_EQ(r.out, p + ": " + p + "\n") << "seed " << seed;
            EXPECT_EQ(r.status, 0);
        }
    }
}

// Two 512-bit primes: no test and no rho can split them, and the number
// comes back whole, in brackets, with status 1.
TEST(factor, rsa_like_semiprime_stays_in_brackets)
{
    big p, q, n;
    mpz_ui_pow_ui(p, 2, 511);
    mpz_add_ui(q, p, 1234567);
    mpz_add_ui(p, p, 7654321);
    mpz_nextprime(p, p);
    mpz_nextprime(q, q);
    mpz_mul(n, p, q);
    cli_result r = run_factor({"561", n.str(), "1105"});
    EXPECT_EQ(r.out, "561: 3 11 17\n" + n.str() + ": [" + n.str() + "]\n" + "1105: 5 13 17\n");
    EXPECT_EQ(r.status, 1);
}

// Below 2^128 rho gets a bounded try: two 60-bit primes are beyond it.
TEST(factor, small_semiprime_beyond_rho_stays_in_brackets)
{
    big p, q, n;
    mpz_ui_pow_ui(p, 2, 59);
    mpz_add_ui(q, p, 999);
    mpz_nextprime(p, p);
    mpz_nextprime(q, q);
    mpz_mul(n, p, q);
    big three(3ul);
    mpz_mul(n, n, three);
    big pq;
    mpz_mul(pq, p, q);
    cli_result r = run_factor({n.str()});
    EXPECT_EQ(r.out, n.str() + ": 3 [" + pq.str() + "]\n");
    EXPECT_EQ(r.status, 1);
}

struct bad_case {
    const char *name;
    std::string input;
    std::string shown; // how the message names it
};

const bad_case bad_cases[] = {
    {"letters after digits", "12x", "'12x'"},
    {"two plus signs", "++7", "'++7'"},
    {"plus sign alone", "+", "'+'"},
    {"plus sign after digits", "7+", "'7+'"},
    {"empty", "", "''"},
    {"blank inside", "12 34", "'12 34'"},
    {"control bytes", std::string("1\x01" "2", 3), "'1?2'"},
};

class bad_argument : public ::testing::TestWithParam<bad_case> {};

TEST_P(bad_argument, message_status_two_and_the_rest_done)
{
    const bad_case &c = GetParam();
    cli_result r = run_factor({"561", c.input, "1105"});
    EXPECT_EQ(r.out, "561: 3 11 17\n1105: 5 13 17\n");
    EXPECT_EQ(r.err, "brovanten-factor: " + c.shown + " is not a non-negative decimal integer\n");
    EXPECT_EQ(r.status, 2);
}

INSTANTIATE_TEST_SUITE_P(factor, bad_argument, ::testing::ValuesIn(bad_cases),
                         [](const auto &info) { return test_name(info.param.name); });

TEST(factor, standard_input_lines)
{
    cli_result r = run_factor({}, "561\n\n   \n  1105 \r\n12x\n1729");
    EXPECT_EQ(r.out, "561: 3 11 17\n1105: 5 13 17\n1729: 7 13 19\n");
    EXPECT_EQ(r.err, "brovanten-factor: '12x' is not a non-negative decimal integer\n");
    EXPECT_EQ(r.status, 2);
}

TEST(factor, ten_megabyte_line)
{
    std::string huge(10 * 1024 * 1024, '7');
    cli_result r = run_factor({}, "561\n" + huge + "\n1105\n");
    EXPECT_EQ(r.out, "561: 3 11 17\n1105: 5 13 17\n");
    EXPECT_EQ(r.err, "brovanten-factor: '" + std::string(40, '7') +
                         "...' (10485760 characters) has more than 20000 digits\n");
    EXPECT_EQ(r.status, 2);

    // Blanks before it do not make room for it.
    r = run_factor({}, std::string(100, ' ') + huge + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("(10485760 characters) has more than 20000 digits"), std::string::npos)
        << r.err.substr(0, 200);
    EXPECT_EQ(r.status, 2);

    // The same as an argument.
    r = run_factor({huge, "561"});
    EXPECT_EQ(r.out, "561: 3 11 17\n");
    EXPECT_EQ(r.status, 2);
}

TEST(factor, options)
{
    cli_result r = run_factor({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(starts_with(r.out, "Usage: brovanten-factor [OPTION]... [N]...\n")) << r.out;

    r = run_factor({"--version"});
    EXPECT_EQ(r.out, "brovanten-factor 1.1\n");
    EXPECT_EQ(r.status, 0);

    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"--frobnicate", "561"}, {"--seed"}, {"--seed", "x1", "561"},
          {"-s", "-3", "561"}}) {
        r = run_factor(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_NE(r.err.find("Try 'brovanten-factor --help'"), std::string::npos) << r.err;
    }

    // "--" ends the options.
    r = run_factor({"--", "-5", "561"});
    EXPECT_EQ(r.out, "561: 3 11 17\n");
    EXPECT_EQ(r.status, 2);
}

// --verbose names the seed, and the same seed gives the same steps.
TEST(factor, verbose_seed_replays)
{
    std::string n = "3317044064679887385961981";
    cli_result a = run_factor({"--verbose", "--seed=42", n});
    cli_result b = run_factor({"-v", "-s", "42", n});
    EXPECT_TRUE(starts_with(a.err, "brovanten-factor: seed 42\n")) << a.err;
    EXPECT_EQ(a.err, b.err);
    EXPECT_EQ(a.out, n + ": 1287836182261 2575672364521\n");
    EXPECT_NE(a.err.find("is a probable prime"), std::string::npos) << a.err;
}

// On a terminal a long number gets a progress line, cleared before the
// result; elsewhere standard error stays quiet.
TEST(factor, progress_line_only_on_a_terminal)
{
    big p, q, n;
    mpz_ui_pow_ui(p, 2, 600);
    mpz_nextprime(p, p);
    mpz_ui_pow_ui(q, 2, 500);
    mpz_nextprime(q, q);
    mpz_mul(n, p, q);
    cli_result quiet = run_factor({n.str()});
    EXPECT_EQ(quiet.err, "");
    cli_result shown = run_factor({n.str()}, "", true);
    EXPECT_EQ(shown.out, quiet.out);
    std::string start = "\rbrovanten-factor: part 1 of 1 (" +
                        std::to_string(mpz_sizeinbase(n, 2)) + " bits), strong test 1";
    EXPECT_TRUE(starts_with(shown.err, start)) << shown.err;
    EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\033[K");
}

} // namespace
