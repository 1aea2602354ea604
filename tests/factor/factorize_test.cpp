// SPDX-License-Identifier: BSD-2-Clause
// The method through the command: primes whatever the seed, composite parts
// that stay in brackets, rho within its steps, trial division to the bound,
// and the seed steering and replaying the steps.
#include "support/factor_harness.h"
#include "support/harness.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A prime with no small factor is reported prime whatever the seed: its
// first strong test passes through a^t = 1 or through some a^(t*2^j) = -1.
TEST(factorize, primes_for_every_seed)
{
    big p1024;
    prime_above_power_of_two(p1024, 1023);
    const std::string primes[] = {"100003", "1000000007", "2305843009213693951",
                                  "170141183460469231731687303715884105727", p1024.str()};
    for (const auto &p : primes) {
        for (unsigned long seed = 1; seed <= 8; ++seed) {
            cli_result r = run_factor({p}, "", false, seed);
            EXPECT_EQ(r.out, p + ": " + p + "\n") << "seed " << seed;
            EXPECT_EQ(r.status, 0);
        }
    }
}

// Two 512-bit primes: no test and no rho can split them, and the number
// comes back whole, in brackets, with status 1.
TEST(factorize, rsa_like_semiprime_stays_in_brackets)
{
    big p, q, n;
    prime_above_power_of_two(p, 511, 7654321);
    prime_above_power_of_two(q, 511, 1234567);
    mpz_mul(n, p, q);
    cli_result r = run_factor({"561", n.str(), "1105"});
    EXPECT_EQ(r.out, "561: 3 11 17\n" + n.str() + ": [" + n.str() + "]\n" + "1105: 5 13 17\n");
    EXPECT_EQ(r.status, 1);
}

// Rho gets a bounded try: two 60-bit primes are beyond it, and without the
// curves and the sieve (--effort=0) they stay together.
TEST(factorize, small_semiprime_beyond_rho_stays_in_brackets)
{
    big p, q, n;
    prime_above_power_of_two(p, 59);
    prime_above_power_of_two(q, 59, 999);
    mpz_mul(n, p, q);
    big three(3ul);
    mpz_mul(n, n, three);
    big pq;
    mpz_mul(pq, p, q);
    cli_result r = run_factor({"--effort=0", n.str()});
    EXPECT_EQ(r.out, n.str() + ": 3 [" + pq.str() + "]\n");
    EXPECT_EQ(r.status, 1);
}

// Rho gets every part that the tests leave whole, with a bounded number of
// steps: a 31-bit prime beside a 98- or a 99-bit prime, and a 28-bit prime
// beside a 1000-bit prime, are split; two 64-bit primes, which would take
// some 2^32 steps, are left whole at once.
TEST(factorize, rho_at_every_size_within_its_steps)
{
    struct row {
        std::vector<std::string> primes;
        bool split;
    };
    const row rows[] = {
        {{prime_above(30), prime_above(97)}, true},
        {{prime_above(30), prime_above(98)}, true},
        {{prime_above(27), prime_above(999)}, true},
        {{prime_above(63), prime_above(63, 1ul << 40)}, false},
    };
    for (const auto &r : rows) {
        std::string n = product(r.primes);
        cli_result got = run_factor({"--effort=0", n});
        EXPECT_EQ(got.out, r.split ? factor_line(n, r.primes) : n + ": [" + n + "]\n") << n;
        EXPECT_EQ(got.status, r.split ? 0 : 1) << n;
    }
}

// The status looks at every part, not only the last: here the part left
// composite comes first and a prime follows it. With S a product of two
// 60-bit primes and P = 2S - 1 prime, N - 1 = (S - 1)(2S + 1) and
// P - 1 = 2(S - 1), so a^(N-1) = 1 mod P for every square a: a strong test
// takes P out, and S stays whole.
TEST(factorize, a_composite_part_before_a_prime)
{
    big p, q, s, prime;
    prime_above_power_of_two(q, 60);
    for (unsigned long k = 0;; ++k) {
        prime_above_power_of_two(p, 59, 1000 * k);
        mpz_mul(s, p, q);
        mpz_mul_2exp(prime, s, 1);
        mpz_sub_ui(prime, prime, 1);
        if (mpz_probab_prime_p(prime, 30) > 0)
            break;
    }
    std::string n = product({s.str(), prime.str()});
    cli_result r = run_factor({"--effort=0", n});
    EXPECT_EQ(r.out, n + ": [" + s.str() + "] " + prime.str() + "\n");
    EXPECT_EQ(r.status, 1);
}

// Trial division goes all the way to 99991, whatever is left beside it.
TEST(factorize, small_primes_up_to_the_bound_beside_a_large_prime)
{
    std::string large = prime_above(140);
    const std::vector<std::string> cases[] = {
        {"331", "99991", large},
        {"317", "317", "99989", large},
        {"99991", "99991", large},
        // What is left is the square of a prime near the bound, not a prime.
        {"2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2",
         "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2",
         "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2",
         "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "99989", "99989"},
        {"2", "3", "99991", large},
    };
    for (const auto &primes : cases) {
        std::string n = product(primes);
        cli_result r = run_factor({n});
        EXPECT_EQ(r.out, factor_line(n, primes));
        EXPECT_EQ(r.status, 0);
    }
}

// The seed steers the steps: over eight seeds the verbose transcripts of a
// two-prime strong pseudoprime differ, and each seed replays exactly.
TEST(factorize, seeds_change_the_steps)
{
    const std::string n = "3317044064679887385961981";
    std::set<std::string> transcripts;
    for (unsigned long seed = 1; seed <= 8; ++seed) {
        std::string option = "--seed=" + std::to_string(seed);
        cli_result a = run_factor({"-v", option, n});
        cli_result b = run_factor({"-v", option, n});
        EXPECT_EQ(a.err, b.err) << "seed " << seed;
        EXPECT_EQ(a.out, n + ": 1287836182261 2575672364521\n");
        std::string steps = a.err.substr(a.err.find('\n') + 1);
        transcripts.insert(steps);
    }
    EXPECT_GE(transcripts.size(), 2u);
}

// --verbose names the seed, and the same seed gives the same steps.
TEST(factorize, verbose_seed_replays)
{
    std::string n = "3317044064679887385961981";
    cli_result a = run_factor({"--verbose", "--seed=42", n});
    cli_result b = run_factor({"-v", "-s", "42", n});
    EXPECT_TRUE(starts_with(a.err, "brovanten-factor: seed 42\n")) << a.err;
    EXPECT_EQ(a.err, b.err);
    EXPECT_EQ(a.out, n + ": 1287836182261 2575672364521\n");
    // Below 2^64 the primality test is a proof.
    EXPECT_NE(a.err.find("  part 1 of 2 (42 bits) is prime\n"), std::string::npos) << a.err;
}

} // namespace
