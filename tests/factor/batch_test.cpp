// SPDX-License-Identifier: BSD-2-Clause
// Several workers print exactly what one prints, in input order.
#include "support/factor_harness.h"
#include "support/harness.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// Several workers print exactly what one prints, in input order: lines,
// messages, the verbose steps of each number beside it, and the status.
TEST(batch, threads_keep_the_output_of_one)
{
    // A product of two 64-bit primes (PARI/GP's factor): beyond rho's
    // steps, so without the curves and the sieve it is left in brackets
    // after its tests, quickly (the twenty runs stay well inside the time
    // limit on a loaded machine).
    const std::string rsa_like = "170141183460469469095166672173551951433";
    std::string input = "561 12x 1105 " + rsa_like + " 6178246534322281\n1729 +8911 0 1\n" +
                        "3317044064679887385961981 " + std::string(1000001, '9') + " 2047\n";
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

// The same with the default effort: two numbers that only the sieve
// splits quickly (a 40-digit semiprime of two 20-digit primes, and a
// 17-digit prime times a 22-digit one) among small ones.
TEST(batch, threads_keep_the_output_of_one_by_default)
{
    std::string input = "561 3326429951365771001824860308669226908717 1105\n"
                        "322580645161290322580645161290322654733 6178246534322281\n";
    for (const std::vector<std::string> &options : {std::vector<std::string>{}, {"-v"}}) {
        std::vector<std::string> one = options;
        one.push_back("-j1");
        cli_result first = run_factor(one, input, false, 5);
        EXPECT_EQ(first.status, 0);
        EXPECT_NE(first.out.find(factor_line("3326429951365771001824860308669226908717",
                                             {"31442245108790888903", "105794924626286930539"})),
                  std::string::npos)
            << first.out;
        for (const char *threads : {"-j2", "-j4"}) {
            std::vector<std::string> many = options;
            many.push_back(threads);
            cli_result r = run_factor(many, input, false, 5);
            EXPECT_EQ(r.out, first.out) << threads;
            EXPECT_EQ(r.err, first.err) << threads;
            EXPECT_EQ(r.status, 0) << threads;
        }
    }
}

} // namespace
