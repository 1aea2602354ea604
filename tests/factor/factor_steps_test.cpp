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
        EXPECT_NE(r.err.find("(265 bits): Pollard p-1\n  part 1 of 1 (265 bits): p-1 found 1 divisor"),
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


// The methods of a run up to the first curve level or the sieve, which
// stops the run there: where each bound falls needs no more than that.
factor_observer methods_until_curves_or_sieve(std::string &steps, factor_workspace &w)
{
    factor_observer record = method_recorder(steps);
    return [record, &w](const factor_note &note) {
        record(note);
        if (note.event == factor_event::ecm ||
            (note.event == factor_event::method && std::string(note.method) == "quadratic sieve"))
            w.stop = true;
    };
}

// Parts of exactly the size where a step starts or stops, and one digit or
// one bit past it, with the default budget (the curves off where they
// would hide the sieve). Each is the product of two primes that no step
// before the one shown can split (PARI/GP: nextprime; p - 1 and p + 1 of
// each have a prime factor above 10^10 where p - 1 and p + 1 run).
//  - The curves go, while the sieve is ahead, to 28% of the part's digits:
//    level 15 at 54 digits, none at 53, and then neither p - 1 nor p + 1,
//    which go where the curves go.
//  - The sieve takes parts of up to 85 digits.
//  - Parts above 700 bits get the curves of ten digits fewer: at effort
//    20, level 15 at 700 bits, and at 701 bits none, so neither p - 1
//    nor p + 1.
//  - Rho takes at most 2^14 steps when the sieve is ahead: they split a
//    100-bit number with a 24-bit prime factor (about 2^12 steps), and not
//    a 101-bit one whose smaller prime has 36 bits (about 2^18), which
//    takes the sieve.
TEST(factor_steps, the_bounds_of_the_steps)
{
    const std::string p349 = prime_above(349), p350 = prime_above(350),
                      p350b = prime_above(350, 1ul << 40);
    const struct {
        const char *name;
        std::string n;
        std::size_t digits, bits; // digits 0: they do not matter
        int ecm_digits;
        std::string steps;
    } rows[] = {
        {"54 digits", "300000000000000000000000312700000000000000000000063891", 54, 178, default_ecm_digits,
         "Pollard-Brent rho; Pollard p-1; Williams p+1; ECM 15; "},
        {"53 digits", "30000000000000000000000109370000000000000000000028179", 53, 175, default_ecm_digits,
         "Pollard-Brent rho; quadratic sieve; "},
        {"85 digits",
         "3000000000000000000000000000000000000001527100000000000000000000000000000000000008607", 85,
         281, 0, "Pollard-Brent rho; quadratic sieve; "},
        {"86 digits",
         "30000000000000000000000000000000000000002141000000000000000000000000000000000000011229", 86,
         284, 0, "Pollard-Brent rho; stays composite; "},
        {"700 bits", product({p349, p350}), 0, 700, 20,
         "Pollard-Brent rho; Pollard p-1; Williams p+1; ECM 15; "},
        {"701 bits", product({p350, p350b}), 0, 701, 20, "Pollard-Brent rho; stays composite; "},
        {"100 bits", "633825980134888233977388204167", 0, 100, default_ecm_digits,
         "Pollard-Brent rho; rho split; "},
        {"101 bits", "1267650602183584277811041409823", 0, 101, default_ecm_digits,
         "Pollard-Brent rho; quadratic sieve; "},
    };
    workspace_fixture f;
    for (const auto &row : rows) {
        big n(row.n);
        // mpz_sizeinbase may say one digit too many; not for these.
        if (row.digits != 0) {
            ASSERT_EQ(mpz_sizeinbase(n, 10), row.digits) << row.name;
            ASSERT_EQ(row.n.size(), row.digits) << row.name;
        }
        ASSERT_EQ(mpz_sizeinbase(n, 2), row.bits) << row.name;
        factor_budget b = default_budget;
        b.ecm_digits = row.ecm_digits;
        std::string steps;
        f.w.stop = false;
        factorize(f.w, n, 1, b, methods_until_curves_or_sieve(steps, f.w));
        EXPECT_EQ(steps, row.steps) << row.name;
    }
}

// What a step's note counts, through the notes themselves: on the
// word-size path every prime factor with its power, above it the small
// ones; the primes a word-size part came apart into; the exponent of a
// perfect power. (Counts of one are left out: they say nothing of a count.)
TEST(factor_steps, the_counts_in_the_notes)
{
    const struct {
        const char *name;
        std::string n;
        const char *counts;
    } rows[] = {
        {"2^10 in a word", "1024", "word 10; "},
        {"2^13 3^5 5 in a word", "9953280", "word 19; "},
        // 99991^2 * 2 * 100003: a square of the last prime of trial division.
        {"a square below the bound in a word", "1999700005400486", "word 4; "},
        {"no small prime in a word", "6178246534322281", "word 3; "},
        {"2^70 * 3 above a word", "3541774862152233910272", "small primes 71; "},
        // (2147483659 * 4294967291)^3 (PARI/GP): the root is a word-size
        // part of two primes, and the cube says its exponent.
        {"the cube of two 32-bit primes",
         "784637726240408056305433598555940712168825831461941507609",
         "small primes 0; perfect power 3; word-size rho split into 2; "},
    };
    workspace_fixture f;
    for (const auto &row : rows) {
        std::string counts;
        factor_observer record = [&counts](const factor_note &note) {
            switch (note.event) {
            case factor_event::small_primes:
                counts += "small primes " + std::to_string(note.count) + "; ";
                break;
            case factor_event::word_number:
                counts += "word " + std::to_string(note.count) + "; ";
                break;
            case factor_event::perfect_power:
                counts += "perfect power " + std::to_string(note.count) + "; ";
                break;
            case factor_event::split:
                counts += std::string(note.method) + " split into " + std::to_string(note.count) + "; ";
                break;
            default:
                break;
            }
        };
        big n(row.n);
        EXPECT_TRUE(factorize(f.w, n, 1, attempts_only(0, 0), record)) << row.name;
        EXPECT_EQ(counts, row.counts) << row.name;
    }
}

// The root of a perfect power keeps the attempts that the power had, as its
// primes are the same: the square of two 100-bit primes fails its first
// strong test (base 2) as N, and its root goes on from the second test,
// never taking base 2 again.
TEST(factor_steps, a_root_goes_on_from_the_attempts_of_its_power)
{
    std::string root = product({prime_above(99), prime_above(99, 1ul << 30)});
    big n(product({root, root}));
    const std::size_t n_bits = mpz_sizeinbase(n, 2);
    std::string tests;
    factor_observer record = [&tests, n_bits](const factor_note &note) {
        if (note.event == factor_event::test)
            tests += std::string(note.bits == n_bits ? "N: " : "root: ") + note.method + " " +
                     std::to_string(note.round) + "; ";
    };
    workspace_fixture f;
    EXPECT_FALSE(factorize(f.w, n, 1, attempts_only(4, 0), record));
    EXPECT_EQ(tests, "N: strong base 2 1; root: strong 2; root: strong base 3 3; root: strong 4; ");
    EXPECT_EQ(parts_text(f.w.parts), root + "^2? ");
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
