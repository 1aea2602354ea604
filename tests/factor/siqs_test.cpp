// SPDX-License-Identifier: BSD-2-Clause
// The quadratic sieve on its own: semiprimes with known factors (from
// PARI/GP), the same run on any number of threads, the polynomials' roots
// through every Gray code step, the large-prime cycles, the relation check,
// and the inputs it must handle without sieving.
#include "support/harness.h"

#include "factor/cpu_support.h"
#include "factor/siqs.h"
#include "factor/siqs_factor_base.h"
#include "factor/siqs_params.h"
#include "factor/siqs_poly.h"
#include "factor/siqs_relations.h"
#include "factor/siqs_sieve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <map>
#include <numeric>
#include <set>
#include <string>

namespace {

__extension__ typedef __int128 i128;

struct semiprime {
    const char *n, *p, *q;
};

// Balanced semiprimes from 20 to 45 digits, p < q, from PARI/GP
// (setrand(20261211); p = nextprime(random(10^(D\2)) + 10^(D\2-1)), q alike;
// siqs_known_test.cpp has those of 50 to 60 digits).
const semiprime quick[] = {
    {"31971349162527327019", "5005207157", "6387617567"},
    {"4035451977212282625082781", "1088718082931", "3706608754351"},
    {"99909019379857327371192540241", "125481792591413", "796203316166957"},
    {"21801512764294842228891567026019923", "97225750205198149", "224235994253395127"},
    {"6448177380054401534582946557553639413513", "65988042416099921783", "97717361266670333311"},
    {"316193058191147567911026840738176209550277091", "6996193705443281001323",
     "45195011959880187130217"},
};

void expect_split(const semiprime &c, unsigned threads)
{
    big n(c.n), d;
    siqs_verdict v = siqs_find_divisor(d.v, n.v, threads, 1);
    ASSERT_EQ(v, siqs_verdict::found) << c.n;
    EXPECT_TRUE(d.str() == c.p || d.str() == c.q) << c.n << " gave " << d.str();
}

class siqs_quick : public ::testing::TestWithParam<semiprime> {};
TEST_P(siqs_quick, splits_the_semiprime) { expect_split(GetParam(), 1); }
INSTANTIATE_TEST_SUITE_P(digits, siqs_quick, ::testing::ValuesIn(quick),
                         [](const auto &info) { return std::to_string(std::string(info.param.n).size()); });

TEST(siqs, same_run_on_any_number_of_threads)
{
    big n(quick[4].n);
    siqs_figures one{};
    big d1;
    ASSERT_EQ(siqs_find_divisor(d1.v, n.v, 1, 42, {}, &one), siqs_verdict::found);
    for (unsigned threads : {2u, 3u}) {
        siqs_figures f{};
        big d;
        ASSERT_EQ(siqs_find_divisor(d.v, n.v, threads, 42, {}, &f), siqs_verdict::found);
        EXPECT_EQ(d.str(), d1.str()) << threads << " threads";
        EXPECT_EQ(f.polynomials, one.polynomials) << threads << " threads";
        EXPECT_EQ(f.fulls, one.fulls);
        EXPECT_EQ(f.partials, one.partials);
        EXPECT_EQ(f.cycles, one.cycles);
        EXPECT_EQ(f.columns, one.columns);
    }
    // Another seed takes other polynomials.
    siqs_figures other{};
    big d2;
    ASSERT_EQ(siqs_find_divisor(d2.v, n.v, 1, 43, {}, &other), siqs_verdict::found);
    EXPECT_NE(other.polynomials * 1000003 + other.partials, one.polynomials * 1000003 + one.partials);
}

TEST(siqs, inputs_handled_before_any_sieving)
{
    const struct {
        const char *n, *divisor;
    } cases[] = {
        // even
        {"1000000000000000000000000000000000012398", "2"},
        // the square of a prime of 25 digits
        {"1000000000000000000001602000000000000000000641601", "1000000000000000000000801"},
        // 1009, a prime of the factor base, times a prime of 40 digits
        {"1009000000000000000000000000000000012508573", "1009"},
    };
    for (const auto &c : cases) {
        big n(c.n), d;
        EXPECT_EQ(siqs_find_divisor(d.v, n.v, 1, 1), siqs_verdict::found) << c.n;
        EXPECT_EQ(d.str(), c.divisor) << c.n;
    }
}

TEST(siqs, small_numbers_end_either_way)
{
    // Too small for a sieve of this size: found or given up, never a wrong
    // divisor, never a hang.
    for (const char *text : {"1000036000099", "999985999949", "100000980001501", "4611686014132420609"}) {
        big n(text), d;
        siqs_verdict v = siqs_find_divisor(d.v, n.v, 1, 1);
        if (v == siqs_verdict::found) {
            EXPECT_TRUE(mpz_cmp_ui(d.v, 1) > 0 && mpz_cmp(d.v, n.v) < 0 && mpz_divisible_p(n.v, d.v))
                << text;
        } else {
            EXPECT_EQ(v, siqs_verdict::failed) << text;
        }
    }
}

TEST(siqs, the_watch_stops_it)
{
    big n(quick[5].n), d;
    int calls = 0;
    siqs_watch watch = [&calls](unsigned long found, unsigned long needed) {
        EXPECT_LT(found, needed);
        return ++calls < 3;
    };
    EXPECT_EQ(siqs_find_divisor(d.v, n.v, 2, 1, watch), siqs_verdict::stopped);
    EXPECT_EQ(calls, 3);
}

TEST(siqs, a_stop_from_another_thread_ends_it_soon)
{
    // 60 digits take a second or more; the stop comes after a few
    // milliseconds, so a sieve that ignored it would end with a divisor.
    big n("155940790056930336037017790805614902874589236180317416158379"), d;
    for (unsigned threads : {1u, 2u}) {
        std::atomic<bool> stop{false};
        std::thread stopper([&stop] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            stop = true;
        });
        siqs_verdict v = siqs_find_divisor(d.v, n.v, threads, 1, {}, nullptr, nullptr, &stop);
        stopper.join();
        EXPECT_EQ(v, siqs_verdict::stopped) << threads << " threads";
    }
}

// g(x) = A x^2 + 2 B x + C vanishes modulo every base prime at both roots,
// after every change of sign, and the 2^(s-1) values of B are all different.
TEST(siqs_poly, roots_hold_through_every_gray_code_step)
{
    big n(quick[4].n), d, g, x, b2;
    siqs_factor_base fb;
    siqs_factor_base_init(fb);
    ASSERT_TRUE(siqs_factor_base_build(fb, d.v, n.v, 300));
    const std::uint32_t half = 32768;
    siqs_a_chooser chooser;
    ASSERT_TRUE(siqs_a_chooser_init(chooser, fb, half, 9));
    ASSERT_GE(chooser.s, 3u);
    std::vector<std::uint32_t> factors;
    ASSERT_TRUE(siqs_choose_a(factors, chooser, fb));
    siqs_poly poly;
    siqs_poly_init(poly);
    siqs_poly_start(poly, fb, factors, half);
    std::vector<std::string> bs;
    for (unsigned long k = 0; k < siqs_polys_per_a(poly.s); ++k) {
        if (k > 0) {
            unsigned l;
            bool up;
            siqs_poly_next(poly, fb, l, up);
            siqs_poly_move_roots(poly, fb, l, up, 2, static_cast<std::uint32_t>(fb.prime.size()));
        }
        // B^2 = kN (mod A) and C = (B^2 - kN) / A
        mpz_mul(g.v, poly.b, poly.b);
        mpz_sub(g.v, g.v, fb.kn);
        ASSERT_TRUE(mpz_divisible_p(g.v, poly.a)) << "polynomial " << k;
        mpz_mul(x.v, poly.c, poly.a);
        ASSERT_EQ(mpz_cmp(x.v, g.v), 0);
        char *s = mpz_get_str(nullptr, 10, poly.b);
        bs.push_back(s);
        free(s);
        for (std::uint32_t i = 2; i < fb.prime.size(); ++i) {
            if (std::find(factors.begin(), factors.end(), i) != factors.end())
                continue;
            for (std::uint32_t root : {poly.root1[i], poly.root2[i]}) {
                long xv = static_cast<long>(root) - half;
                mpz_mul_si(g.v, poly.a, xv);
                mpz_mul_2exp(b2.v, poly.b, 1);
                mpz_add(g.v, g.v, b2.v);
                mpz_mul_si(g.v, g.v, xv);
                mpz_add(g.v, g.v, poly.c);
                ASSERT_TRUE(mpz_divisible_ui_p(g.v, fb.prime[i]))
                    << "polynomial " << k << ", prime " << fb.prime[i];
            }
        }
    }
    std::sort(bs.begin(), bs.end());
    EXPECT_EQ(std::unique(bs.begin(), bs.end()), bs.end());
    siqs_poly_clear(poly);
    siqs_factor_base_clear(fb);
}

TEST(siqs_factor_base, square_roots_and_division_test)
{
    big n(quick[3].n), d, t;
    siqs_factor_base fb;
    siqs_factor_base_init(fb);
    ASSERT_TRUE(siqs_factor_base_build(fb, d.v, n.v, 500));
    ASSERT_EQ(fb.prime.size(), 500u);
    for (std::uint32_t i = 2; i < fb.prime.size(); ++i) {
        std::uint32_t p = fb.prime[i];
        mpz_set_ui(t.v, fb.sqrt_kn[i]);
        mpz_mul(t.v, t.v, t.v);
        mpz_sub(t.v, t.v, fb.kn);
        EXPECT_TRUE(mpz_divisible_ui_p(t.v, p)) << p;
        EXPECT_EQ(p * fb.inverse[i], 1u) << p;
        for (std::uint32_t x : {0u, p, 3 * p, p + 1, 2 * p - 1, 0xffffffffu / p * p})
            EXPECT_EQ(x * fb.inverse[i] <= fb.limit[i], x % p == 0) << x << " by " << p;
    }
    siqs_factor_base_clear(fb);
}

// Relations made by hand: the graph's cycles are counted as they come, and
// every column's large primes pair up.
TEST(siqs_relations, cycles_of_large_primes)
{
    siqs_relation_batch batch;
    std::uint64_t y = 100;
    auto add = [&](std::uint32_t l1, std::uint32_t l2) {
        siqs_relation_batch::entry e{static_cast<std::uint32_t>(batch.factors.size()), 0,
                                     static_cast<std::uint32_t>(batch.limbs.size()), 1, l1, l2};
        batch.limbs.push_back(y++);
        batch.relations.push_back(e);
    };
    add(1, 1);      // full
    add(1, 101);    // partial
    add(1, 103);    // partial
    add(101, 103);  // closes 1 - 101 - 103 - 1
    add(1, 101);    // closes 1 - 101 - 1
    add(107, 109);  // a component of its own
    add(109, 113);
    add(107, 113);  // closes 107 - 109 - 113 - 107
    add(127, 127);  // a square by itself
    siqs_relations r;
    siqs_relations_reset(r);
    siqs_relations_add(r, batch);
    EXPECT_EQ(r.fulls, 1u);
    EXPECT_EQ(r.cycles, 4u);
    // The same relations again (the same Y) are repeats.
    siqs_relations_add(r, batch);
    EXPECT_EQ(r.entries.size(), batch.relations.size());
    EXPECT_EQ(siqs_relations_usable(r), 5u);
    siqs_columns columns;
    siqs_relations_columns(columns, r);
    ASSERT_EQ(columns.count(), 5u);
    for (std::size_t c = 0; c < columns.count(); ++c) {
        std::map<std::uint32_t, int> seen;
        for (std::uint32_t k = columns.start[c]; k < columns.start[c + 1]; ++k) {
            ++seen[r.entries[columns.members[k]].large1];
            ++seen[r.entries[columns.members[k]].large2];
        }
        for (auto [prime, times] : seen) {
            if (prime != 1) {
                EXPECT_EQ(times % 2, 0) << "column " << c << ", large prime " << prime;
            }
        }
    }
}

void expect_every_smooth_value_found(unsigned base, std::uint32_t half)
{
    SCOPED_TRACE("base " + std::to_string(base) + ", M " + std::to_string(half));
    big n(quick[1].n), d, y;
    siqs_factor_base fb;
    siqs_factor_base_init(fb);
    ASSERT_TRUE(siqs_factor_base_build(fb, d.v, n.v, base));
    ASSERT_GT(fb.prime.back(), 2 * half);
    big base_product(1ul);
    for (std::size_t i = 1; i < fb.prime.size(); ++i)
        mpz_mul_ui(base_product.v, base_product.v, fb.prime[i]);
    for (bool avx2 : {true, false}) {
        cpu_avx2_allow(avx2);
        siqs_sieve_setup setup;
        siqs_sieve_setup_make(setup, fb, n.v, half, 30, false, 1.0);
        siqs_sieve_space space;
        siqs_sieve_space_init(space, setup);
        siqs_a_chooser chooser;
        ASSERT_TRUE(siqs_a_chooser_init(chooser, fb, half, 3));
        std::vector<std::uint32_t> factors;
        ASSERT_TRUE(siqs_choose_a(factors, chooser, fb));
        siqs_relation_batch batch;
        siqs_sieve_a(batch, space, setup, factors, nullptr, nullptr);
        std::set<std::string> found;
        for (const auto &e : batch.relations) {
            if (e.large2 != 1)
                continue;
            mpz_import(y.v, e.limb_count, -1, sizeof(mp_limb_t), 0, 0, &batch.limbs[e.limb_start]);
            found.insert(y.str());
        }
        siqs_poly poly;
        siqs_poly_init(poly);
        siqs_poly_start(poly, fb, factors, half);
        int smooth = 0, missing = 0;
        for (unsigned long k = 0; k < siqs_polys_per_a(poly.s); ++k) {
            if (k > 0) {
                unsigned l;
                bool up;
                siqs_poly_next(poly, fb, l, up);
            }
            long long a = mpz_get_si(poly.a), b = mpz_get_si(poly.b), c = mpz_get_si(poly.c);
            for (long long x = -static_cast<long long>(half); x < static_cast<long long>(half); ++x) {
                i128 g = (static_cast<i128>(a) * x + 2 * b) * x + c;
                if (g == 0)
                    continue;
                unsigned long long u = static_cast<unsigned long long>(g < 0 ? -g : g);
                // Smooth over the base when gcds with the base's product
                // take all of it; only those are divided out prime by prime.
                unsigned long long rest = u;
                for (unsigned long long common; rest > 1 &&
                                                (common = std::gcd(mpz_fdiv_ui(base_product.v, rest), rest)) > 1;)
                    while (rest % common == 0)
                        rest /= common;
                if (rest != 1)
                    continue;
                unsigned long long unsieved = 1;
                for (std::uint32_t i = 1; i < fb.prime.size() && u > 1; ++i) {
                    std::uint32_t p = fb.prime[i];
                    bool skipped = i < fb.first_sieved ||
                                   std::find(factors.begin(), factors.end(), i) != factors.end();
                    while (u % p == 0) {
                        u /= p;
                        if (skipped)
                            unsieved *= p;
                    }
                }
                if (u != 1 || unsieved >= 256)
                    continue;
                ++smooth;
                mpz_set_si(y.v, x);
                mpz_mul(y.v, y.v, poly.a);
                mpz_add(y.v, y.v, poly.b);
                mpz_mod(y.v, y.v, n.v);
                missing += found.count(y.str()) == 0;
            }
        }
        EXPECT_GT(smooth, 20) << (avx2 ? "AVX2" : "plain");
        EXPECT_EQ(missing, 0) << "of " << smooth << ", " << (avx2 ? "AVX2" : "plain") << ", candidates " << batch.candidates << " polys " << batch.polynomials << " relations " << batch.relations.size();
        siqs_poly_clear(poly);
        siqs_sieve_space_clear(space);
    }
    cpu_avx2_allow(true);
    siqs_factor_base_clear(fb);
}

// Every x of the interval whose g(x) is smooth over the base, worked out
// here by trial division, is among the full relations the sieve keeps:
// wrong roots, a root not moved to the next polynomial, a hit left out of
// a bucket or a threshold too high would each lose some. Only values with
// much of themselves in primes the sieve skips (those below 48 and the
// factors of A) may be missed. The base reaches past 2M, so that the
// primes through buckets, with several hits and with at most one, all
// count; both builds of the loops run.
TEST(siqs_sieve, finds_every_value_smooth_over_the_base)
{
    // One block, and two: a medium prime's root may then fall on the first
    // block's last byte and must go on into the second.
    const struct {
        unsigned base;
        std::uint32_t half;
    } rows[] = {{1200, 8192}, {3500, siqs_block_size}};
    for (const auto &row : rows)
        expect_every_smooth_value_found(row.base, row.half);
}

// Relations with one and two large primes, on a small base where there are
// many of them: each large prime is a prime above the base and below the
// bound, and Y^2 is the relation's product modulo N (worked out here).
TEST(siqs_sieve, large_primes_are_primes_above_the_base)
{
    big n(quick[3].n), d, y, product, square;
    siqs_factor_base fb;
    siqs_factor_base_init(fb);
    ASSERT_TRUE(siqs_factor_base_build(fb, d.v, n.v, 200));
    siqs_sieve_setup setup;
    siqs_sieve_setup_make(setup, fb, n.v, 32768, 50, true, 2.0);
    siqs_sieve_space space;
    siqs_sieve_space_init(space, setup);
    siqs_a_chooser chooser;
    ASSERT_TRUE(siqs_a_chooser_init(chooser, fb, setup.half_interval, 5));
    std::vector<std::uint32_t> factors;
    siqs_relation_batch batch;
    for (int k = 0; k < 4; ++k) {
        ASSERT_TRUE(siqs_choose_a(factors, chooser, fb));
        siqs_sieve_a(batch, space, setup, factors, nullptr, nullptr);
    }
    int singles = 0, doubles = 0;
    for (const auto &e : batch.relations) {
        mpz_import(y.v, e.limb_count, -1, sizeof(mp_limb_t), 0, 0, &batch.limbs[e.limb_start]);
        mpz_set_ui(product.v, 1);
        for (std::uint32_t k = 0; k < e.factor_count; ++k) {
            std::uint32_t i = batch.factors[e.factor_start + k];
            ASSERT_LT(i, fb.prime.size());
            if (i == 0)
                mpz_neg(product.v, product.v);
            else
                mpz_mul_ui(product.v, product.v, fb.prime[i]);
        }
        mpz_mul_ui(product.v, product.v, e.large1);
        mpz_mul_ui(product.v, product.v, e.large2);
        mpz_mod(product.v, product.v, n.v);
        mpz_mul(square.v, y.v, y.v);
        mpz_mod(square.v, square.v, n.v);
        EXPECT_EQ(mpz_cmp(square.v, product.v), 0);
        EXPECT_LE(e.large1, e.large2);
        for (std::uint32_t q : {e.large1, e.large2}) {
            if (q == 1)
                continue;
            big qq(q);
            EXPECT_GT(mpz_probab_prime_p(qq.v, 25), 0) << q;
            EXPECT_GT(q, fb.prime.back());
            EXPECT_LT(q, setup.large_bound);
        }
        singles += e.large1 == 1 && e.large2 != 1;
        doubles += e.large1 != 1;
    }
    EXPECT_GT(singles, 0);
    EXPECT_GT(doubles, 0);
    siqs_sieve_space_clear(space);
    siqs_factor_base_clear(fb);
}

// The whole sieve with two large primes a relation, where the table has
// them only from 85 digits.
TEST(siqs, splits_with_two_large_primes)
{
    siqs_params p = siqs_params_for(150);
    p.double_large = true;
    p.threshold_bits = 1.9;
    big n(quick[5].n), d;
    siqs_figures f{};
    ASSERT_EQ(siqs_find_divisor(d.v, n.v, 1, 1, {}, &f, &p), siqs_verdict::found);
    EXPECT_TRUE(d.str() == quick[5].p || d.str() == quick[5].q) << d.str();
    EXPECT_GT(f.cycles, 0u);
}

TEST(siqs_sieve, relation_check_refuses_a_changed_relation)
{
    // 90^2 = 8100 = 8051 + 7^2, and 8051 = 83 * 97.
    siqs_factor_base fb;
    siqs_factor_base_init(fb);
    fb.prime = {1, 2, 3, 5, 7, 11};
    big n("8051"), y("90"), s1, s2;
    const std::uint32_t sevens[] = {4, 4}, seven_eleven[] = {4, 5}, negative[] = {0, 4, 4};
    EXPECT_TRUE(siqs_relation_holds(fb, n.v, y.v, sevens, 2, 1, 1, s1.v, s2.v));
    EXPECT_FALSE(siqs_relation_holds(fb, n.v, y.v, seven_eleven, 2, 1, 1, s1.v, s2.v));
    EXPECT_FALSE(siqs_relation_holds(fb, n.v, y.v, negative, 3, 1, 1, s1.v, s2.v));
    // 7 as a large prime, twice, is the same relation.
    EXPECT_TRUE(siqs_relation_holds(fb, n.v, y.v, sevens, 0, 7, 7, s1.v, s2.v));
    EXPECT_FALSE(siqs_relation_holds(fb, n.v, y.v, sevens, 0, 7, 11, s1.v, s2.v));
    siqs_factor_base_clear(fb);
}

// The figures of a run (those -v shows) against facts of any sound run:
// each relation kept was a candidate; a cycle uses up partial relations, so
// there are never more cycles than partials; the sieve waits for more full
// relations and cycles than base primes, which the watch saw last; the
// matrix has at most a row per base prime and a column per full relation
// or cycle, and more columns than rows; and every A gives the same count
// of polynomials, at least two. With the large-prime bound at the largest
// base prime no partial relation can exist: the primes above the base are
// all above that bound.
TEST(siqs, figures_of_a_run_add_up)
{
    const semiprime &c = quick[2];
    big n(c.n), d;
    for (unsigned large_mult : {0u, 1u}) {
        siqs_params p = siqs_params_for(mpz_sizeinbase(n.v, 2));
        if (large_mult != 0)
            p.large_mult = large_mult;
        unsigned long calls = 0, last = 0;
        siqs_watch watch = [&](unsigned long found, unsigned long) {
            ++calls;
            last = found;
            return true;
        };
        siqs_figures f{};
        ASSERT_EQ(siqs_find_divisor(d.v, n.v, 1, 1, watch, &f, &p), siqs_verdict::found);
        EXPECT_TRUE(d.str() == c.p || d.str() == c.q) << d.str();
        const std::string at = "large-prime multiplier " + std::to_string(p.large_mult);
        EXPECT_GE(f.candidates, f.fulls + f.partials) << at;
        EXPECT_LE(f.cycles, f.partials) << at;
        EXPECT_EQ(f.fulls + f.cycles, last) << at;
        EXPECT_GT(f.fulls + f.cycles, f.base_size) << at;
        EXPECT_LE(f.rows, f.base_size) << at;
        EXPECT_GT(f.columns, f.rows) << at;
        EXPECT_LE(f.columns, f.fulls + f.cycles) << at;
        ASSERT_GT(calls, 0u);
        EXPECT_EQ(f.polynomials % calls, 0u) << f.polynomials << " polynomials, " << calls << " A";
        EXPECT_GE(f.polynomials / calls, 2u) << at;
        if (large_mult == 1) {
            EXPECT_EQ(f.partials, 0u);
            EXPECT_EQ(f.cycles, 0u);
        } else {
            EXPECT_GT(f.partials, 0u);
        }
    }
}

// A base of 20 primes for a 12-digit number leaves few choices of A, and
// they run out before there are relations enough: the sieve says so, on
// one thread as on several, and after the same polynomials.
TEST(siqs, ends_when_its_a_values_run_out_on_any_number_of_threads)
{
    big n("399242879549"), d; // 465917 * 856897
    siqs_params p = siqs_params_for(mpz_sizeinbase(n.v, 2));
    p.fb_size = 20;
    p.half_interval = 2048;
    siqs_figures one{};
    ASSERT_EQ(siqs_find_divisor(d.v, n.v, 1, 1, {}, &one, &p), siqs_verdict::failed);
    EXPECT_GT(one.polynomials, 0u);
    for (unsigned threads : {2u, 3u}) {
        siqs_figures f{};
        EXPECT_EQ(siqs_find_divisor(d.v, n.v, threads, 1, {}, &f, &p), siqs_verdict::failed)
            << threads << " threads";
        EXPECT_EQ(f.polynomials, one.polynomials) << threads << " threads";
    }
}

// On a base of 30 primes a 20-digit number has few smooth values, which
// polynomial after polynomial finds again: the first matrix often gives
// only trivial squares, and the relations sieved after it mend that.
TEST(siqs, a_small_base_sieves_on_when_the_first_matrix_gives_nothing)
{
    const semiprime &c = quick[0];
    big n(c.n), d;
    siqs_params p = siqs_params_for(mpz_sizeinbase(n.v, 2));
    p.fb_size = 30;
    p.half_interval = 2048;
    int found = 0;
    for (std::uint64_t seed = 1; seed <= 16; ++seed) {
        if (siqs_find_divisor(d.v, n.v, 1, seed, {}, nullptr, &p) != siqs_verdict::found)
            continue;
        EXPECT_TRUE(d.str() == c.p || d.str() == c.q) << d.str();
        ++found;
    }
    EXPECT_GE(found, 12);
}

// Numbers with no divisor strictly between 1 and themselves: the sieve
// says it found none, even for 1, 2 and a prime among those its factor
// base would hold.
TEST(siqs, inputs_without_a_proper_divisor_fail)
{
    for (const char *text : {"1", "2", "101", "1000003"}) {
        big n(text), d;
        EXPECT_EQ(siqs_find_divisor(d.v, n.v, 1, 1), siqs_verdict::failed) << text << " gave " << d.str();
    }
}

// Every A is the product of s different base primes usable as its factors,
// and no A comes twice: a prime twice in A leaves B without its root
// modulo that prime, and a repeated A repeats its relations.
TEST(siqs_poly, every_a_has_distinct_factors_and_comes_once)
{
    big n(quick[2].n), d;
    siqs_factor_base fb;
    siqs_factor_base_init(fb);
    ASSERT_TRUE(siqs_factor_base_build(fb, d.v, n.v, 150));
    siqs_a_chooser chooser;
    ASSERT_TRUE(siqs_a_chooser_init(chooser, fb, 16384, 1));
    std::set<std::vector<std::uint32_t>> seen;
    std::vector<std::uint32_t> factors;
    for (int k = 0; k < 200 && siqs_choose_a(factors, chooser, fb); ++k) {
        ASSERT_EQ(factors.size(), chooser.s);
        for (std::size_t i = 0; i < factors.size(); ++i) {
            EXPECT_GE(factors[i], chooser.first_usable);
            EXPECT_LT(factors[i], fb.prime.size());
            if (i > 0) {
                EXPECT_LT(factors[i - 1], factors[i]) << "A number " << k;
            }
        }
        EXPECT_TRUE(seen.insert(factors).second) << "A number " << k << " again";
    }
    EXPECT_GE(seen.size(), 100u);
    siqs_factor_base_clear(fb);
}

} // namespace
