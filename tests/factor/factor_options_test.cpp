// SPDX-License-Identifier: BSD-2-Clause
// The options as getopt_long reads them: joined letters, values after an
// equals sign or in the next argument, the bounds of each value from both
// sides, and the message for each mistake.
#include "support/harness.h"

#include "factor/factor_budget.h"
#include "factor/factor_options.h"
#include "factor/kind.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct options_case {
    const char *name;
    std::vector<std::string> args;
    options_verdict verdict;
    std::string message = "";   // on error
    unsigned long seed = 1;      // the caller's 1 unless --seed
    unsigned threads = 1;
    unsigned long kind_bases = default_kind_base_bound;
    int effort = default_effort;
    int numbers = 0;             // arguments left for the numbers
};

const options_case cases[] = {
    {"no options", {"561"}, options_verdict::run, "", 1, 1, default_kind_base_bound, default_effort, 1},
    {"seed joined to its letter", {"-s5", "561"}, options_verdict::run, "", 5, 1, 100, default_effort, 1},
    {"seed after an equals sign", {"--seed=5", "561"}, options_verdict::run, "", 5, 1, 100, default_effort, 1},
    {"seed in the next argument", {"-s", "7", "561"}, options_verdict::run, "", 7, 1, 100, default_effort, 1},
    {"the largest seed", {"--seed=18446744073709551615", "561"}, options_verdict::run, "",
     18446744073709551615ul, 1, 100, default_effort, 1},
    {"an empty seed", {"--seed=", "561"}, options_verdict::error, "invalid seed ''"},
    {"a seed that takes a negative number", {"-s", "-3", "561"}, options_verdict::error,
     "invalid seed '-3'"},
    {"a seed beyond 64 bits", {"--seed=18446744073709551616", "561"}, options_verdict::error,
     "invalid seed '18446744073709551616'"},
    {"a seed without its value", {"561", "--seed"}, options_verdict::error,
     "option '--seed' requires an argument"},
    {"a letter without its value", {"-s"}, options_verdict::error, "option requires an argument -- 's'"},
    {"an option after the numbers", {"561", "-j", "3"}, options_verdict::run, "", 1, 3, 100, default_effort, 1},
    {"every core", {"-j0"}, options_verdict::run, "", 1, 0, 100, default_effort, 0},
    {"the most threads", {"--threads=1024"}, options_verdict::run, "", 1, 1024, 100, default_effort, 0},
    {"threads that are no number", {"-j", "x", "561"}, options_verdict::error,
     "invalid number of threads 'x' (0 to 1024)"},
    {"too many threads", {"--threads=1025", "561"}, options_verdict::error,
     "invalid number of threads '1025' (0 to 1024)"},
    {"the smallest bound of bases", {"--bases=3"}, options_verdict::run, "", 1, 1, 3, default_effort, 0},
    {"the largest bound of bases", {"--bases=100000"}, options_verdict::run, "", 1, 1, 100000, default_effort, 0},
    {"a bound of bases too small", {"--bases=2", "561"}, options_verdict::error,
     "invalid bound of bases '2' (3 to 100000)"},
    {"a bound of bases too large", {"--bases=100001", "561"}, options_verdict::error,
     "invalid bound of bases '100001' (3 to 100000)"},
    {"no effort", {"--effort=0"}, options_verdict::run, "", 1, 1, 100, 0, 0},
    {"the highest effort", {"--effort=60"}, options_verdict::run, "", 1, 1, 100, 60, 0},
    {"an effort too high", {"--effort=61", "561"}, options_verdict::error,
     "invalid effort '61' (0 to 60 digits)"},
    {"an effort that is no number", {"--effort=x", "561"}, options_verdict::error,
     "invalid effort 'x' (0 to 60 digits)"},
    {"the smallest bound of trial division", {"--trial=2"}, options_verdict::run, "", 1, 1, 100,
     default_effort, 0},
    {"a bound of trial division too small", {"--trial=1", "561"}, options_verdict::error,
     "invalid bound of trial division '1' (2 to 4294967296)"},
    {"a bound of trial division too large", {"--trial=4294967297", "561"}, options_verdict::error,
     "invalid bound of trial division '4294967297' (2 to 4294967296)"},
    {"trial division with --kind", {"--trial=100", "--kind", "561"}, options_verdict::error,
     "--trial cannot be used with --kind or --bases"},
    {"trial division with --bases", {"--bases=50", "--trial=100", "561"}, options_verdict::error,
     "--trial cannot be used with --kind or --bases"},
    {"help", {"-h", "561"}, options_verdict::help},
    {"version", {"--version"}, options_verdict::version},
};

void PrintTo(const options_case &c, std::ostream *os)
{
    *os << c.name;
}

class factor_options_table : public ::testing::TestWithParam<options_case> {};

TEST_P(factor_options_table, verdict_values_and_message)
{
    const options_case &c = GetParam();
    std::vector<std::string> owned = {"brovanten-factor"};
    owned.insert(owned.end(), c.args.begin(), c.args.end());
    std::vector<char *> argv;
    for (auto &a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    factor_options options{};
    options.seed = 1;
    std::string message;
    options_verdict verdict =
        parse_factor_options(options, static_cast<int>(owned.size()), argv.data(), message);
    ASSERT_EQ(verdict, c.verdict);
    if (verdict == options_verdict::error) {
        EXPECT_EQ(message, c.message);
        return;
    }
    if (verdict != options_verdict::run)
        return;
    EXPECT_EQ(options.seed, c.seed);
    EXPECT_EQ(options.threads, c.threads);
    EXPECT_EQ(options.kind_bases, c.kind_bases);
    EXPECT_EQ(options.kind, c.kind_bases != default_kind_base_bound);
    EXPECT_EQ(options.effort, c.effort);
    // getopt puts the options first: what is left are the numbers.
    EXPECT_EQ(options.first_number + c.numbers, static_cast<int>(owned.size()));
}

INSTANTIATE_TEST_SUITE_P(factor_options, factor_options_table, ::testing::ValuesIn(cases),
                         [](const auto &info) { return test_name(info.param.name); });

} // namespace
