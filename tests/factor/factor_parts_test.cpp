// SPDX-License-Identifier: BSD-2-Clause
// The coprime refinement of factor parts: worked examples, and its
// invariants on random inputs.
#include "support/harness.h"

#include "factor/factor_parts.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using part_list = std::vector<std::pair<unsigned long, unsigned long>>; // value, power

part_list values(const std::vector<factor_part> &parts)
{
    part_list out;
    for (const auto &p : parts)
        out.emplace_back(mpz_get_ui(p.value), p.power);
    return out;
}

struct refine_case {
    const char *name;
    unsigned long start;
    std::vector<unsigned long> divisors;
    part_list parts; // ascending, worked out by hand
};

const refine_case refine_cases[] = {
    {"one split", 30, {6}, {{5, 1}, {6, 1}}},
    {"two splits", 30, {6, 2}, {{2, 1}, {3, 1}, {5, 1}}},
    {"a square comes out of a common factor", 7 * 7 * 11, {77}, {{7, 2}, {11, 1}}},
    {"a cube and a prime", 13ul * 13 * 13 * 17, {13 * 17}, {{13, 3}, {17, 1}}},
    {"a divisor that is no factor of any part", 35, {11}, {{35, 1}}},
    {"the part itself", 35, {35}, {{35, 1}}},
};

void PrintTo(const refine_case &c, std::ostream *os)
{
    *os << c.name;
}

class refinement : public ::testing::TestWithParam<refine_case> {};

TEST_P(refinement, coprime_parts_with_powers)
{
    const refine_case &c = GetParam();
    std::vector<factor_part> parts;
    big start(c.start), d, scratch;
    parts_add(parts, start, 1, part_state::unknown, scratch);
    for (unsigned long divisor : c.divisors) {
        mpz_set_ui(d, divisor);
        parts_split_by(parts, d, scratch);
    }
    parts_sort(parts);
    EXPECT_EQ(values(parts), c.parts);
    parts_clear(parts);
}

INSTANTIATE_TEST_SUITE_P(factor, refinement, ::testing::ValuesIn(refine_cases),
                         [](const auto &info) { return test_name(info.param.name); });

TEST(refinement, equal_parts_merge_and_keep_their_state)
{
    std::vector<factor_part> parts;
    big p(100003ul), scratch;
    parts_add(parts, p, 2, part_state::prime, scratch);
    parts_add(parts, p, 3, part_state::prime, scratch);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].power, 5u);
    EXPECT_EQ(parts[0].state, part_state::prime);
    parts_clear(parts);
}

// The product of value^power over the parts.
void product_of(mpz_t product, const std::vector<factor_part> &parts)
{
    big power;
    mpz_set_ui(product, 1);
    for (const auto &p : parts) {
        mpz_pow_ui(power, p.value, p.power);
        mpz_mul(product, product, power);
    }
}

// What refinement must keep whatever the divisors: every part above 1, the
// parts pairwise coprime, their product the number; and folding in the
// same divisors again changes nothing.
TEST(refinement, random_divisors_keep_the_invariants)
{
    unsigned long seed = test_seed(2718);
    SCOPED_TRACE(seed_note(seed));
    seeded_random random(seed);
    big n, d, product, scratch, g, prime;
    for (int round = 0; round < 300; ++round) {
        // n: a product of a few small primes with small powers, so that the
        // divisors share factors with each other and with several parts.
        mpz_set_ui(n, 1);
        int primes = 1 + static_cast<int>(gmp_urandomm_ui(random.state, 5));
        for (int i = 0; i < primes; ++i) {
            mpz_set_ui(prime, 2 + gmp_urandomm_ui(random.state, 60));
            mpz_nextprime(prime, prime);
            mpz_pow_ui(prime, prime, 1 + gmp_urandomm_ui(random.state, 3));
            mpz_mul(n, n, prime);
        }
        if (mpz_cmp_ui(n.v, 1) == 0)
            continue;
        std::vector<factor_part> parts;
        parts_add(parts, n, 1, part_state::unknown, scratch);
        std::vector<big> divisors(1 + gmp_urandomm_ui(random.state, 6));
        for (auto &divisor : divisors) {
            // Mostly divisors of n, now and then a number that shares only
            // a part of its factors with n.
            mpz_urandomb(d, random.state, 1 + static_cast<unsigned long>(mpz_sizeinbase(n, 2)));
            mpz_add_ui(d, d, 1);
            if (gmp_urandomm_ui(random.state, 4) != 0)
                mpz_gcd(d, d, n);
            mpz_set(divisor, d);
            parts_split_by(parts, divisor, scratch);
        }
        parts_sort(parts);
        product_of(product, parts);
        ASSERT_EQ(mpz_cmp(product, n), 0) << "round " << round << ": product " << product.str()
                                          << ", n " << n.str();
        for (std::size_t i = 0; i < parts.size(); ++i) {
            ASSERT_GT(mpz_cmp_ui(parts[i].value, 1), 0) << "round " << round;
            for (std::size_t j = i + 1; j < parts.size(); ++j) {
                mpz_gcd(g, parts[i].value, parts[j].value);
                ASSERT_EQ(mpz_cmp_ui(g.v, 1), 0)
                    << "round " << round << ": parts " << mpz_get_ui(parts[i].value) << " and "
                    << mpz_get_ui(parts[j].value);
            }
        }
        part_list before = values(parts);
        for (const auto &divisor : divisors)
            parts_split_by(parts, divisor, scratch);
        parts_sort(parts);
        EXPECT_EQ(values(parts), before) << "round " << round;
        parts_clear(parts);
    }
}

} // namespace

TEST(refinement, splitting_one_part_agrees_with_splitting_them_all)
{
    // Part 1 (a random n to the power 3) between two primes above n's: its
    // own divisors split it alone, exactly as a split of every part would.
    unsigned long seed = test_seed(1414);
    SCOPED_TRACE(seed_note(seed));
    seeded_random random(seed);
    big n, prime, scratch, low(1009ul), high(1013ul);
    for (int round = 0; round < 300; ++round) {
        mpz_set_ui(n, 1);
        for (int i = 0; i < 1 + static_cast<int>(gmp_urandomm_ui(random.state, 5)); ++i) {
            mpz_set_ui(prime, 2 + gmp_urandomm_ui(random.state, 60));
            mpz_nextprime(prime, prime);
            mpz_pow_ui(prime, prime, 1 + gmp_urandomm_ui(random.state, 3));
            mpz_mul(n, n, prime);
        }
        if (mpz_cmp_ui(n.v, 1) == 0)
            continue;
        std::vector<factor_part> one, all;
        for (auto *parts : {&one, &all}) {
            parts_add(*parts, low, 2, part_state::prime, scratch);
            parts_add(*parts, n, 3, part_state::unknown, scratch);
            parts_add(*parts, high, 1, part_state::prime, scratch);
        }
        ASSERT_EQ(mpz_cmp(one[1].value, n), 0);
        mpz_t divisors[4];
        int count = 1 + static_cast<int>(gmp_urandomm_ui(random.state, 4));
        for (int k = 0; k < count; ++k) {
            mpz_init(divisors[k]);
            mpz_urandomb(divisors[k], random.state, mpz_sizeinbase(n, 2));
            mpz_add_ui(divisors[k], divisors[k], 1);
            mpz_gcd(divisors[k], divisors[k], n);
            parts_split_by(all, divisors[k], scratch);
        }
        bool split = parts_split_one(one, 1, divisors, count, scratch);
        for (int k = 0; k < count; ++k)
            mpz_clear(divisors[k]);
        EXPECT_EQ(split, all.size() > 3 || mpz_cmp(all[1].value, n) != 0) << "round " << round;
        EXPECT_EQ(mpz_cmp(one[0].value, low), 0) << "round " << round;
        EXPECT_EQ(one[0].power, 2u) << "round " << round;
        EXPECT_EQ(one[0].state, part_state::prime) << "round " << round;
        parts_sort(one);
        parts_sort(all);
        EXPECT_EQ(values(one), values(all)) << "round " << round << ", n " << n.str();
        parts_clear(one);
        parts_clear(all);
    }
}
