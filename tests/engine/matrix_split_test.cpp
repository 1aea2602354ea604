// SPDX-License-Identifier: BSD-2-Clause
// Turning R = M^(N-1) mod N into divisors, on its own and in a whole test.
#include "support/harness.h"

#include "engine/matrix_split.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// N = 5 * 7 * 11 * 13 = 5005. Each entry of R is given by its residues
// modulo 5, 7, 11 and 13 and put together by the Chinese remainder theorem,
// so a row says directly which primes divide each candidate.
const unsigned long primes[4] = {5, 7, 11, 13};
const unsigned long n_small = 5005;

using residues = std::array<unsigned long, 4>;

unsigned long crt(const residues &r)
{
    unsigned long x = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned long rest = n_small / primes[i];
        unsigned long inverse = 1;
        while (rest * inverse % primes[i] != 1)
            ++inverse;
        x = (x + r[i] * rest % n_small * inverse) % n_small;
    }
    return x;
}

struct extraction_case {
    const char *name;
    residues r00, r01, r10, r11;
    std::vector<unsigned long> divisors; // worked out by hand from the residues
};

// Candidates: gcd(r00 - 1, N), gcd(r01, N), gcd(r10, N), gcd(r11 - 1, N).
const extraction_case extraction_cases[] = {
    {"identity modulo 5 and 7 only, four equal candidates",
     {1, 1, 2, 3}, {0, 0, 3, 1}, {0, 0, 4, 1}, {1, 1, 5, 2}, {35}},
    {"identity modulo N, every candidate is N", {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0},
     {1, 1, 1, 1}, {}},
    {"every candidate is 1", {2, 2, 2, 2}, {1, 1, 1, 1}, {1, 1, 1, 1}, {2, 2, 2, 2}, {}},
    {"zero matrix", {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {}},
    {"four different primes", {1, 2, 2, 2}, {1, 0, 1, 1}, {1, 1, 0, 1}, {2, 2, 2, 1},
     {5, 7, 11, 13}},
    {"first candidate again in third place", {1, 2, 2, 2}, {1, 0, 1, 1}, {0, 1, 1, 1},
     {2, 2, 2, 2}, {5, 7}},
    {"second candidate again in third place, composite gcds", {1, 1, 2, 2}, {1, 1, 0, 0},
     {1, 1, 0, 0}, {1, 1, 2, 2}, {35, 143}},
    {"minus the identity modulo 7: the diagonal alone loses its 1", {1, 6, 2, 2},
     {0, 0, 1, 1}, {0, 0, 1, 1}, {1, 6, 2, 2}, {5, 35}},
    {"candidates equal to N between divisors", {1, 1, 1, 1}, {0, 1, 1, 1}, {0, 0, 0, 0},
     {2, 1, 2, 2}, {5, 7}},
    {"last candidate only", {2, 2, 2, 2}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 2, 1, 2}, {55}},
};

// The divisor slots a test writes into, freed on every way out.
struct divisor_slots {
    mpz_t d[max_divisors];
    divisor_slots()
    {
        for (auto &x : d)
            mpz_init_set_si(x, -77); // leftovers must not matter
    }
    ~divisor_slots()
    {
        for (auto &x : d)
            mpz_clear(x);
    }
    std::vector<unsigned long> first(int count) const
    {
        std::vector<unsigned long> v;
        for (int k = 0; k < count; ++k)
            v.push_back(mpz_get_ui(d[k]));
        return v;
    }
};

void PrintTo(const extraction_case &c, std::ostream *os)
{
    *os << c.name;
}

class extraction : public ::testing::TestWithParam<extraction_case> {};

TEST_P(extraction, divisors_in_entry_order)
{
    const extraction_case &c = GetParam();
    big n(n_small);
    matrix_holder r(crt(c.r00), crt(c.r01), crt(c.r10), crt(c.r11));
    matrix_holder before;
    matrix_set(before.m, r.m);

    divisor_slots out;
    int count = extract_divisors(out.d, r.m, n);
    EXPECT_EQ(out.first(count), c.divisors);
    EXPECT_TRUE(matrix_equal(r.m, before.m)) << "R changed";
}

INSTANTIATE_TEST_SUITE_P(engine, extraction, ::testing::ValuesIn(extraction_cases),
                         [](const auto &info) { return test_name(info.param.name); });

// Ten tests of seed 1 on 6178246534322281 = 100981 * 201961 * 302941:
// the first finds nothing, the second 302941 in all four entries.
TEST(engine, whole_tests_from_seed_one)
{
    big n("6178246534322281");
    rng_state g;
    rng_seed(g, 1);
    test_scratch t;
    test_scratch_init(t);
    divisor_slots out;
    mpz_t *d = out.d;

    EXPECT_EQ(split_test(d, t, g, n), 0);
    matrix_holder first(14771, 11538, 1869, 19912);
    EXPECT_TRUE(matrix_equal(t.drawn, first.m));

    ASSERT_EQ(split_test(d, t, g, n), 1);
    EXPECT_EQ(mpz_get_ui(d[0]), 302941u);
    matrix_holder second(12044, 21659, 26292, 26439);
    EXPECT_TRUE(matrix_equal(t.drawn, second.m)) << "the drawn matrix is kept for the certificate";

    test_scratch_clear(t);
}

} // namespace
