// SPDX-License-Identifier: BSD-2-Clause
// What kind of number N is, against PARI/GP: Korselt's and the
// Lucas-Carmichael criteria (issquarefree, factor), the liars (counted one
// base at a time below 10^6, by prod gcd(p - 1, N - 1) and by Monier's
// formula written out in gp above), and the prime bases below 100 to which
// N is a Fermat (Mod(b, N)^(N-1) == 1) and a strong pseudoprime.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/factorize.h"
#include "factor/kind.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <string>
#include <vector>

namespace {

using bases = std::vector<unsigned long>;

struct kind_case {
    const char *name;
    const char *n;
    verdict carmichael, lucas_carmichael;
    const char *fermat_liars, *strong_liars, *phi;
    bases fermat, strong;
    unsigned long fermat_run, strong_run;
    bool screening;
};

const verdict yes = verdict::yes, no = verdict::no;

const kind_case kind_cases[] = {
    {"Carmichael 561", "561", yes, no, "320", "10", "320",
     {2, 5, 7, 13, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67, 71, 73, 79, 83, 89, 97}, {}, 2, 0,
     false},
    {"Carmichael 1105", "1105", yes, no, "768", "30", "768",
     {2, 3, 7, 11, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67, 71, 73, 79, 83, 89, 97}, {47}, 3,
     0, false},
    {"Carmichael 8911", "8911", yes, no, "7128", "1782", "7128",
     {2, 3, 5, 11, 13, 17, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 71, 73, 79, 83, 89, 97},
     {3, 13, 23, 31, 41, 97}, 5, 0, false},
    {"Carmichael and strong pseudoprime to 2", "9585921133193329", yes, no, "9585783382988736",
     "299555730718398", "9585783382988736",
     {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67, 71, 73, 79, 83, 89, 97},
     {2, 5, 53}, 97, 2, true},
    {"Carmichael and strong pseudoprime to 2..31", "3825123056546413051", yes, no,
     "3825092239639605000", "956273059909901250", "3825092239639605000",
     {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67, 71, 73, 79, 83, 89, 97},
     {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 53, 59, 79}, 97, 31, true},
    {"base-2 pseudoprime, not Carmichael", "341", no, no, "100", "50", "300",
     {2, 23, 29, 47, 61, 89, 97}, {29, 47, 61, 97}, 2, 0, false},
    {"base-3 pseudoprime, not Carmichael", "91", no, no, "36", "18", "72",
     {3, 17, 23, 29, 43, 53, 61, 79}, {17, 29, 53, 79}, 0, 0, false},
    {"strong pseudoprime to the first 13 primes", "3317044064679887385961981", no, no,
     "1658522032338011938707600", "621945762126754477015350", "3317044064676023877415200",
     {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 59, 67, 71, 73, 79, 83, 89},
     {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 59, 71, 73, 79, 89}, 41, 41, true},
    {"square of a base-3 Wieferich prime", "1012042036009", no, no, "1006002", "1006002",
     "1012041030006", {3}, {3}, 0, 0, true},
    {"Lucas-Carmichael 399", "399", no, yes, "8", "2", "216", {}, {}, 0, 0, false},
    {"Lucas-Carmichael 935", "935", no, yes, "8", "2", "640", {}, {}, 0, 0, false},
};

void PrintTo(const kind_case &c, std::ostream *os)
{
    *os << c.name;
}

class kind : public ::testing::TestWithParam<kind_case> {};

struct classified {
    factor_workspace work;
    kind_scratch scratch;
    number_kind k;
    big n;
    bool complete;
    explicit classified(const char *decimal) : n(std::string(decimal))
    {
        factor_workspace_init(work);
        kind_scratch_init(scratch);
        factor_budget no_general = default_budget;
        no_general.ecm_digits = no_general.sieve_digits = 0;
        complete = factorize(work, n, 1, no_general);
        classify(k, n, work.parts, complete, default_kind_base_bound, scratch);
    }
    ~classified()
    {
        kind_scratch_clear(scratch);
        factor_workspace_clear(work);
    }
};

TEST_P(kind, verdicts_as_pari_gp_gives_them)
{
    const kind_case &c = GetParam();
    classified x(c.n);
    ASSERT_TRUE(x.complete);
    EXPECT_FALSE(x.k.prime);
    EXPECT_TRUE(x.k.composite);
    EXPECT_EQ(x.k.carmichael, c.carmichael) << x.k.carmichael_why;
    EXPECT_EQ(x.k.lucas_carmichael, c.lucas_carmichael) << x.k.lucas_why;
    EXPECT_EQ(x.k.fermat_liars, c.fermat_liars);
    EXPECT_EQ(x.k.strong_liars, c.strong_liars);
    EXPECT_EQ(x.k.phi, c.phi);
    EXPECT_EQ(x.k.fermat_bases, c.fermat);
    EXPECT_EQ(x.k.strong_bases, c.strong);
    EXPECT_EQ(x.k.fermat_run, c.fermat_run);
    EXPECT_EQ(x.k.strong_run, c.strong_run);
    EXPECT_EQ(x.k.passes_screening, c.screening) << x.k.screening_why;
}

INSTANTIATE_TEST_SUITE_P(factor, kind, ::testing::ValuesIn(kind_cases),
                         [](const auto &info) { return test_name(info.param.name); });

// A prime is a prime: no criteria, no bases.
TEST(kind, primes)
{
    for (const char *p : {"2", "7", "99991", "100003", "2305843009213693951"}) {
        classified x(p);
        EXPECT_TRUE(x.k.prime) << p;
        EXPECT_FALSE(x.k.composite) << p;
        EXPECT_TRUE(x.k.fermat_bases.empty()) << p;
    }
    classified above("100003");
    EXPECT_TRUE(above.k.passes_screening);
    classified below("99991");
    EXPECT_FALSE(below.k.passes_screening);
    EXPECT_EQ(below.k.screening_why, "divisible by 99991");
}

// Left in brackets: composite, the criteria and the liars unknown, the
// bases (none, as gp says) still worked out.
TEST(kind, incomplete_factorisation)
{
    classified x("332306998946229619626601867938758453");
    ASSERT_FALSE(x.complete);
    EXPECT_TRUE(x.k.composite);
    EXPECT_EQ(x.k.squarefree, verdict::unknown);
    EXPECT_EQ(x.k.carmichael, verdict::unknown);
    EXPECT_EQ(x.k.lucas_carmichael, verdict::unknown);
    EXPECT_EQ(x.k.fermat_liars, "");
    EXPECT_TRUE(x.k.fermat_bases.empty());
    EXPECT_FALSE(x.k.passes_screening);
    // A known prime part that breaks a criterion decides it all the same:
    // 7 - 1 does not divide 7 N - 1 for this N.
    classified y("2326148992623607337386213075571309171");
    ASSERT_FALSE(y.complete);
    EXPECT_EQ(y.k.carmichael, verdict::no);
    EXPECT_EQ(y.k.carmichael_why, "7 - 1 does not divide N - 1");
}

// Shares of phi(N) where the counts pass a double (above 2^1024 they used
// to come out as NaN, and null in JSON), against PARI/GP: the counts by
// the formulas above and 100 liars / phi(N) to four digits. The Chernick
// numbers of 1024 and 2048 bits (bench/numbers) through the command, line
// and JSON: their Fermat liars are all of phi(N), their strong liars an
// eighth.
TEST(kind, shares_of_counts_beyond_a_double)
{
    for (int bits : {1024, 2048}) {
        std::ifstream in(std::string(BROVANTEN_BENCH_NUMBERS_DIR) + "/carmichael-" +
                         std::to_string(bits) + ".txt");
        std::string n;
        std::getline(in, n);
        cli_result line = run_factor({"--kind", n});
        EXPECT_NE(line.out.find(" (100%); strong liars "), std::string::npos) << bits << " bits";
        EXPECT_NE(line.out.find(" (12.5%); Fermat pseudoprime"), std::string::npos) << bits << " bits";
        cli_result json_line = run_factor({"--json", "--kind", n});
        nlohmann::json k = nlohmann::json::parse(json_line.out)["kind"];
        EXPECT_EQ(k["fermat_share"], 1.0) << bits << " bits";
        EXPECT_EQ(k["strong_share"], 0.125) << bits << " bits";
    }
}

// Numbers of 16384 bits from their known factorisations, the base tests
// left out (a bound of 2), against PARI/GP. The square of the Chernick
// number of 8192 bits (bench/numbers): its Fermat liars are phi of the
// Chernick number, 8190 bits, and its strong liars an eighth of them,
// shares of phi(N) around 10^-2465. And 3^10337, whose two liars of each
// kind are a share of 3^-10336. Both shares are far below the least double
// (the double is 0); the line gives them as gp does.
TEST(kind, shares_at_16384_bits)
{
    std::ifstream in(std::string(BROVANTEN_BENCH_NUMBERS_DIR) + "/carmichael-8192.txt");
    std::string chernick;
    std::getline(in, chernick);
    std::vector<std::string> primes;
    for (std::string p; in >> p;)
        primes.push_back(p);
    ASSERT_EQ(primes.size(), 3u);

    kind_scratch ks;
    kind_scratch_init(ks);
    big scratch;
    {
        big c(chernick), n, phi_c(1);
        mpz_mul(n, c, c);
        ASSERT_EQ(mpz_sizeinbase(n, 2), 16384u);
        std::vector<factor_part> parts;
        for (const auto &text : primes) {
            big p(text);
            parts_add(parts, p, 2, part_state::prime, scratch);
            mpz_sub_ui(p, p, 1);
            mpz_mul(phi_c, phi_c, p);
        }
        number_kind k;
        classify(k, n, parts, true, 2, ks);
        EXPECT_EQ(k.fermat_liars, big_text(phi_c));
        EXPECT_EQ(k.fermat_share_text, "9.709e-2465%");
        EXPECT_EQ(k.strong_share_text, "1.214e-2465%");
        EXPECT_EQ(k.fermat_share, 0.0);
        parts_clear(parts);
    }
    {
        big n, three(3);
        mpz_ui_pow_ui(n, 3, 10337);
        ASSERT_EQ(mpz_sizeinbase(n, 2), 16384u);
        std::vector<factor_part> parts;
        parts_add(parts, three, 10337, part_state::prime, scratch);
        number_kind k;
        classify(k, n, parts, true, 2, ks);
        EXPECT_EQ(k.fermat_liars, "2");
        EXPECT_EQ(k.strong_liars, "2");
        EXPECT_EQ(k.fermat_share_text, "2.983e-4930%");
        EXPECT_EQ(k.strong_share_text, "2.983e-4930%");
        EXPECT_EQ(k.fermat_share, 0.0);
        parts_clear(parts);
    }
    kind_scratch_clear(ks);
}

// The whole line, for one number, as the command prints it.
TEST(kind, line_of_561)
{
    cli_result r = run_factor({"--kind", "561", "1"});
    EXPECT_EQ(r.out,
              "561: 3 11 17\n"
              "kind of 561: composite; squarefree; Carmichael; not Lucas-Carmichael (3 + 1 does "
              "not divide N + 1); Fermat liars 320 of phi(N) = 320 (100%); strong liars 10 "
              "(3.125%); Fermat pseudoprime to bases 2 (2 5 7 13 19 23 29 31 37 41 43 47 53 59 61 "
              "67 71 73 79 83 89 97 of the prime bases below 100); strong pseudoprime to bases "
              "none (none of the prime bases below 100); fails the screening (divisible by 3)\n"
              "1:\n"
              "kind of 1: one, neither prime nor composite\n");
    r = run_factor({"--bases=12", "341"});
    EXPECT_NE(r.out.find("Fermat pseudoprime to bases 2 (2 of the prime bases below 12)"),
              std::string::npos)
        << r.out;
    r = run_factor({"--bases=2", "341"});
    EXPECT_EQ(r.status, 2);
}

} // namespace
