// SPDX-License-Identifier: BSD-2-Clause
// The strong test of one base, against PARI/GP (b^d = +-1 or some
// b^(d 2^i) = -1 mod n, written out in gp): primes, strong pseudoprimes
// from the tables (2047, 1373653, 3215031751, psi_13) on both sides of the
// bases they fool, and composites with 1 reached before -1.
#include "support/harness.h"

#include "factor/miller_rabin.h"

#include <gtest/gtest.h>

namespace {

TEST(miller_rabin, strong_pseudoprimes_and_their_bases)
{
    const struct {
        const char *n;
        unsigned long base;
        bool passes;
    } rows[] = {
        {"1000000007", 5, true},
        {"25", 7, true},  // 7 is a strong liar of 5^2
        {"25", 2, false},
        {"341", 2, false}, // a Fermat pseudoprime to base 2: 1 before -1
        {"2047", 2, true},
        {"2047", 3, false},
        {"1373653", 2, true},
        {"1373653", 3, true},
        {"1373653", 5, false},
        {"3215031751", 2, true},
        {"3215031751", 7, true},
        {"3215031751", 11, false},
        {"3317044064679887385961981", 41, true},
        {"3317044064679887385961981", 43, false},
    };
    big n, minus_one, odd, x;
    for (const auto &r : rows) {
        mpz_set_str(n, r.n, 10);
        mpz_sub_ui(minus_one, n, 1);
        unsigned long twos = mpz_scan1(minus_one, 0);
        mpz_tdiv_q_2exp(odd, minus_one, twos);
        EXPECT_EQ(miller_rabin_passes(n, r.base, minus_one, odd, twos, x), r.passes)
            << r.n << " base " << r.base;
    }
}

} // namespace
