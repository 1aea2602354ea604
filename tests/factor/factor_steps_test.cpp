// SPDX-License-Identifier: BSD-2-Clause
// The step table at work: the general methods in their order, and only
// where the budget lets them; p - 1 and p + 1 on factors that only they
// find cheaply; a perfect power said with its own size; and a run stopped
// between two steps. The numbers come from PARI/GP (see each case).
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/factor_steps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

// The methods and splits of a run, in order, without the attempts.
factor_observer method_recorder(std::string &steps)
{
    return [&steps](const factor_note &note) {
        switch (note.event) {
        case factor_event::method:
            steps += std::string(note.method) + "; ";
            break;
        case factor_event::ecm:
            steps += "ECM " + std::to_string(note.round) + "; ";
            break;
        case factor_event::split:
            steps += std::string(note.method) + " split; ";
            break;
        case factor_event::unsplit:
            steps += "stays composite; ";
            break;
        default:
            break;
        }
    };
}

// nextprime(2^63) * nextprime(2^63 + 2^40): 38 digits, beyond rho's steps
// and beyond the curves of 15 digits.
const char two_64_bit_primes[] = "85070601871439419333439118277554999521";

TEST(factor_steps, the_general_methods_in_their_order)
{
    big n{std::string(two_64_bit_primes)};
    workspace_fixture f;
    const struct {
        const char *name;
        int ecm_digits, sieve_digits;
        double pm1_b1, pp1_b1;
        std::string steps;
    } rows[] = {
        // No sieve: rho, p - 1, p + 1, the curves, and the part stays whole.
        {"curves to 15 digits", 15, 0, 1000, 1000,
         "Pollard-Brent rho; Pollard p-1; Williams p+1; ECM 15; stays composite; "},
        {"p - 1 and p + 1 off", 15, 0, 0, 0, "Pollard-Brent rho; ECM 15; stays composite; "},
        // With the sieve ahead, only the curves up to a quarter of the part's
        // 38 digits (none), and p - 1 and p + 1 go where the curves go.
        {"the sieve", 25, 75, 1000, 1000,
         "Pollard-Brent rho; quadratic sieve; sieve split; "},
        {"nothing but rho", 0, 0, 1000, 1000, "Pollard-Brent rho; stays composite; "},
    };
    for (const auto &r : rows) {
        factor_budget b = default_budget;
        b.ecm_digits = r.ecm_digits;
        b.sieve_digits = r.sieve_digits;
        b.pm1_b1 = r.pm1_b1;
        b.pp1_b1 = r.pp1_b1;
        std::string steps;
        factorize(f.w, n, 1, b, method_recorder(steps));
        EXPECT_EQ(steps, r.steps) << r.name;
    }
}

// p - 1 is 2 times primes below 1000, p + 1 has a prime factor of 15
// digits (PARI/GP: factor); q = nextprime(2^200 + 123456789), whose q - 1
// and q + 1 have no such smooth part. Rho cannot reach the 65-bit p, the
// curves would find it only at their third level.
const char smooth_p_minus_1[] = "19345979028960757907";
// p + 1 is 2 times primes below 1000, p - 1 has a prime factor of 13 digits.
const char smooth_p_plus_1[] = "132665123880326524633";
const char large_q[] = "1606938044258990275541962092341162602522202993782792958758213";

TEST(factor_steps, p_minus_1_and_p_plus_1_find_what_is_smooth)
{
    std::string pm1_n = product({smooth_p_minus_1, large_q});
    std::string pp1_n = product({smooth_p_plus_1, large_q});
    for (unsigned long seed = 1; seed <= 3; ++seed) {
        cli_result r = run_factor({"-v", "-s", std::to_string(seed), pm1_n});
        EXPECT_EQ(r.out, factor_line(pm1_n, {smooth_p_minus_1, large_q}));
        EXPECT_NE(r.err.find("(265 bits): Pollard p-1\n  part 1 of 1 (265 bits): p-1 found 1 divisors"),
                  std::string::npos)
            << r.err;
    }
    // p + 1 works as p + 1 only for the starts x with x^2 - 4 a non-square
    // modulo p, about half of them; the others make it p - 1, which does not
    // reach this p. Neither rho nor the curves of 15 digits find p, and the
    // sieve, which would, is off.
    big n(pp1_n);
    workspace_fixture f;
    factor_budget b = default_budget;
    b.rho_steps = 0;
    b.ecm_digits = 15;
    b.sieve_digits = 0;
    int found = 0;
    for (unsigned long seed = 1; seed <= 8; ++seed) {
        std::string steps;
        bool complete = factorize(f.w, n, seed, b, method_recorder(steps));
        EXPECT_EQ(steps.find("p-1 split"), std::string::npos) << steps;
        if (steps.find("Williams p+1; p+1 split;") != std::string::npos) {
            ++found;
            EXPECT_TRUE(complete) << steps;
        }
    }
    EXPECT_GT(found, 0);
    // Without the general methods both stay in brackets.
    for (const auto &m : {pm1_n, pp1_n}) {
        cli_result r = run_factor({"--effort=0", m});
        EXPECT_EQ(r.out, m + ": [" + m + "]\n");
    }
}

// r = nextprime(2^45) * nextprime(2^45 + 10^6) has 91 bits, its cube 271:
// the perfect power is said with the size it had.
TEST(factor_steps, a_perfect_power_is_said_with_its_own_size)
{
    const std::string r = "1237940074472848588533943151";
    std::string cube = product({r, r, r});
    cli_result got = run_factor({"-v", "--effort=0", cube});
    EXPECT_NE(got.err.find("  part 1 of 1 (271 bits) was a perfect power, exponent 3\n"),
              std::string::npos)
        << got.err;
}

// Stopped before its first step, a run leaves N whole; stopped after the
// first split, it leaves the parts it had, whose product is N.
TEST(factor_steps, a_stop_between_two_steps)
{
    std::ifstream in(std::string(BROVANTEN_BENCH_NUMBERS_DIR) + "/carmichael-1024.txt");
    std::string decimal;
    std::getline(in, decimal);
    big n(decimal), product_of_parts;
    workspace_fixture f;
    f.w.stop = true;
    EXPECT_FALSE(factorize(f.w, n, 1));
    EXPECT_EQ(parts_text(f.w.parts), decimal + "^1? ");

    f.w.stop = false;
    factor_observer stop_at_the_first_split = [&f](const factor_note &note) {
        if (note.event == factor_event::split)
            f.w.stop = true;
    };
    EXPECT_FALSE(factorize(f.w, n, 1, default_budget, stop_at_the_first_split));
    EXPECT_GE(f.w.parts.size(), 2u);
    mpz_set_ui(product_of_parts, 1);
    for (const auto &p : f.w.parts)
        for (unsigned long k = 0; k < p.power; ++k)
            mpz_mul(product_of_parts, product_of_parts, p.value);
    EXPECT_EQ(mpz_cmp(product_of_parts, n), 0);
    f.w.stop = false;
    EXPECT_TRUE(factorize(f.w, n, 1)) << "the flag is the caller's to clear";
}

// The line -v shows after the sieve, against facts of any sound run: no
// more cycles than partial relations, more full relations and cycles than
// base primes, at most a row per base prime and more columns than rows.
TEST(factor_steps, the_sieve_summary_adds_up)
{
    big n{std::string(two_64_bit_primes)};
    workspace_fixture f;
    factor_budget b = default_budget;
    b.ecm_digits = 0;
    b.sieve_digits = 75;
    std::string summary;
    factorize(f.w, n, 1, b, [&summary](const factor_note &note) {
        if (note.event == factor_event::method_summary)
            summary = note.method;
    });
    unsigned long primes = 0, multiplier = 0, polynomials = 0, fulls = 0, partials = 0,
                  cycles = 0, rows = 0, columns = 0;
    ASSERT_EQ(std::sscanf(summary.c_str(),
                          "sieve: %lu primes (multiplier %lu), %lu polynomials, %lu full and %lu "
                          "partial relations, %lu cycles, matrix %lu x %lu",
                          &primes, &multiplier, &polynomials, &fulls, &partials, &cycles, &rows,
                          &columns),
              8)
        << summary;
    EXPECT_GT(polynomials, 0u) << summary;
    EXPECT_GT(cycles, 0u) << summary;
    EXPECT_LE(cycles, partials) << summary;
    EXPECT_GT(fulls + cycles, primes) << summary;
    EXPECT_LE(rows, primes) << summary;
    EXPECT_GT(columns, rows) << summary;
    EXPECT_LE(columns, fulls + cycles) << summary;
}

// With the sieve ahead, rho takes out a factor of 7 digits, which needs a
// few thousand of its steps, and leaves one of 12 digits, which would need
// about a million, to the sieve. PARI/GP: nextprime(9*10^6) *
// nextprime(10^25) and nextprime(3*10^11) * nextprime(10^20).
TEST(factor_steps, rho_before_the_sieve_takes_out_small_factors_only)
{
    workspace_fixture f;
    const struct {
        const char *n, *steps;
    } rows[] = {
        {"90000110000000000000000117000143", "Pollard-Brent rho; rho split; "},
        {"30000000007700000011700000003003", "Pollard-Brent rho; quadratic sieve; sieve split; "},
    };
    for (const auto &r : rows) {
        factor_budget b = default_budget;
        b.ecm_digits = 0;
        b.pm1_b1 = b.pp1_b1 = 0;
        big n{std::string(r.n)};
        std::string steps;
        factorize(f.w, n, 1, b, method_recorder(steps));
        EXPECT_EQ(steps, r.steps) << r.n;
    }
}

} // namespace
