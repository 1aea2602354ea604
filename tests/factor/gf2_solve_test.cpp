// SPDX-License-Identifier: BSD-2-Clause
// Dependencies over GF(2): every one returned must sum to zero, be nonempty
// and differ from the others, for the dense method, for block Lanczos and
// for the choice between them.
#include "factor/gf2_solve.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

gf2_sparse from_columns(std::size_t rows, const std::vector<std::vector<std::uint32_t>> &columns)
{
    gf2_sparse m;
    m.rows = rows;
    for (const auto &c : columns) {
        m.entries.insert(m.entries.end(), c.begin(), c.end());
        m.start.push_back(static_cast<std::uint32_t>(m.entries.size()));
    }
    return m;
}

// Each column gets `weight` random rows, so most rows appear in several.
gf2_sparse random_matrix(std::size_t rows, std::size_t columns, int weight, unsigned seed)
{
    std::mt19937_64 random(seed);
    gf2_sparse m;
    m.rows = rows;
    for (std::size_t j = 0; j < columns; ++j) {
        for (int k = 0; k < weight; ++k)
            m.entries.push_back(static_cast<std::uint32_t>(random() % rows));
        m.start.push_back(static_cast<std::uint32_t>(m.entries.size()));
    }
    return m;
}

// The sets of columns of the given bits, each checked to sum to zero.
std::vector<std::set<std::size_t>> checked_sets(const gf2_sparse &m,
                                                const std::vector<std::uint64_t> &deps,
                                                std::uint64_t bits)
{
    std::vector<std::set<std::size_t>> sets;
    for (int d = 0; d < 64; ++d) {
        if (!(bits >> d & 1))
            continue;
        std::set<std::size_t> columns;
        std::vector<int> parity(m.rows, 0);
        for (std::size_t j = 0; j < m.columns(); ++j) {
            if (!(deps[j] >> d & 1))
                continue;
            columns.insert(j);
            for (std::uint32_t e = m.start[j]; e < m.start[j + 1]; ++e)
                parity[m.entries[e]] ^= 1;
        }
        for (std::size_t r = 0; r < m.rows; ++r)
            EXPECT_EQ(parity[r], 0) << "dependency " << d << " leaves row " << r;
        EXPECT_FALSE(columns.empty()) << "dependency " << d;
        sets.push_back(columns);
    }
    return sets;
}

std::uint64_t low_bits(int count)
{
    return count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
}

TEST(gf2_solve, hand_matrix_gives_its_two_dependencies)
{
    // c0 + c1 + c2 = 0 and c3 + c4 = 0; c5 is independent of them. A row
    // index twice in a column cancels (c5's row 4).
    gf2_sparse m = from_columns(6, {{0, 1}, {1, 2}, {0, 2}, {3}, {3}, {4, 4, 5}});
    std::vector<std::uint64_t> deps;
    int count = gf2_find_dependencies(deps, m, 1);
    auto sets = checked_sets(m, deps, low_bits(count));
    std::set<std::set<std::size_t>> found(sets.begin(), sets.end());
    // The span of the two holds three nonempty sets; the returned ones are
    // among them and span both.
    std::set<std::set<std::size_t>> span = {{0, 1, 2}, {3, 4}, {0, 1, 2, 3, 4}};
    for (const auto &s : found)
        EXPECT_TRUE(span.count(s)) << "a set outside the span";
    EXPECT_GE(found.size(), 2u);
}

TEST(gf2_solve, no_dependency_when_columns_are_independent)
{
    gf2_sparse m = from_columns(4, {{0}, {1}, {2, 3}});
    std::vector<std::uint64_t> deps;
    EXPECT_EQ(gf2_find_dependencies(deps, m, 1), 0);
}

struct random_case {
    std::size_t rows, columns;
    int weight;
};

class gf2_random : public ::testing::TestWithParam<random_case> {};

TEST_P(gf2_random, every_dependency_sums_to_zero)
{
    const random_case &c = GetParam();
    gf2_sparse m = random_matrix(c.rows, c.columns, c.weight, 7);
    std::vector<std::uint64_t> deps;
    int count = gf2_find_dependencies(deps, m, 11);
    auto sets = checked_sets(m, deps, low_bits(count));
    std::set<std::set<std::size_t>> distinct(sets.begin(), sets.end());
    EXPECT_EQ(distinct.size(), sets.size()) << "a dependency repeated";
    // Columns beyond the rows give at least that many dependencies, up to 64;
    // Lanczos may lose a few of them.
    std::size_t surplus = c.columns - c.rows;
    EXPECT_GE(static_cast<std::size_t>(count), std::min<std::size_t>(surplus, 64) - 8);
}

// Dense below dense_max_columns, block Lanczos above.
INSTANTIATE_TEST_SUITE_P(sizes, gf2_random,
                         ::testing::Values(random_case{40, 50, 4}, random_case{600, 700, 10},
                                           random_case{1500, 1580, 12},
                                           random_case{4000, 4100, 18}),
                         [](const auto &info) {
                             return std::to_string(info.param.rows) + "_by_" +
                                    std::to_string(info.param.columns);
                         });

TEST(gf2_solve, both_methods_find_what_a_duplicated_column_hides)
{
    // Random columns with rows > columns have no dependencies of their own;
    // copies of three of them plant exactly three.
    gf2_sparse m = random_matrix(1300, 1200, 15, 3);
    for (std::size_t j : {5, 700, 1100}) {
        m.entries.insert(m.entries.end(), m.entries.begin() + m.start[j],
                         m.entries.begin() + m.start[j + 1]);
        m.start.push_back(static_cast<std::uint32_t>(m.entries.size()));
    }
    for (bool lanczos : {false, true}) {
        std::vector<std::uint64_t> deps;
        if (lanczos)
            ASSERT_TRUE(gf2_lanczos_dependencies(deps, m, 5));
        else
            gf2_dense_dependencies(deps, m);
        std::uint64_t any = 0;
        for (auto w : deps)
            any |= w;
        // The methods on their own may leave empty bits: only those in use.
        auto sets = checked_sets(m, deps, any);
        std::set<std::size_t> used;
        for (const auto &s : sets)
            used.insert(s.begin(), s.end());
        EXPECT_EQ(used, (std::set<std::size_t>{5, 700, 1100, 1200, 1201, 1202}))
            << (lanczos ? "Lanczos" : "dense");
    }
}

// Block Lanczos from seed 24 on this matrix breaks down (the fixture was
// chosen for that); the choice between the methods starts again from
// another seed and still gives dependencies, which sum to zero.
TEST(gf2_solve, another_start_mends_an_unlucky_lanczos_start)
{
    gf2_sparse m = random_matrix(1000, 1080, 12, 2);
    ASSERT_GT(m.columns(), dense_max_columns);
    std::vector<std::uint64_t> deps;
    EXPECT_FALSE(gf2_lanczos_dependencies(deps, m, 24)) << "the fixture no longer shows a breakdown";
    int count = gf2_find_dependencies(deps, m, 24);
    EXPECT_GE(count, 56);
    checked_sets(m, deps, low_bits(count));
}

} // namespace
