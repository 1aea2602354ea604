// SPDX-License-Identifier: BSD-2-Clause
// brovanten-factor as a function: output lines, exit status, bad input
// and unknown options, checked against coreutils factor where it agrees,
// help and version, and write errors.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/factor_cli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include <cstdio>
#include <cstdlib>

namespace {

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

// A part left composite keeps its power, in the line and in --json, beside
// prime powers and alone; S is the product of two 60-bit primes
// (576460752303423619 and 576460752303424487, PARI/GP), which nothing but
// the general methods can split, and they are off.
TEST(factor, composite_parts_with_their_powers)
{
    const std::string s = "332306998946229619626601867938758453";
    const struct {
        const char *name;
        std::string n, line, factors, composite;
    } rows[] = {
        {"a composite square", "110427941548649453528946388410546193648497541534780102504930935078953209",
         "[S] [S]", "[]", R"([{"value":"S","exponent":2}])"},
        {"a prime square before a composite part", "2990762990516066576639416811448826077", "3 3 [S]",
         R"([{"prime":"3","exponent":2,"proven":true}])", R"([{"value":"S","exponent":1}])"},
        {"a prime square before a composite square",
         "993851473937845081760517495694915742836477873813020922544378415710578881", "3 3 [S] [S]",
         R"([{"prime":"3","exponent":2,"proven":true}])", R"([{"value":"S","exponent":2}])"},
        {"a composite part alone", s, "[S]", "[]", R"([{"value":"S","exponent":1}])"},
    };
    auto with_s = [&s](std::string text) {
        for (std::size_t at; (at = text.find('S')) != std::string::npos;)
            text.replace(at, 1, s);
        return text;
    };
    for (const auto &row : rows) {
        cli_result text = run_factor({"--effort=0", row.n});
        EXPECT_EQ(text.out, row.n + ": " + with_s(row.line) + "\n") << row.name;
        EXPECT_EQ(text.status, 1) << row.name;
        cli_result object = run_factor({"--effort=0", "--json", row.n});
        nlohmann::json line = nlohmann::json::parse(object.out);
        EXPECT_EQ(line["factors"], nlohmann::json::parse(row.factors)) << row.name;
        EXPECT_EQ(line["composite_parts"], nlohmann::json::parse(with_s(row.composite))) << row.name;
        EXPECT_EQ(line["complete"], false) << row.name;
    }
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

std::string bad_expression(const std::string &shown, const std::string &why)
{
    return "brovanten-factor: " + shown + " is not a valid expression: " + why + "\n";
}

std::string usage_error(const std::string &message)
{
    return "brovanten-factor: " + message + "\nTry 'brovanten-factor --help' for more information.\n";
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
    {"two plus signs", {"561", "++7", "1105"}, "", lines_561_1105, 2,
     bad_expression("'++7'", "a number or '(' expected, not '+', at character 2"), true},
    {"a plus sign alone", {"561", "+", "1105"}, "", lines_561_1105, 2, not_a_number("'+'"), true},
    {"a plus sign after digits", {"561", "7+", "1105"}, "", lines_561_1105, 2,
     bad_expression("'7+'", "a number or '(' expected at the end"), true},
    {"control bytes", {"561", std::string("1\x01" "2", 3), "1105"}, "", lines_561_1105, 2, not_a_number("'1?2'"), true},
    {"hexadecimal", {"0x1F"}, "", "", 2, not_a_number("'0x1F'"), true},
    {"an exponent", {"1e3"}, "", "", 2, not_a_number("'1e3'"), true},
    {"2^64 + 1", {"18446744073709551617"}, "", "18446744073709551617: 274177 67280421310721\n", 0, "", true},
    {"2^128 - 1", {"340282366920938463463374607431768211455"}, "",
     "340282366920938463463374607431768211455: 3 5 17 257 641 65537 274177 6700417 67280421310721\n", 0, "", true},
    // Options.
    // Expressions: the line starts with the value, as factor would print it.
    {"an expression", {"2^128+1"}, "",
     "340282366920938463463374607431768211457: 59649589127497217 5704689200685129054721\n", 0, "", false},
    {"expressions on standard input", {}, "10^20-1 3*2^100+1\n(2^64+1)/274177\n",
     "99999999999999999999: 3 3 11 41 101 271 3541 9091 27961\n"
     "3802951800684688204490109616129: 7 37 12439951 358252591 3294678541291\n"
     "67280421310721: 67280421310721\n", 0, "", false},
    {"an inexact division", {"561", "7/2", "1105"}, "", lines_561_1105, 2,
     "brovanten-factor: '7/2' is not an integer: the division at character 2 leaves a remainder\n", false},
    {"a negative value", {"561", "2-5"}, "", "561: 3 11 17\n", 2, "brovanten-factor: '2-5' is negative\n", false},
    {"a value too large", {"10^10^10", "561"}, "", "561: 3 11 17\n", 2,
     "brovanten-factor: '10^10^10' is too large: a value of more than 1000000 digits at character 3\n", false},
    // Option mistakes in coreutils' words (as glibc's getopt_long says them).
    {"a negative number is an unknown option", {"-5"}, "", "", 2, usage_error("invalid option -- '5'"), true},
    {"an unknown letter among known ones", {"-vx", "561"}, "", "", 2, usage_error("invalid option -- 'x'"), false},
    {"an unknown long option", {"--frobnicate", "561"}, "", "", 2, usage_error("unrecognized option '--frobnicate'"), true},
    {"an unknown long option with a value", {"--frob=1", "561"}, "", "", 2, usage_error("unrecognized option '--frob=1'"), true},
    {"a value to --kind", {"--kind=yes", "561"}, "", "", 2, usage_error("option '--kind' doesn't allow an argument"), false},
    {"a value to --json", {"--json=1", "561"}, "", "", 2, usage_error("option '--json' doesn't allow an argument"), false},
    {"a value to --help", {"--help=x"}, "", "", 2, usage_error("option '--help' doesn't allow an argument"), true},
    {"a value to a shortened option", {"--vers=3"}, "", "", 2, usage_error("option '--version' doesn't allow an argument"), false},
    {"an ambiguous prefix", {"--ver", "561"}, "", "", 2,
     usage_error("option '--ver' is ambiguous; possibilities: '--verbose' '--version'"), false},
    {"an ambiguous prefix with a value", {"--t=2", "561"}, "", "", 2,
     usage_error("option '--t=2' is ambiguous; possibilities: '--threads' '--trial'"), false},
    {"a shortened option without its value", {"561", "--se"}, "", "", 2, usage_error("option '--seed' requires an argument"), false},
    {"a letter without its value", {"561", "-vs"}, "", "", 2, usage_error("option requires an argument -- 's'"), false},
    {"letters joined", {"-vs5", "561"}, "", "561: 3 11 17\n", 0,
     "brovanten-factor: seed 5\nbrovanten-factor: 10 bits, below 2^64: 3 prime factors by trial division\n", false},
    {"an option after the numbers", {"561", "-v"}, "", "561: 3 11 17\n", 0,
     "brovanten-factor: seed 1\nbrovanten-factor: 10 bits, below 2^64: 3 prime factors by trial division\n", false},
    {"the most threads", {"-j1024", "561", "1105"}, "", lines_561_1105, 0, "", false},
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




// The help's option table: every description starts in the same column,
// on the option's line and on the lines that go on with it, and no line
// passes 79 columns.
TEST(factor, help_columns)
{
    cli_result r = run_factor({"--help"});
    std::istringstream lines(r.out);
    int options = 0;
    bool in_table = false;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 79u) << line;
        std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && first <= 6 && line[first] == '-') {
            in_table = true;
            ++options;
            std::size_t gap = line.find("  ", first);
            ASSERT_NE(gap, std::string::npos) << line;
            EXPECT_EQ(line.find_first_not_of(' ', gap), 21u) << line;
        } else if (in_table && starts_with(line, " ")) {
            EXPECT_EQ(line.find_first_not_of(' '), 21u) << line;
        } else {
            in_table = false;
        }
    }
    EXPECT_GE(options, 10) << r.out;
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


} // namespace
