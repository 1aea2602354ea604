// SPDX-License-Identifier: BSD-2-Clause
// brovanten-factor on the published examples and on the Chernick numbers
// of the benchmark, whose prime factors are known: exact lines, status 0,
// for several seeds.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/factorize.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

namespace {

struct factored {
    std::string name, n;
    std::vector<std::string> primes;
};

std::vector<factored> published()
{
    std::vector<factored> rows;
    for (const auto &p : published_numbers())
        rows.push_back({"published " + p.bits + "-bit " + p.kind, p.n, p.factors});
    return rows;
}

std::vector<factored> chernick()
{
    std::vector<factored> rows;
    for (int bits : {256, 512, 1024, 2048, 4096, 8192}) {
        std::ifstream in(std::string(BROVANTEN_BENCH_NUMBERS_DIR) + "/carmichael-" +
                         std::to_string(bits) + ".txt");
        factored row;
        row.name = "Chernick " + std::to_string(bits) + " bits";
        std::getline(in, row.n);
        for (std::string p; in >> p;)
            row.primes.push_back(p);
        rows.push_back(row);
    }
    return rows;
}

TEST(factor_known, published_and_chernick_numbers)
{
    std::vector<factored> rows = published();
    ASSERT_EQ(rows.size(), 6u);
    for (const auto &row : chernick())
        rows.push_back(row);
    unsigned long base = test_seed(1);
    SCOPED_TRACE(seed_note(base));
    for (const auto &row : rows) {
        ASSERT_FALSE(row.primes.empty()) << row.name;
        for (unsigned long seed = base; seed < base + 3; ++seed) {
            cli_result r = run_factor({"--seed", std::to_string(seed), row.n});
            EXPECT_EQ(r.out, factor_line(row.n, row.primes)) << row.name << ", seed " << seed;
            EXPECT_EQ(r.status, 0) << row.name << ", seed " << seed;
        }
    }
}

// Pseudoprimes that are no Carmichael numbers, with 2 to 10 primes above
// 99991, and Lucas-Carmichael numbers (p + 1 | N + 1). Built with PARI/GP:
// products of primes q whose order of b divides 110880, taken from the
// factors of the cyclotomic numbers Phi_d(b), until b^(N-1) = 1 (mod N) and
// Korselt's criterion fails; and (6k-1)(12k-1)(18k-1) with all three prime
// (primes of 61 to 63 bits, beyond rho). PARI/GP's factor gave the primes.
// Random bases find nothing in the first; the strong tests with base b, and
// the matrix tests with N + 1 in the second, split them: up to 6 primes
// without the general methods (--effort=0). With 8 and 10 primes, some
// share the step at which every fixed base reaches 1, and the curves finish
// them. The sieve is kept out of those: it would take one of them, a part of
// 76 digits, for a minute.
TEST(factor_known, pseudoprimes_of_other_kinds)
{
    const factored rows[] = {
        {"base-2 Fermat pseudoprime of 2 primes",
         "19518618381505781521",
         {"4278255361", "4562284561"}},
        {"base-2 Fermat pseudoprime of 3 primes",
         "1229697956534172278405256821917",
         {"153649", "33057806959", "242099935645987"}},
        {"base-2 Fermat pseudoprime of 4 primes",
         "6585471913731023480279829241555604847747805975194385818170503009",
         {"153649", "35532364099", "242099935645987", "4982397651178256151338302204762057"}},
        {"base-2 Fermat pseudoprime of 6 primes",
         "1994375452620540525856097404669433206201",
         {"106681", "153649", "201961", "1564921", "4327489", "88959882481"}},
        {"base-2 Fermat pseudoprime of 8 primes",
         "7808898898136097420053554483293918627396244919293740088268931626176062"
         "2093100982957528206549135845407791836381028961",
         {"106681", "122921", "414721", "54410972897", "44479210368001", "581283643249112959", "2048568835297380486760231", "4982397651178256151338302204762057"}},
        {"base-2 Fermat pseudoprime of 10 primes",
         "1293999858866315776028123109076778439094758227486736943746506666055242"
         "115030405502738277727544247333558327521",
         {"106681", "312709", "414721", "649657", "7416361", "47392381", "4278255361", "33057806959", "581283643249112959", "4982397651178256151338302204762057"}},
        {"base-3 Fermat pseudoprime of 2 primes",
         "127886237560241537016275939521",
         {"282429005041", "452808441334403281"}},
        {"base-3 Fermat pseudoprime of 3 primes",
         "59215104017450993050277519522246145345601",
         {"47763361", "24127552321", "51383579021948491809121"}},
        {"base-3 Fermat pseudoprime of 4 primes",
         "220540796225645300447150250891841",
         {"430697", "647753", "2108826721", "374857981681"}},
        {"base-3 Fermat pseudoprime of 6 primes",
         "28874823810163761089475773581230749035700289370370602435681",
         {"298801", "530713", "1616161", "21523361", "36214795668330833", "144542918285300809"}},
        {"base-3 Fermat pseudoprime of 8 primes",
         "3386740831623369511555804047720636512474500114228120397007686541522861"
         "0346627847565297721",
         {"176419", "659671", "3186217", "3369031", "109688713", "2413941289", "24472341743191", "4183739978746243239852385111562221"}},
        {"base-3 Fermat pseudoprime of 10 primes",
         "2349046820917823792437844196928976302146606806134148020969730686438201"
         "844694170433596504163659552917145609770321",
         {"298801", "530713", "659671", "927001", "1616161", "3369031", "42521761", "144542918285300809", "12812432238302009985937", "56495392933101222275861053369"}},
        {"Lucas-Carmichael number",
         "31033034702535226754129538987147568903598998765944751319",
         {"1729382256910288619", "3458764513820577239", "5188146770730865859"}},
        {"Lucas-Carmichael number",
         "31033034702535781995260254289820754501459104780139160711",
         {"1729382256910298933", "3458764513820597867", "5188146770730896801"}},
    };
    unsigned long seed = test_seed(1);
    SCOPED_TRACE(seed_note(seed));
    factor_budget curves_only = budget_for_effort(25);
    curves_only.sieve_digits = 0;
    workspace_fixture f;
    for (const auto &row : rows) {
        if (row.primes.size() < 8) {
            cli_result r = run_factor({"--seed", std::to_string(seed), "--effort=0", row.n});
            EXPECT_EQ(r.out, factor_line(row.n, row.primes)) << row.name;
            EXPECT_EQ(r.status, 0) << row.name;
            continue;
        }
        big n(row.n);
        EXPECT_TRUE(factorize(f.w, n, seed, curves_only)) << row.name;
        std::vector<std::string> got;
        for (const auto &p : f.w.parts)
            for (unsigned long k = 0; k < p.power; ++k)
                got.push_back(big_text(p.value));
        EXPECT_EQ(factor_line(row.n, got), factor_line(row.n, row.primes)) << row.name;
    }
}

// Composites for each general method, with PARI/GP's factorisations: a
// word-size semiprime (word_factor), a 35-bit prime beside a 105-bit prime
// (rho), two 20-digit primes (the sieve), a 20-digit prime beside a
// 100-digit prime (the curves), and r^3 s^2 for primes of 61 and 56 bits
// (the curves, then the powers). `-v` shows which method splits each. Each
// is as small as its method allows, so that the test stays quick on a
// loaded machine; the larger sieve and curve levels are in
// effort_and_replays.
TEST(factor_known, composites_for_each_general_method)
{
    const factored rows[] = {
        {"word-size semiprime",
         "9223372116311670949",
         {"2147483659", "4294967311"}},
        {"35-bit factor of 140 bits",
         "348449394924683927812433798615821594972849",
         {"17179881569", "20282409603651670423947251287121"}},
        {"two 20-digit primes",
         "300000000210000000500000000287000000123",
         {"10000000007000000003", "30000000000000000041"}},
        {"20-digit factor of 120 digits",
         "1000000000000000014700000000000000000000000000000000000000000000000000"
         "0000000000000000000000000002890000000000000042483",
         {"10000000000000000147", "1000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000289"}},
        {"prime powers",
         "1989292945639323027295813979521860264914691225604444391242035898440743432623316071324327",
         {"36028797018964987", "36028797018964987", "1152921504606859327", "1152921504606859327", "1152921504606859327"}},
    };
    for (const auto &row : rows) {
        cli_result r = run_factor({"--seed", "1", row.n});
        EXPECT_EQ(r.out, factor_line(row.n, row.primes)) << row.name;
        EXPECT_EQ(r.status, 0) << row.name;
    }
}

// --effort: 0 keeps the curves and the sieve out (a product of two 30-digit
// primes stays whole, which the sieve splits with --effort=15), 15 stops the curves short of a 25-digit factor (the
// part is too large for the sieve), and the default finds it. The same seed replays the same steps.
TEST(factor_known, effort_and_replays)
{
    const std::string n = "1000000000000000000000007000000000000000000000000000000000000000000000"
                          "00000000000000000000000151000000000000000000001057";
    for (const char *effort : {"--effort=0", "--effort=15"}) {
        cli_result r = run_factor({"--seed", "1", effort, n});
        EXPECT_EQ(r.out, n + ": [" + n + "]\n") << effort;
        EXPECT_EQ(r.status, 1) << effort;
    }
    const std::string sieve_only = "30000000000000000000000000096800000000000000000000000003509";
    cli_result r = run_factor({"--effort=0", sieve_only});
    EXPECT_EQ(r.out, sieve_only + ": [" + sieve_only + "]\n");
    // Curves to 15 digits cannot find a 30-digit factor: the sieve does.
    r = run_factor({"--effort=15", sieve_only});
    EXPECT_EQ(r.out, sieve_only + ": 100000000000000000000000000319 300000000000000000000000000011\n");
    cli_result first = run_factor({"-v", "--seed", "1", n});
    cli_result again = run_factor({"-v", "--seed", "1", n});
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.err, again.err);
    EXPECT_NE(first.err.find("ECM to 15 digits, up to 25 curves"), std::string::npos) << first.err;
    EXPECT_NE(first.err.find("digits found 1 divisor"), std::string::npos) << first.err;
}


// The default is the effort level 25, given or not: the same steps and the
// same line. A part above 700 bits gets the curves of 15 digits at that
// level, which find the four primes of 33 to 38 bits of a 2174-bit number
// (chosen by PARI/GP with p - 1 = 2q and p + 1 without a small largest
// prime, so that p - 1 and p + 1 miss them); at --effort=20 such a part
// gets no general method and stays whole.
TEST(factor_known, the_default_is_effort_25)
{
    const std::vector<std::string> primes = {"8589935723", "34359742667", "137438973767", "274877910107",
        "1232795946934166233090014522120283201616062266148204194340909783459650"
        "2357051044804839020313843884835696685013169058997914932082805820816457"
        "7820405526917583925746449917987808577538290978964432170089941552673597"
        "5962707222696022787329171680234469458407233491739350750161853316341077"
        "4637530749340972566196588715329869609706246345781316675782993123953314"
        "2224602974159537527692150215884050217873192819949585636584190153517602"
        "7750295928892179576936565567157654313403596161923434627945717228895458"
        "2873127488506194512398016623662966154963818740325247011248164915975778"
        "0464689000051897603296198291596024297927298015824357"};
    const std::string n = product(primes);
    cli_result by_default = run_factor({"-v", "--seed", "3", n});
    cli_result given = run_factor({"-v", "--seed", "3", "--effort=25", n});
    EXPECT_EQ(by_default.out, factor_line(n, primes));
    EXPECT_EQ(by_default.status, 0);
    EXPECT_EQ(given.out, by_default.out);
    EXPECT_EQ(given.err, by_default.err);
    EXPECT_NE(by_default.err.find("(2174 bits): ECM at 15 digits found 1 divisor"), std::string::npos)
        << by_default.err;
    cli_result lower = run_factor({"--seed", "3", "--effort=20", n});
    EXPECT_EQ(lower.out, n + ": [" + n + "]\n");
    EXPECT_EQ(lower.status, 1);
}

} // namespace

namespace {

// Each kind of test alone must finish a Carmichael number: strong tests
// with their gcd at every j, and matrix tests by Cayley-Hamilton.
TEST(factor_known, each_test_alone_splits_carmichael_numbers)
{
    const struct {
        const char *name;
        factor_budget budget;
    } budgets[] = {
        {"strong tests only", attempts_only(16, 0)},
        {"matrix tests only", attempts_only(0, 8)},
    };
    std::vector<factored> rows = chernick();
    rows.resize(4); // up to 2048 bits
    for (const auto &row : published())
        if (row.name.find("Carmichael") != std::string::npos)
            rows.push_back(row);
    workspace_fixture f;
    factor_workspace &w = f.w;
    big n;
    for (const auto &b : budgets) {
        for (const auto &row : rows) {
            mpz_set_str(n, row.n.c_str(), 10);
            EXPECT_TRUE(factorize(w, n, 7, b.budget)) << b.name << ", " << row.name;
            std::vector<std::string> got;
            for (const auto &p : w.parts)
                for (unsigned long k = 0; k < p.power; ++k)
                    got.push_back(big_text(p.value));
            EXPECT_EQ(factor_line(row.n, got), factor_line(row.n, row.primes)) << b.name;
        }
    }
}

} // namespace

namespace {

factor_observer count_tests(std::map<std::string, int> &tests)
{
    return [&tests](const factor_note &note) {
        if (note.event == factor_event::test)
            ++tests[note.method];
    };
}

// Base b splits each of these Fermat pseudoprimes to base b of 8 primes
// and leaves composite pieces, whose primes it could not tell apart: they
// go on with the random bases, never with base 2 or 3 again. Base 3 comes
// at the third strong test, after base 2 and a random base.
TEST(factor_known, pieces_skip_the_fixed_bases_their_parent_had)
{
    const struct {
        const char *n;
        const char *splitting_base;
    } rows[] = {
        {"78088988981360974200535544832939186273962449192937400882689316261760622093100982957528206549135"
         "845407791836381028961",
         "strong base 2"},
        {"33867408316233695115558040477206365124745001142281203970076865415228610346627847565297721",
         "strong base 3"},
    };
    workspace_fixture f;
    factor_workspace &w = f.w;
    const factor_budget strong_only = attempts_only(16, 0);
    for (const auto &row : rows) {
        big n{std::string(row.n)};
        for (unsigned long seed : {1ul, 2ul, 3ul}) {
            std::map<std::string, int> tests;
            factorize(w, n, seed, strong_only, count_tests(tests));
            EXPECT_EQ(tests["strong base 2"], 1) << row.splitting_base << ", seed " << seed;
            EXPECT_EQ(tests["strong base 3"], 1) << row.splitting_base << ", seed " << seed;
            EXPECT_GT(tests["strong"], 0) << row.splitting_base << ", seed " << seed;
        }
    }
}

// With no tests at all, a perfect power still comes apart into its root
// and the root's power.
TEST(factor_known, perfect_powers_without_tests)
{
    workspace_fixture f;
    factor_workspace &w = f.w;
    big n, p, q, pq;
    prime_above_power_of_two(p, 40);
    prime_above_power_of_two(q, 41);
    mpz_mul(pq, p, q);
    const factor_budget none{};

    mpz_ui_pow_ui(n, 100003, 3);
    EXPECT_TRUE(factorize(w, n, 1, none));
    ASSERT_EQ(w.parts.size(), 1u);
    EXPECT_EQ(mpz_get_ui(w.parts[0].value), 100003u);
    EXPECT_EQ(w.parts[0].power, 3u);

    mpz_mul(n, pq, pq);
    EXPECT_FALSE(factorize(w, n, 1, none));
    ASSERT_EQ(w.parts.size(), 1u);
    EXPECT_EQ(mpz_cmp(w.parts[0].value, pq), 0);
    EXPECT_EQ(w.parts[0].power, 2u);
    EXPECT_EQ(w.parts[0].state, part_state::unsplit);
}

} // namespace
