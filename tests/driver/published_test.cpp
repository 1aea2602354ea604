// SPDX-License-Identifier: BSD-2-Clause
// Published pseudoprimes (examples/pseudoprimes.tsv) are split, and every
// divisor reported is a product of their published prime factors.
#include "support/harness.h"

#include <gtest/gtest.h>

#include <gmp.h>
#include <regex>
#include <vector>

namespace {

// The divisors printed under "Factors :".
std::vector<std::string> reported_factors(const std::string &transcript)
{
    static const std::regex line("\n([0-9]+)  \\(([0-9]+) bits\\)\n\n");
    std::vector<std::string> out;
    for (std::sregex_iterator it(transcript.begin(), transcript.end(), line), end; it != end; ++it)
        out.push_back((*it)[1]);
    return out;
}

// True if d is a product of some of the given factors, each used at most
// as often as it is listed.
bool product_of_some(const std::string &d_text, const std::vector<std::string> &factors)
{
    mpz_t d, p;
    mpz_init_set_str(d, d_text.c_str(), 10);
    mpz_init(p);
    for (const auto &f : factors) {
        mpz_set_str(p, f.c_str(), 10);
        if (mpz_divisible_p(d, p))
            mpz_divexact(d, d, p);
    }
    bool ok = mpz_cmp_ui(d, 1) == 0;
    mpz_clears(d, p, nullptr);
    return ok;
}

TEST(published, every_example_is_split)
{
    std::vector<published_number> rows = published_numbers();
    ASSERT_EQ(rows.size(), 6u);
    for (const auto &row : rows) {
        scratch_dir dir;
        write_file("number.fic", row.n + "\n");
        std::string transcript = run_tool(1);
        std::vector<std::string> found = reported_factors(transcript);
        ASSERT_FALSE(found.empty()) << row.kind << " " << row.n << "\n" << transcript;

        mpz_t n, d;
        mpz_init_set_str(n, row.n.c_str(), 10);
        mpz_init(d);
        std::string log = read_file("results.fic");
        for (const auto &text : found) {
            mpz_set_str(d, text.c_str(), 10);
            EXPECT_GT(mpz_cmp_ui(d, 1), 0) << text;
            EXPECT_LT(mpz_cmp(d, n), 0) << text;
            EXPECT_TRUE(mpz_divisible_p(n, d)) << text;
            EXPECT_TRUE(product_of_some(text, row.factors)) << text;
            EXPECT_NE(log.find("Factor = " + text + "  ("), std::string::npos) << text;
        }
        mpz_clears(n, d, nullptr);
    }
}

} // namespace
