// SPDX-License-Identifier: BSD-2-Clause
// brovanten-factor on the published examples and on the Chernick numbers
// of the benchmark, whose prime factors are known: exact lines, status 0,
// for several seeds.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/factorize.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

struct factored {
    std::string name, n;
    std::vector<std::string> primes;
};

std::vector<factored> published()
{
    std::vector<factored> rows;
    for (const auto &p : published_numbers())
        rows.push_back({"published " + p.bits + "-bit " + p.kind, p.n, p.factors});
    return rows;
}

std::vector<factored> chernick()
{
    std::vector<factored> rows;
    for (int bits : {256, 512, 1024, 2048, 4096, 8192}) {
        std::ifstream in(std::string(BROVANTEN_BENCH_NUMBERS_DIR) + "/carmichael-" +
                         std::to_string(bits) + ".txt");
        factored row;
        row.name = "Chernick " + std::to_string(bits) + " bits";
        std::getline(in, row.n);
        for (std::string p; in >> p;)
            row.primes.push_back(p);
        rows.push_back(row);
    }
    return rows;
}

TEST(factor_known, published_and_chernick_numbers)
{
    std::vector<factored> rows = published();
    ASSERT_EQ(rows.size(), 6u);
    for (const auto &row : chernick())
        rows.push_back(row);
    unsigned long base = test_seed(1);
    SCOPED_TRACE(seed_note(base));
    for (const auto &row : rows) {
        ASSERT_FALSE(row.primes.empty()) << row.name;
        for (unsigned long seed = base; seed < base + 3; ++seed) {
            cli_result r = run_factor({"--seed", std::to_string(seed), row.n});
            EXPECT_EQ(r.out, factor_line(row.n, row.primes)) << row.name << ", seed " << seed;
            EXPECT_EQ(r.status, 0) << row.name << ", seed " << seed;
        }
    }
}

} // namespace

namespace {

// Each kind of test alone must finish a Carmichael number: strong tests
// with their gcd at every j, and matrix tests by Cayley-Hamilton.
TEST(factor_known, each_test_alone_splits_carmichael_numbers)
{
    const struct {
        const char *name;
        factor_budget budget;
    } budgets[] = {
        {"strong tests only", {16, 0, 0, 0, 0, 0}},
        {"matrix tests only", {0, 8, 0, 0, 0, 0}},
    };
    std::vector<factored> rows = chernick();
    rows.resize(4); // up to 2048 bits
    for (const auto &row : published())
        if (row.name.find("Carmichael") != std::string::npos)
            rows.push_back(row);
    factor_workspace w;
    factor_workspace_init(w);
    big n;
    for (const auto &b : budgets) {
        for (const auto &row : rows) {
            mpz_set_str(n, row.n.c_str(), 10);
            EXPECT_TRUE(factorize(w, n, 7, b.budget)) << b.name << ", " << row.name;
            std::vector<std::string> got;
            for (const auto &p : w.parts)
                for (unsigned long k = 0; k < p.power; ++k)
                    got.push_back(big_text(p.value));
            EXPECT_EQ(factor_line(row.n, got), factor_line(row.n, row.primes)) << b.name;
        }
    }
    factor_workspace_clear(w);
}

} // namespace

namespace {

// With no tests at all, a perfect power still comes apart into its root
// and the root's power.
TEST(factor_known, perfect_powers_without_tests)
{
    factor_workspace w;
    factor_workspace_init(w);
    big n, p, q, pq;
    prime_above_power_of_two(p, 40);
    prime_above_power_of_two(q, 41);
    mpz_mul(pq, p, q);
    const factor_budget none = {0, 0, 0, 0, 0, 0};

    mpz_ui_pow_ui(n, 100003, 3);
    EXPECT_TRUE(factorize(w, n, 1, none));
    ASSERT_EQ(w.parts.size(), 1u);
    EXPECT_EQ(mpz_get_ui(w.parts[0].value), 100003u);
    EXPECT_EQ(w.parts[0].power, 3u);

    mpz_mul(n, pq, pq);
    EXPECT_FALSE(factorize(w, n, 1, none));
    ASSERT_EQ(w.parts.size(), 1u);
    EXPECT_EQ(mpz_cmp(w.parts[0].value, pq), 0);
    EXPECT_EQ(w.parts[0].power, 2u);
    EXPECT_EQ(w.parts[0].state, part_state::unsplit);
    factor_workspace_clear(w);
}

} // namespace
