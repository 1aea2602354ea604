// SPDX-License-Identifier: BSD-2-Clause
// What brovanten-factor says on standard error: the verbose steps, and on a
// terminal the progress line of large numbers.
#include "support/factor_harness.h"
#include "support/harness.h"

#include <gtest/gtest.h>

namespace {

// A prime part below 2^64 is said to be prime, one above it probable:
// 3 times the largest prime below 2^64, and 3 times the first above.
TEST(progress, primes_below_2_64_are_said_prime)
{
    cli_result below = run_factor({"-v", "55340232221128654671"});
    EXPECT_NE(below.err.find("  part 2 of 2 (64 bits) is prime\n"), std::string::npos) << below.err;
    cli_result above = run_factor({"-v", "55340232221128654887"});
    EXPECT_EQ(above.out, "55340232221128654887: 3 18446744073709551629\n");
    EXPECT_NE(above.err.find("  part 2 of 2 (65 bits) is a probable prime\n"), std::string::npos)
        << above.err;
    // One prime factor in the singular.
    EXPECT_NE(above.err.find("brovanten-factor: 66 bits, 1 prime factor below 100000\n"),
              std::string::npos)
        << above.err;
}

// On a terminal a long number gets a progress line, cleared before the
// result; elsewhere standard error stays quiet.
TEST(progress, progress_line_only_on_a_terminal)
{
    big p, q, n;
    prime_above_power_of_two(p, 600);
    prime_above_power_of_two(q, 500);
    mpz_mul(n, p, q);
    cli_result quiet = run_factor({n.str()});
    EXPECT_EQ(quiet.err, "");
    cli_result shown = run_factor({n.str()}, "", true);
    EXPECT_EQ(shown.out, quiet.out);
    std::string start = "\rbrovanten-factor: part 1 of 1 (" +
                        std::to_string(mpz_sizeinbase(n, 2)) + " bits), ";
    EXPECT_TRUE(starts_with(shown.err, start)) << shown.err;
    // A part above 700 bits gets the curves of 15 digits by default, and
    // the line counts them against the level's 25.
    EXPECT_NE(shown.err.find("ECM 15 digits, curve "), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find(" of 25"), std::string::npos) << shown.err;
    EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\033[K");
}

// The count of small prime factors is with their powers, and the bits are N's.
TEST(progress, verbose_counts)
{
    // 2^13 brings N above 2^64, past the word-size path.
    std::vector<std::string> primes(13, "2");
    primes.insert(primes.end(), {"3", "100981", "201961", "302941"});
    std::string n = product(primes);
    big b(n);
    cli_result r = run_factor({"-v", "-s", "3", n});
    std::string start = "brovanten-factor: seed 3\nbrovanten-factor: " +
                        std::to_string(mpz_sizeinbase(b, 2)) + " bits, 14 prime factors below 100000\n";
    EXPECT_TRUE(starts_with(r.err, start)) << r.err;
    // 2^13, 3 and the Carmichael number are the parts after trial division.
    EXPECT_NE(r.err.find("  part 3 of 3 (53 bits)"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, factor_line(n, primes));
}

// Below 2^64 the word-size path does it all at once, and -v names the
// methods that found the primes, in one line.
TEST(progress, word_size_numbers_at_once)
{
    const struct {
        const char *n, *out, *said;
    } rows[] = {
        // Two primes of 32 bits: beyond trial division, split by rho.
        {"9223372116311670949", "9223372116311670949: 2147483659 4294967311\n",
         "64 bits, below 2^64: 2 prime factors by rho and strong tests"},
        // 2^63: one prime factor, 63 times.
        {"9223372036854775808", nullptr, "64 bits, below 2^64: 63 prime factors by trial division"},
        // The largest prime below 2^64: one prime factor, proven by the tests.
        {"18446744073709551557", "18446744073709551557: 18446744073709551557\n",
         "64 bits, below 2^64: 1 prime factor by strong tests"},
        // The square of the largest prime below 2^32.
        {"18446744030759878681", "18446744030759878681: 4294967291 4294967291\n",
         "64 bits, below 2^64: 2 prime factors by a square root and strong tests"},
    };
    for (const auto &r : rows) {
        cli_result got = run_factor({"-v", "-s", "4", r.n});
        if (r.out != nullptr) {
            EXPECT_EQ(got.out, r.out);
        }
        EXPECT_EQ(got.err, std::string("brovanten-factor: seed 4\nbrovanten-factor: ") + r.said +
                               "\n");
    }
}

// On a terminal the progress line shows once a number has worked past
// the threshold (a second by default), whatever its size; a number done
// before it leaves standard error clean.
TEST(progress, progress_line_after_the_threshold)
{
    std::string p1024 = prime_above(1023), p200 = prime_above(199);
    cli_result quick = run_factor({p1024}, "", true, 1, 1.0);
    EXPECT_EQ(quick.out, p1024 + ": " + p1024 + "\n");
    EXPECT_EQ(quick.err, "");
    cli_result at_once = run_factor({p200}, "", true, 1, 0);
    EXPECT_EQ(at_once.out, p200 + ": " + p200 + "\n");
    EXPECT_TRUE(starts_with(at_once.err, "\rbrovanten-factor: part 1 of 1 (200 bits), "))
        << at_once.err;
    EXPECT_EQ(at_once.err.substr(at_once.err.size() - 4), "\r\033[K");
}

} // namespace
