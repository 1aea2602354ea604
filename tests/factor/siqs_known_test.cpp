// SPDX-License-Identifier: BSD-2-Clause
// The quadratic sieve alone on balanced semiprimes of 50 to 60 digits, with
// two threads; the factors are PARI/GP's.
#include "support/harness.h"

#include "factor/siqs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct semiprime {
    const char *n, *p, *q;
};

// setrand(20261211), as in siqs_test.cpp, continued.
const semiprime large[] = {
    {"30692479234303396539455996575078996314033111450481", "3680036440913550280471669",
     "8340265029191978621502349"},
    {"4037105327693035421867870411028861591775087788415793629", "765808934434031190327712697",
     "5271687422498728194316306757"},
    {"155940790056930336037017790805614902874589236180317416158379",
     "340983958786144583280410717369", "457325883047571611228815516291"},
};

class siqs_known : public ::testing::TestWithParam<semiprime> {};

TEST_P(siqs_known, splits_the_semiprime)
{
    const semiprime &c = GetParam();
    big n(c.n), d;
    ASSERT_EQ(siqs_find_divisor(d, n, 2, 1), siqs_verdict::found) << c.n;
    EXPECT_TRUE(d.str() == c.p || d.str() == c.q) << c.n << " gave " << d.str();
}

INSTANTIATE_TEST_SUITE_P(digits, siqs_known, ::testing::ValuesIn(large), [](const auto &info) {
    return std::to_string(std::string(info.param.n).size());
});

} // namespace
