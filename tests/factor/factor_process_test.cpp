// SPDX-License-Identifier: BSD-2-Clause
// The real brovanten-factor binary in a shell pipeline: standard input,
// standard output and the exit status as a script sees them.
#include "support/harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace {

struct shell_case {
    const char *name;
    const char *command; // {} stands for the binary
    const char *out;
    int status;
};

const shell_case shell_cases[] = {
    {"numbers on standard input", "printf '561\\n\\n1105\\r\\n' | {}", "561: 3 11 17\n1105: 5 13 17\n", 0},
    {"arguments", "{} 1729 8911 </dev/null", "1729: 7 13 19\n8911: 7 19 67\n", 0},
    {"a bad argument among good ones", "{} 561 12x 1105 2>/dev/null", "561: 3 11 17\n1105: 5 13 17\n", 2},
    // Two 60-bit primes: beyond the tests and beyond rho's budget.
    {"a semiprime left whole", "{} 332306998946229619626601867938758453", "332306998946229619626601867938758453: [332306998946229619626601867938758453]\n", 1},
    {"standard input closed", "{} 0<&-", "", 0},
    {"help", "{} --help | head -n 1", "Usage: brovanten-factor [OPTION]... [N]...\n", 0},
};

void PrintTo(const shell_case &c, std::ostream *os)
{
    *os << c.name;
}

class factor_shell : public ::testing::TestWithParam<shell_case> {};

TEST_P(factor_shell, output_and_status)
{
    const shell_case &c = GetParam();
    scratch_dir dir;
    std::string command = c.command;
    command.replace(command.find("{}"), 2, BROVANTEN_FACTOR_BINARY);
    int status = std::system((command + " > out").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(read_file("out"), c.out);
    EXPECT_EQ(WEXITSTATUS(status), c.status);
}

INSTANTIATE_TEST_SUITE_P(process, factor_shell, ::testing::ValuesIn(shell_cases),
                         [](const auto &info) { return test_name(info.param.name); });

} // namespace
