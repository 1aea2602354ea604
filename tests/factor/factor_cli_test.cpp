// SPDX-License-Identifier: BSD-2-Clause
// brovanten-factor as a function: output lines, exit status, bad input,
// options, standard input and the progress line.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/factor_cli.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>

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
    prime_above_power_of_two(p1024, 1023);
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
    prime_above_power_of_two(p, 511, 7654321);
    prime_above_power_of_two(q, 511, 1234567);
    mpz_mul(n, p, q);
    cli_result r = run_factor({"561", n.str(), "1105"});
    EXPECT_EQ(r.out, "561: 3 11 17\n" + n.str() + ": [" + n.str() + "]\n" + "1105: 5 13 17\n");
    EXPECT_EQ(r.status, 1);
}

// Rho gets a bounded try: two 60-bit primes are beyond it, and without the
// curves and the sieve (--effort=0) they stay together.
TEST(factor, small_semiprime_beyond_rho_stays_in_brackets)
{
    big p, q, n;
    prime_above_power_of_two(p, 59);
    prime_above_power_of_two(q, 59, 999);
    mpz_mul(n, p, q);
    big three(3ul);
    mpz_mul(n, n, three);
    big pq;
    mpz_mul(pq, p, q);
    cli_result r = run_factor({"--effort=0", n.str()});
    EXPECT_EQ(r.out, n.str() + ": 3 [" + pq.str() + "]\n");
    EXPECT_EQ(r.status, 1);
}

// The command line and standard input as coreutils factor reads them. Rows
// marked `as_factor` are also run through factor itself where it is
// installed: the same standard output, and a failure status exactly when
// factor fails (factor uses 1 where this command uses 2). The other rows
// are this command's own: its options, its limits, CR LF line ends, and
// the status 1 for a part left composite.
struct cli_case {
    const char *name;
    std::vector<std::string> args;
    std::string input;
    std::string out;
    int status;
    std::string err; // exact
    bool as_factor;
};

std::string not_a_number(const std::string &shown)
{
    return "brovanten-factor: " + shown + " is not a non-negative decimal integer\n";
}

std::string usage_error(const std::string &message)
{
    return "brovanten-factor: " + message + "\nTry 'brovanten-factor --help' for more.\n";
}

// Two 60-bit primes: beyond every test, and beyond rho's budget.
const std::string semiprime = "332306998946229619626601867938758453";
const std::string semiprime_line = semiprime + ": [" + semiprime + "]\n";

const std::string lines_561_1105 = "561: 3 11 17\n1105: 5 13 17\n";

const cli_case cli_cases[] = {
    // Standard input: tokens, several on a line.
    {"two numbers on a line", {}, "561 1105\n", lines_561_1105, 0, "", true},
    {"tabs, blanks and blank lines", {}, "\t561\t\t \n\n   \n1105", lines_561_1105, 0, "", true},
    {"no line end after the last number", {}, "561\n1105", lines_561_1105, 0, "", true},
    {"only blanks", {}, std::string(30000, ' ') + "\n\t\n", "", 0, "", true},
    {"empty input", {}, "", "", 0, "", true},
    {"CR LF line ends", {}, "561\r\n1105\r\n", lines_561_1105, 0, "", false},
    {"a bad token among good ones", {}, "561 12x 1105\n", lines_561_1105, 2, not_a_number("'12x'"), true},
    {"a minus sign on standard input", {}, "-5 561\n", "561: 3 11 17\n", 2, not_a_number("'-5'"), true},
    // Arguments: one token each, after leading spaces.
    {"leading plus", {"+7"}, "", "7: 7\n", 0, "", true},
    {"leading zeros are decimal", {"0010", "010"}, "", "10: 2 5\n10: 2 5\n", 0, "", true},
    {"zero and one", {"0", "1", "000", "+0"}, "", "0:\n1:\n0:\n0:\n", 0, "", true},
    {"leading spaces", {"  12"}, "", "12: 2 2 3\n", 0, "", true},
    {"a trailing blank", {"12 "}, "", "", 2, not_a_number("'12 '"), true},
    {"a tab before", {"\t12"}, "", "", 2, not_a_number("'?12'"), true},
    {"two numbers in one argument", {"12 34"}, "", "", 2, not_a_number("'12 34'"), true},
    {"an empty argument", {""}, "", "", 2, not_a_number("''"), true},
    {"a lone minus", {"-"}, "", "", 2, not_a_number("'-'"), true},
    {"a negative number after --", {"--", "-5", "561"}, "", "561: 3 11 17\n", 2, not_a_number("'-5'"), true},
    {"letters after digits", {"561", "12x", "1105"}, "", lines_561_1105, 2, not_a_number("'12x'"), true},
    {"two plus signs", {"561", "++7", "1105"}, "", lines_561_1105, 2, not_a_number("'++7'"), true},
    {"a plus sign alone", {"561", "+", "1105"}, "", lines_561_1105, 2, not_a_number("'+'"), true},
    {"a plus sign after digits", {"561", "7+", "1105"}, "", lines_561_1105, 2, not_a_number("'7+'"), true},
    {"control bytes", {"561", std::string("1\x01" "2", 3), "1105"}, "", lines_561_1105, 2, not_a_number("'1?2'"), true},
    {"hexadecimal", {"0x1F"}, "", "", 2, not_a_number("'0x1F'"), true},
    {"an exponent", {"1e3"}, "", "", 2, not_a_number("'1e3'"), true},
    {"2^64 + 1", {"18446744073709551617"}, "", "18446744073709551617: 274177 67280421310721\n", 0, "", true},
    {"2^128 - 1", {"340282366920938463463374607431768211455"}, "",
     "340282366920938463463374607431768211455: 3 5 17 257 641 65537 274177 6700417 67280421310721\n", 0, "", true},
    // Options.
    {"a negative number is an unknown option", {"-5"}, "", "", 2, usage_error("unknown option '-5'"), true},
    {"an unknown letter among known ones", {"-vx", "561"}, "", "", 2, usage_error("unknown option '-x'"), false},
    {"an unknown long option", {"--frobnicate", "561"}, "", "", 2, usage_error("unknown option '--frobnicate'"), true},
    {"seed joined to its letter", {"-s5", "561"}, "", "561: 3 11 17\n", 0, "", false},
    {"seed after an equals sign", {"--seed=5", "561"}, "", "561: 3 11 17\n", 0, "", false},
    {"letters joined", {"-vs5", "561"}, "", "561: 3 11 17\n", 0,
     "brovanten-factor: seed 5\nbrovanten-factor: 10 bits, 3 prime factors below 100000\n", false},
    {"an option after the numbers", {"561", "-v"}, "", "561: 3 11 17\n", 0,
     "brovanten-factor: seed 1\nbrovanten-factor: 10 bits, 3 prime factors below 100000\n", false},
    {"an empty seed", {"--seed=", "561"}, "561\n", "", 2, usage_error("invalid seed ''"), false},
    {"a seed that takes a negative number", {"-s", "-3", "561"}, "", "", 2, usage_error("invalid seed '-3'"), false},
    {"a seed beyond 64 bits", {"--seed=18446744073709551616", "561"}, "", "", 2,
     usage_error("invalid seed '18446744073709551616'"), false},
    {"the largest seed", {"--seed=18446744073709551615", "561"}, "", "561: 3 11 17\n", 0, "", false},
    {"a seed without its value", {"561", "--seed"}, "", "", 2, usage_error("option '--seed' needs a value"), false},
    {"a letter without its value", {"-s"}, "", "", 2, usage_error("option '-s' needs a value"), false},
    {"threads that are no number", {"-j", "x", "561"}, "", "", 2,
     usage_error("invalid number of threads 'x' (0 to 1024)"), false},
    {"too many threads", {"--threads=1025", "561"}, "", "", 2,
     usage_error("invalid number of threads '1025' (0 to 1024)"), false},
    {"the most threads", {"-j1024", "561", "1105"}, "", lines_561_1105, 0, "", false},
    {"the smallest bound of bases", {"--bases=3", "1"}, "", "1:\nkind of 1: one, neither prime nor composite\n", 0, "", false},
    {"the largest bound of bases", {"--bases=100000", "1"}, "", "1:\nkind of 1: one, neither prime nor composite\n", 0, "", false},
    {"a bound of bases too small", {"--bases=2", "561"}, "", "", 2,
     usage_error("invalid bound of bases '2' (3 to 100000)"), false},
    {"a bound of bases too large", {"--bases=100001", "561"}, "", "", 2,
     usage_error("invalid bound of bases '100001' (3 to 100000)"), false},
    {"the highest effort", {"--effort=60", "561"}, "", "561: 3 11 17\n", 0, "", false},
    {"an effort too high", {"--effort=61", "561"}, "", "", 2,
     usage_error("invalid effort '61' (0 to 60 digits)"), false},
    {"an effort that is no number", {"--effort=x", "561"}, "", "", 2,
     usage_error("invalid effort 'x' (0 to 60 digits)"), false},
    {"-- alone reads standard input", {"--"}, "561\n", "561: 3 11 17\n", 0, "", true},
    // Statuses: 2 for bad input, 1 for a part left composite, 2 for both.
    {"a part left composite", {"--effort=0", semiprime}, "", semiprime_line, 1, "", false},
    {"bad input after a composite part", {"--effort=0", semiprime, "x"}, "", semiprime_line, 2, not_a_number("'x'"), false},
    {"bad input before a composite part", {"--effort=0", "x", semiprime}, "", semiprime_line, 2, not_a_number("'x'"), false},
};

void PrintTo(const cli_case &c, std::ostream *os)
{
    *os << c.name;
}

class command_line : public ::testing::TestWithParam<cli_case> {};

TEST_P(command_line, output_status_and_messages)
{
    const cli_case &c = GetParam();
    cli_result r = run_factor(c.args, c.input);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(factor, command_line, ::testing::ValuesIn(cli_cases),
                         [](const auto &info) { return test_name(info.param.name); });

std::vector<cli_case> rows_as_factor()
{
    std::vector<cli_case> rows;
    for (const auto &c : cli_cases)
        if (c.as_factor)
            rows.push_back(c);
    return rows;
}

class as_coreutils_factor : public ::testing::TestWithParam<cli_case> {};

TEST_P(as_coreutils_factor, same_output_and_failure)
{
    const cli_case &c = GetParam();
    std::vector<std::string> argv = {"factor"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    cli_result theirs = run_program(argv, c.input);
    if (theirs.status == 127 || theirs.status < 0)
        GTEST_SKIP() << "coreutils factor cannot be run here";
    cli_result ours = run_factor(c.args, c.input);
    EXPECT_EQ(ours.out, theirs.out);
    EXPECT_EQ(ours.status != 0, theirs.status != 0) << theirs.err;
}

INSTANTIATE_TEST_SUITE_P(factor, as_coreutils_factor, ::testing::ValuesIn(rows_as_factor()),
                         [](const auto &info) { return test_name(info.param.name); });

// The limit counts significant digits only: 10^19999 has 20000 and is
// factored, 10^20000 has one more and is refused; blanks around it and
// leading zeros do not count.
TEST(factor, twenty_thousand_digits_from_both_sides)
{
    std::string at_limit = "1" + std::string(19999, '0');
    std::string past_limit = at_limit + "0";
    std::string expected = at_limit + ":";
    for (int i = 0; i < 19999; ++i)
        expected += " 2";
    for (int i = 0; i < 19999; ++i)
        expected += " 5";
    expected += "\n";

    cli_result r = run_factor({at_limit});
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.status, 0);

    r = run_factor({}, std::string(20100, ' ') + "00" + at_limit + std::string(20100, '\t') + "\n");
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 200);

    r = run_factor({past_limit, "561"});
    EXPECT_EQ(r.out, "561: 3 11 17\n");
    EXPECT_EQ(r.err, "brovanten-factor: '1" + std::string(39, '0') +
                         "...' (20001 characters) has more than 20000 digits\n");
    EXPECT_EQ(r.status, 2);

    r = run_factor({}, "12" + std::string(20100, ' ') + "\n");
    EXPECT_EQ(r.out, "12: 2 2 3\n");
    EXPECT_EQ(r.status, 0);
}

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
    // Below 2^64 the primality test is a proof.
    EXPECT_NE(a.err.find("  part 1 of 2 (42 bits) is prime\n"), std::string::npos) << a.err;
}

// A prime part below 2^64 is said to be prime, one above it probable:
// 3 times the largest prime below 2^64, and 3 times the first above.
TEST(factor, primes_below_2_64_are_said_prime)
{
    cli_result below = run_factor({"-v", "55340232221128654671"});
    EXPECT_NE(below.err.find("  part 2 of 2 (64 bits) is prime\n"), std::string::npos) << below.err;
    cli_result above = run_factor({"-v", "55340232221128654887"});
    EXPECT_EQ(above.out, "55340232221128654887: 3 18446744073709551629\n");
    EXPECT_NE(above.err.find("  part 2 of 2 (65 bits) is a probable prime\n"), std::string::npos)
        << above.err;
}

// On a terminal a long number gets a progress line, cleared before the
// result; elsewhere standard error stays quiet.
TEST(factor, progress_line_only_on_a_terminal)
{
    big p, q, n;
    prime_above_power_of_two(p, 600);
    prime_above_power_of_two(q, 500);
    mpz_mul(n, p, q);
    cli_result quiet = run_factor({n.str()});
    EXPECT_EQ(quiet.err, "");
    cli_result shown = run_factor({n.str()}, "", true);
    EXPECT_EQ(shown.out, quiet.out);
    std::string start = "\rbrovanten-factor: part 1 of 1 (" +
                        std::to_string(mpz_sizeinbase(n, 2)) + " bits), strong base 2 test 1";
    EXPECT_TRUE(starts_with(shown.err, start)) << shown.err;
    EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\033[K");
}

// The first prime above 2^bits + offset, in decimal.
std::string prime_above(unsigned long bits, unsigned long offset = 0)
{
    big p;
    prime_above_power_of_two(p, bits, offset);
    return p.str();
}

std::string product(const std::vector<std::string> &factors)
{
    big n(1ul);
    for (const auto &f : factors) {
        big x(f);
        mpz_mul(n, n, x);
    }
    return n.str();
}

// Rho gets every part that the tests leave whole, with a bounded number of
// steps: a 31-bit prime beside a 98- or a 99-bit prime, and a 28-bit prime
// beside a 1000-bit prime, are split; two 64-bit primes, which would take
// some 2^32 steps, are left whole at once.
TEST(factor, rho_at_every_size_within_its_steps)
{
    struct row {
        std::vector<std::string> primes;
        bool split;
    };
    const row rows[] = {
        {{prime_above(30), prime_above(97)}, true},
        {{prime_above(30), prime_above(98)}, true},
        {{prime_above(27), prime_above(999)}, true},
        {{prime_above(63), prime_above(63, 1ul << 40)}, false},
    };
    for (const auto &r : rows) {
        std::string n = product(r.primes);
        cli_result got = run_factor({"--effort=0", n});
        EXPECT_EQ(got.out, r.split ? factor_line(n, r.primes) : n + ": [" + n + "]\n") << n;
        EXPECT_EQ(got.status, r.split ? 0 : 1) << n;
    }
}

// The status looks at every part, not only the last: here the part left
// composite comes first and a prime follows it. With S a product of two
// 60-bit primes and P = 2S - 1 prime, N - 1 = (S - 1)(2S + 1) and
// P - 1 = 2(S - 1), so a^(N-1) = 1 mod P for every square a: a strong test
// takes P out, and S stays whole.
TEST(factor, a_composite_part_before_a_prime)
{
    big p, q, s, prime;
    prime_above_power_of_two(q, 60);
    for (unsigned long k = 0;; ++k) {
        prime_above_power_of_two(p, 59, 1000 * k);
        mpz_mul(s, p, q);
        mpz_mul_2exp(prime, s, 1);
        mpz_sub_ui(prime, prime, 1);
        if (mpz_probab_prime_p(prime, 30) > 0)
            break;
    }
    std::string n = product({s.str(), prime.str()});
    cli_result r = run_factor({"--effort=0", n});
    EXPECT_EQ(r.out, n + ": [" + s.str() + "] " + prime.str() + "\n");
    EXPECT_EQ(r.status, 1);
}

// Trial division goes all the way to 99991, whatever is left beside it.
TEST(factor, small_primes_up_to_the_bound_beside_a_large_prime)
{
    std::string large = prime_above(140);
    const std::vector<std::string> cases[] = {
        {"331", "99991", large},
        {"317", "317", "99989", large},
        {"99991", "99991", large},
        // What is left is the square of a prime near the bound, not a prime.
        {"2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2",
         "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2",
         "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2",
         "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "99989", "99989"},
        {"2", "3", "99991", large},
    };
    for (const auto &primes : cases) {
        std::string n = product(primes);
        cli_result r = run_factor({n});
        EXPECT_EQ(r.out, factor_line(n, primes));
        EXPECT_EQ(r.status, 0);
    }
}

// The seed steers the steps: over eight seeds the verbose transcripts of a
// two-prime strong pseudoprime differ, and each seed replays exactly.
TEST(factor, seeds_change_the_steps)
{
    const std::string n = "3317044064679887385961981";
    std::set<std::string> transcripts;
    for (unsigned long seed = 1; seed <= 8; ++seed) {
        std::string option = "--seed=" + std::to_string(seed);
        cli_result a = run_factor({"-v", option, n});
        cli_result b = run_factor({"-v", option, n});
        EXPECT_EQ(a.err, b.err) << "seed " << seed;
        EXPECT_EQ(a.out, n + ": 1287836182261 2575672364521\n");
        std::string steps = a.err.substr(a.err.find('\n') + 1);
        transcripts.insert(steps);
    }
    EXPECT_GE(transcripts.size(), 2u);
}

// The count of small prime factors is with their powers, and the bits are N's.
TEST(factor, verbose_counts)
{
    // 2^13 brings N above 2^64, past the word-size path.
    std::vector<std::string> primes(13, "2");
    primes.insert(primes.end(), {"3", "100981", "201961", "302941"});
    std::string n = product(primes);
    big b(n);
    cli_result r = run_factor({"-v", "-s", "3", n});
    std::string start = "brovanten-factor: seed 3\nbrovanten-factor: " +
                        std::to_string(mpz_sizeinbase(b, 2)) + " bits, 14 prime factors below 100000\n";
    EXPECT_TRUE(starts_with(r.err, start)) << r.err;
    // 2^13, 3 and the Carmichael number are the parts after trial division.
    EXPECT_NE(r.err.find("  part 3 of 3 (53 bits)"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, factor_line(n, primes));
}

// Below 2^64 the word-size path does it all at once: no test, no rho.
TEST(factor, word_size_numbers_at_once)
{
    cli_result r = run_factor({"-v", "-s", "4", "9223372116311670949"});
    EXPECT_EQ(r.out, "9223372116311670949: 2147483659 4294967311\n");
    EXPECT_EQ(r.err, "brovanten-factor: seed 4\nbrovanten-factor: 64 bits, 0 prime factors below 100000\n");
}

// On a terminal the progress line starts at 1024 bits.
TEST(factor, progress_line_from_1024_bits)
{
    std::string p1023 = prime_above(1022), p1024 = prime_above(1023);
    cli_result below = run_factor({p1023}, "", true);
    EXPECT_EQ(below.out, p1023 + ": " + p1023 + "\n");
    EXPECT_EQ(below.err, "");
    cli_result at = run_factor({p1024}, "", true);
    EXPECT_EQ(at.out, p1024 + ": " + p1024 + "\n");
    EXPECT_TRUE(starts_with(at.err, "\rbrovanten-factor: part 1 of 1 (1024 bits), strong base 2 test 1"))
        << at.err;
}

// A full disk: one message, status 2, and nothing more is done, with one
// worker or two: the rest of standard input stays unread.
TEST(factor, write_error_stops_the_command)
{
    char name[] = "brovanten-factor", one[] = "-j1", two[] = "-j2";
    for (char *threads : {one, two}) {
        std::FILE *full = std::fopen("/dev/full", "w");
        ASSERT_NE(full, nullptr);
        std::FILE *in = std::tmpfile();
        for (int i = 0; i < 10000; ++i)
            std::fputs("561 1105 x\n", in);
        long total = std::ftell(in);
        std::rewind(in);
        char *err_text = nullptr;
        std::size_t err_size = 0;
        std::FILE *err = open_memstream(&err_text, &err_size);
        char *argv[] = {name, threads, nullptr};
        int status = factor_main(2, argv, {in, full, err, false}, 1);
        EXPECT_LT(std::ftell(in), total / 2) << threads << ": the input was read on";
        std::fclose(err);
        std::string messages(err_text, err_size);
        std::free(err_text);
        EXPECT_EQ(status, 2) << threads;
        EXPECT_EQ(messages, "brovanten-factor: write error: No space left on device\n") << threads;
        std::fclose(full);
        std::fclose(in);
    }

    char help[] = "--help";
    char *help_argv[] = {name, help, nullptr};
    std::FILE *full = std::fopen("/dev/full", "w");
    std::FILE *quiet = std::fopen("/dev/null", "w");
    EXPECT_EQ(factor_main(2, help_argv, {stdin, full, quiet, false}, 1), 2);
    std::fclose(quiet);
    std::fclose(full);
}

// Several workers print exactly what one prints, in input order: lines,
// messages, the verbose steps of each number beside it, and the status.
TEST(factor, threads_keep_the_output_of_one)
{
    // A product of two 64-bit primes (PARI/GP's factor): beyond rho's
    // steps, so without the curves and the sieve it is left in brackets
    // after its tests, quickly (the twenty runs stay well inside the time
    // limit on a loaded machine).
    const std::string rsa_like = "170141183460469469095166672173551951433";
    std::string input = "561 12x 1105 " + rsa_like + " 6178246534322281\n1729 +8911 0 1\n" +
                        "3317044064679887385961981 " + std::string(20001, '9') + " 2047\n";
    for (const std::vector<std::string> &options :
         {std::vector<std::string>{"--effort=0"}, {"-v", "--effort=0"}, {"--kind", "--effort=0"},
          {"--json", "--kind", "--effort=0"}}) {
        std::vector<std::string> one = options;
        one.push_back("-j1");
        cli_result first = run_factor(one, input, false, 5);
        EXPECT_EQ(first.status, 2);
        for (const char *threads : {"-j2", "-j4", "-j0", "--threads=3"}) {
            std::vector<std::string> many = options;
            many.push_back(threads);
            cli_result r = run_factor(many, input, false, 5);
            std::string which = std::string(threads) + (options.empty() ? "" : " " + options[0]);
            EXPECT_EQ(r.status, first.status) << which;
            if (options.size() > 0 && options[0] == "--json") {
                // Lines differ only in the time each number took.
                std::regex seconds("\"seconds\":[^,}]*");
                EXPECT_EQ(std::regex_replace(r.out, seconds, ""),
                          std::regex_replace(first.out, seconds, ""))
                    << which;
            } else {
                EXPECT_EQ(r.out, first.out) << which;
            }
            EXPECT_EQ(r.err, first.err) << which;
        }
    }
}

} // namespace
