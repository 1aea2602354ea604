// SPDX-License-Identifier: BSD-2-Clause
// The random source and the acceptance rules for a test matrix.
#include "support/harness.h"

#include "engine/rng.h"
#include "engine/select_matrix.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const char carmichael[] = "6178246534322281"; // 100981 * 201961 * 302941

class selection : public ::testing::Test {
protected:
    void SetUp() override
    {
        mpz_init_set_str(n, carmichael, 10);
        select_scratch_init(s);
    }
    void TearDown() override
    {
        select_scratch_clear(s);
        mpz_clear(n);
    }
    std::vector<unsigned long> entries(const matrix2 &m)
    {
        return {mpz_get_ui(m.x[0]), mpz_get_ui(m.x[1]), mpz_get_ui(m.x[2]), mpz_get_ui(m.x[3])};
    }
    mpz_t n;
    select_scratch s;
};

TEST(rng, first_draws_from_seed_one)
{
    rng_state g;
    rng_seed(g, 1);
    const unsigned expected[] = {41, 18467, 6334, 26500, 19169};
    for (unsigned want : expected)
        EXPECT_EQ(rng_draw(g), want);
}

TEST(rng, states_are_independent_values)
{
    rng_state a, b;
    rng_seed(a, 1);
    rng_seed(b, 1);
    EXPECT_EQ(rng_draw(a), 41u);
    rng_state copy = a;
    EXPECT_EQ(rng_draw(a), 18467u);
    EXPECT_EQ(rng_draw(copy), 18467u);
    EXPECT_EQ(rng_draw(b), 41u);
}

TEST(rng, draws_stay_below_two_to_fifteen)
{
    rng_state g;
    rng_seed(g, 0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i)
        ASSERT_LE(rng_draw(g), 32767u);
}

TEST_F(selection, first_matrices_from_seed_one)
{
    rng_state g;
    rng_seed(g, 1);
    matrix_holder m;
    EXPECT_EQ(select_matrix(m.m, g, n, s), 9u); // draws 33 to 36
    EXPECT_EQ(entries(m.m), (std::vector<unsigned long>{14771, 11538, 1869, 19912}));
    select_matrix(m.m, g, n, s);
    EXPECT_EQ(entries(m.m), (std::vector<unsigned long>{12044, 21659, 26292, 26439}));
}

// Discriminants are (d - g)^2 + 4ef; the verdicts were checked with PARI/GP.
TEST_F(selection, each_rule_rejects)
{
    const struct {
        const char *why;
        unsigned long d, e, f, g;
        matrix_verdict verdict;
    } cases[] = {
        {"determinant 0", 1, 1, 1, 1, matrix_verdict::determinant_not_coprime},
        {"determinant 100981, a factor of N", 10, 1, 9, 10099,
         matrix_verdict::determinant_not_coprime},
        {"discriminant 0", 5, 0, 0, 5, matrix_verdict::discriminant_too_small},
        {"discriminant 100", 12, 0, 0, 2, matrix_verdict::discriminant_too_small},
        {"discriminant 100981, Jacobi 0", 2, 5, 5049, 1, matrix_verdict::jacobi_not_one},
        {"discriminant 105, Jacobi -1", 2, 2, 13, 1, matrix_verdict::jacobi_not_one},
        {"discriminant 101, prime below the bound", 2, 5, 5, 1,
         matrix_verdict::discriminant_not_large_prime},
        {"discriminant 999961, prime below the bound", 2, 30, 8333, 1,
         matrix_verdict::discriminant_not_large_prime},
        {"discriminant 1000001 = 101 * 9901", 2, 400, 625, 1,
         matrix_verdict::discriminant_not_large_prime},
        {"first accepted matrix of seed 1", 14771, 11538, 1869, 19912, matrix_verdict::accepted},
    };
    for (const auto &c : cases) {
        matrix_holder m(c.d, c.e, c.f, c.g);
        EXPECT_EQ(check_matrix(m.m, n, s), c.verdict) << c.why;
    }
}

// brovanten-factor asks for the symbol -1 instead of 1.
TEST_F(selection, jacobi_minus_one_when_asked)
{
    rng_state g;
    rng_seed(g, 1);
    matrix_holder m;
    select_matrix(m.m, g, n, s, -1);
    big det, disc;
    mpz_mul(det, m.m.x[0], m.m.x[3]);
    mpz_submul(det, m.m.x[1], m.m.x[2]);
    mpz_add(disc, m.m.x[0], m.m.x[3]);
    mpz_mul(disc, disc, disc);
    mpz_submul_ui(disc, det, 4);
    EXPECT_EQ(mpz_jacobi(disc, n), -1);
    EXPECT_GT(mpz_probab_prime_p(disc, 30), 0);
    matrix_holder first(14771, 11538, 1869, 19912); // seed 1's first, symbol 1
    EXPECT_EQ(check_matrix(first.m, n, s, -1), matrix_verdict::jacobi_not_one);
}

TEST_F(selection, accepted_matrices_meet_every_rule)
{
    unsigned long seed = test_seed(12345);
    SCOPED_TRACE(seed_note(seed));
    rng_state g;
    rng_seed(g, static_cast<std::uint32_t>(seed));
    matrix_holder holder;
    matrix2 &m = holder.m;
    big det, disc, t;
    for (int i = 0; i < 200; ++i) {
        select_matrix(m, g, n, s);
        for (auto &entry : m.x)
            ASSERT_LE(mpz_get_ui(entry), 32767u);
        mpz_mul(det, m.x[0], m.x[3]);
        mpz_submul(det, m.x[1], m.x[2]);
        mpz_gcd(t, det, n);
        EXPECT_EQ(mpz_cmp_ui(t.v, 1), 0);
        mpz_add(disc, m.x[0], m.x[3]);
        mpz_mul(disc, disc, disc);
        mpz_submul_ui(disc, det, 4);
        EXPECT_GT(mpz_cmp_ui(disc.v, 1000000), 0);
        EXPECT_LE(mpz_cmp_ui(disc.v, 5368381445ul), 0);
        EXPECT_EQ(mpz_jacobi(disc, n), 1);
        EXPECT_GT(mpz_probab_prime_p(disc, 30), 0);
    }
}

} // namespace
