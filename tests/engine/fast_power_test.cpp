// SPDX-License-Identifier: BSD-2-Clause
// The Cayley-Hamilton power against the plain binary method.
#include "support/harness.h"

#include "engine/fast_power.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Random drawn matrices (entries below 2^15), moduli from 2 to 1200 bits,
// odd and even, and exponents from 0 up to past the modulus, N - 1 among them.
TEST(fast_power, equals_the_binary_method)
{
    unsigned long seed = test_seed(31415);
    SCOPED_TRACE(seed_note(seed));
    seeded_random rand(seed);
    matrix_holder m, plain, fast;
    matrix_scratch ms;
    matrix_scratch_init(ms);
    fast_power_scratch fs;
    fast_power_scratch_init(fs);
    big n, e;
    int sizes_seen[4] = {0, 0, 0, 0};
    for (int round = 0; round < 400; ++round) {
        for (auto &x : m.m.x)
            mpz_set_ui(x, gmp_urandomm_ui(rand.state, 32768));
        unsigned long bits = 2 + gmp_urandomm_ui(rand.state, 1200);
        mpz_urandomb(n, rand.state, bits);
        mpz_setbit(n, bits - 1);
        switch (round % 4) {
        case 0: mpz_sub_ui(e, n, 1); break; // the exponent of a test
        case 1: mpz_set_ui(e, round % 3); break; // 0, 1 and 2
        default: mpz_urandomb(e, rand.state, gmp_urandomm_ui(rand.state, 1300)); break;
        }
        ++sizes_seen[bits < 64 ? 0 : bits < 300 ? 1 : bits < 800 ? 2 : 3];
        matrix_pow_mod(plain.m, m.m, e, n, ms);
        fast_matrix_pow_mod(fast.m, m.m, e, n, fs);
        ASSERT_TRUE(matrix_equal(plain.m, fast.m))
            << "round " << round << ", " << bits << "-bit modulus, exponent " << big_text(e);
    }
    for (int seen : sizes_seen)
        EXPECT_GT(seen, 0) << "a range of modulus sizes was never tried";
    fast_power_scratch_clear(fs);
    matrix_scratch_clear(ms);
}

TEST(fast_power, in_place_and_known_answer)
{
    // [[1, 1], [1, 0]]^E = [[F(E+1), F(E)], [F(E), F(E-1)]]; F(90) mod 10^9+7.
    big n(1000000007ul), e(90ul);
    matrix_holder m(1, 1, 1, 0);
    fast_power_scratch fs;
    fast_power_scratch_init(fs);
    fast_matrix_pow_mod(m.m, m.m, e, n, fs);
    matrix_holder want(4660046610375530309ul % 1000000007, 2880067194370816120ul % 1000000007,
                       2880067194370816120ul % 1000000007, 1779979416004714189ul % 1000000007);
    EXPECT_TRUE(matrix_equal(m.m, want.m));
    fast_power_scratch_clear(fs);
}

} // namespace
