// SPDX-License-Identifier: BSD-2-Clause
// The modular matrix product and power: known answers and algebra.
#include "support/harness.h"

#include "engine/matrix.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class matrices : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto *m : {&a, &b, &c, &r})
            matrix_init(*m);
        matrix_scratch_init(s);
        mpz_inits(n, e, f, nullptr);
        gmp_randinit_mt(rand);
        seed = test_seed(20010401);
        gmp_randseed_ui(rand, seed);
    }
    void TearDown() override
    {
        for (auto *m : {&a, &b, &c, &r})
            matrix_clear(*m);
        matrix_scratch_clear(s);
        mpz_clears(n, e, f, nullptr);
        gmp_randclear(rand);
    }
    static void set(matrix2 &m, std::vector<long> v)
    {
        for (int i = 0; i < 4; ++i)
            mpz_set_si(m.x[i], v[i]);
    }
    static std::vector<long> get(const matrix2 &m)
    {
        return {mpz_get_si(m.x[0]), mpz_get_si(m.x[1]), mpz_get_si(m.x[2]), mpz_get_si(m.x[3])};
    }
    bool reduced(const matrix2 &m) const
    {
        for (const auto &v : m.x)
            if (mpz_sgn(v) < 0 || mpz_cmp(v, n) >= 0)
                return false;
        return true;
    }
    void random_matrix(matrix2 &m)
    {
        for (auto &v : m.x)
            mpz_urandomm(v, rand, n);
    }
    // An odd modulus of exactly `bits` bits.
    void random_modulus(unsigned long bits)
    {
        mpz_urandomb(n, rand, bits);
        mpz_setbit(n, bits - 1);
        mpz_setbit(n, 0);
    }

    matrix2 a, b, c, r;
    matrix_scratch s;
    mpz_t n, e, f;
    gmp_randstate_t rand;
    unsigned long seed;
};

TEST_F(matrices, product_known_answer)
{
    mpz_set_ui(n, 1000);
    set(a, {1, 2, 3, 4});
    set(b, {5, 6, 7, 8});
    set(c, {-9, 9999, 123456, 7}); // leftovers must not matter
    matrix_mul_mod(c, a, b, n, s);
    EXPECT_EQ(get(c), (std::vector<long>{19, 22, 43, 50}));
}

TEST_F(matrices, product_reduces_negative_entries_upwards)
{
    mpz_set_ui(n, 7);
    set(a, {-1, 0, 0, 1});
    set(b, {3, 0, 0, 3});
    matrix_mul_mod(c, a, b, n, s);
    EXPECT_EQ(get(c), (std::vector<long>{4, 0, 0, 3}));
}

TEST_F(matrices, powers_of_the_fibonacci_matrix)
{
    // [[1, 1], [1, 0]]^E = [[F(E+1), F(E)], [F(E), F(E-1)]].
    const struct {
        unsigned long n, e;
        std::vector<long> want;
    } cases[] = {
        {7, 0, {1, 0, 0, 1}},
        {7, 1, {1, 1, 1, 0}},
        {7, 6, {6, 1, 1, 5}}, // 13, 8, 8, 5
        {1000, 10, {89, 55, 55, 34}},
        {1000000007, 90, {4660046610375530309 % 1000000007, 2880067194370816120 % 1000000007,
                          2880067194370816120 % 1000000007, 1779979416004714189 % 1000000007}},
    };
    for (const auto &t : cases) {
        mpz_set_ui(n, t.n);
        mpz_set_ui(e, t.e);
        set(a, {1, 1, 1, 0});
        set(r, {42, 42, 42, 42});
        matrix_pow_mod(r, a, e, n, s);
        EXPECT_EQ(get(r), t.want) << "E = " << t.e << ", N = " << t.n;
    }
}

TEST_F(matrices, power_one_reduces_the_entries)
{
    mpz_set_ui(n, 7);
    mpz_set_ui(e, 1);
    set(a, {8, 9, 10, 20});
    matrix_pow_mod(r, a, e, n, s);
    EXPECT_EQ(get(r), (std::vector<long>{1, 2, 3, 6}));
}

TEST_F(matrices, aliasing_gives_the_same_products)
{
    SCOPED_TRACE(seed_note(seed));
    random_modulus(1000);
    random_matrix(a);
    random_matrix(b);
    matrix2 want;
    matrix_init(want);

    matrix_mul_mod(want, a, a, n, s);
    matrix_set(c, a);
    matrix_mul_mod(c, c, c, n, s);
    EXPECT_TRUE(matrix_equal(c, want)) << "square in place";

    matrix_mul_mod(want, a, b, n, s);
    matrix_set(c, a);
    matrix_mul_mod(c, c, b, n, s);
    EXPECT_TRUE(matrix_equal(c, want)) << "destination is the left operand";
    matrix_set(c, b);
    matrix_mul_mod(c, a, c, n, s);
    EXPECT_TRUE(matrix_equal(c, want)) << "destination is the right operand";

    matrix_clear(want);
}

TEST_F(matrices, power_is_repeated_product)
{
    SCOPED_TRACE(seed_note(seed));
    random_modulus(200);
    random_matrix(a);
    matrix_set(c, a);
    matrix_set(b, a); // b = a^k, built one product at a time
    for (unsigned long k = 1; k <= 40; ++k) {
        mpz_set_ui(e, k);
        matrix_pow_mod(r, a, e, n, s);
        ASSERT_TRUE(matrix_equal(r, b)) << "k = " << k;
        ASSERT_TRUE(matrix_equal(a, c)) << "the base changed at k = " << k;
        matrix_mul_mod(b, b, a, n, s);
    }
}

TEST_F(matrices, power_in_place_and_scratch_leftovers)
{
    SCOPED_TRACE(seed_note(seed));
    random_modulus(300);
    random_matrix(a);
    mpz_urandomb(e, rand, 300);
    matrix_pow_mod(b, a, e, n, s);

    // The scratch still holds the last power's squares; the destination is
    // the base itself.
    matrix_set(c, a);
    matrix_pow_mod(c, c, e, n, s);
    EXPECT_TRUE(matrix_equal(c, b));

    // A base of the wrong sign and size in the destination's place.
    set(r, {-5, 1, 2, -3});
    random_matrix(c);
    matrix_pow_mod(r, a, e, n, s);
    EXPECT_TRUE(matrix_equal(r, b));
}

TEST_F(matrices, exponents_add)
{
    // M^(x+y) = M^x * M^y on random 1000-bit moduli, every entry in [0, N).
    SCOPED_TRACE(seed_note(seed));
    matrix2 m, mx, my;
    for (auto *p : {&m, &mx, &my})
        matrix_init(*p);
    for (int round = 0; round < 4; ++round) {
        random_modulus(1000 + round);
        random_matrix(m);
        mpz_urandomb(e, rand, 1000);
        mpz_urandomb(f, rand, 900);

        matrix_pow_mod(mx, m, e, n, s);
        matrix_pow_mod(my, m, f, n, s);
        matrix_mul_mod(b, mx, my, n, s);

        mpz_add(e, e, f);
        matrix_pow_mod(r, m, e, n, s);

        EXPECT_TRUE(matrix_equal(r, b)) << "round " << round;
        EXPECT_TRUE(reduced(r) && reduced(mx) && reduced(my));
    }
    for (auto *p : {&m, &mx, &my})
        matrix_clear(*p);
}

} // namespace
