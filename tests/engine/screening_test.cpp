// SPDX-License-Identifier: BSD-2-Clause
// brovanten's screening on its own: the smallest divisor below 100000 and
// the Fermat test to base 3, on numbers whose answers PARI/GP gives
// (Mod(3, n)^n == 3).
#include "support/harness.h"

#include "engine/screening.h"

#include <gtest/gtest.h>

namespace {

TEST(screening, divisor_and_base_3_test)
{
    const struct {
        const char *n;
        unsigned long divisor;
        bool passes_base_3;
    } rows[] = {
        {"0", 2, false},
        {"1", 0, false},            // 3 mod 1 is 0
        {"-7", 7, false},           // no base-3 test below 1
        {"-100003", 0, false},
        {"91", 7, true},            // 7 * 13, a base-3 pseudoprime
        {"121", 11, true},          // 11^2, a base-3 pseudoprime
        {"99991", 99991, true},     // a prime below the bound is its own divisor
        {"100003", 0, true},        // the first prime above it
        {"6178246534322281", 0, true},  // Carmichael: 100981 * 201961 * 302941
        {"70079222401", 0, false},  // 100057 * 700393, a strong pseudoprime to base 2 only
        {"9998200081", 99991, false}, // 99991^2: the last prime of the bound
    };
    big n, residue;
    for (const auto &r : rows) {
        mpz_set_str(n, r.n, 10);
        EXPECT_EQ(screening_divisor(n), r.divisor) << r.n;
        EXPECT_EQ(screening_passes_base_3(n, residue), r.passes_base_3) << r.n;
    }
}

} // namespace
