// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factorize.h"

#include "engine/small_primes.h"

#include <cassert>

void factor_workspace_init(factor_workspace &w)
{
    mpz_inits(w.odd_part, w.base, w.x, w.g, w.scratch, nullptr);
    for (auto &f : w.found)
        mpz_init(f);
    w.found_count = 0;
    gmp_randinit_mt(w.bases);
    rng_seed(w.matrices, 0);
    test_scratch_init(w.matrix);
    for (auto &d : w.divisors)
        mpz_init(d);
    fast_power_scratch_init(w.power);
    rho_scratch_init(w.rho);
}

void factor_workspace_clear(factor_workspace &w)
{
    parts_clear(w.parts);
    mpz_clears(w.odd_part, w.base, w.x, w.g, w.scratch, nullptr);
    for (auto &f : w.found)
        mpz_clear(f);
    gmp_randclear(w.bases);
    test_scratch_clear(w.matrix);
    for (auto &d : w.divisors)
        mpz_clear(d);
    fast_power_scratch_clear(w.power);
    rho_scratch_clear(w.rho);
}

namespace {

struct job {
    factor_workspace &w;
    const factor_budget &budget;
    const factor_observer *observer;
    unsigned long s; // N - 1 = 2^s * odd_part
};

void note(const job &j, factor_event event, std::size_t i, const char *method = "",
          int test = 0, unsigned long count = 0, double done = 0)
{
    if (j.observer == nullptr)
        return;
    factor_note n{event,
                  static_cast<int>(i) + 1,
                  static_cast<int>(j.w.parts.size()),
                  mpz_sizeinbase(j.w.parts[i].value, 2),
                  method,
                  test,
                  count,
                  done};
    j.observer->notify(j.observer->context, n);
}

// Keeps d if it is a proper divisor of m.
void keep_if_proper(factor_workspace &w, const mpz_t d, const mpz_t m)
{
    if (mpz_cmp_ui(d, 1) > 0 && mpz_cmp(d, m) < 0 && w.found_count < 64)
        mpz_set(w.found[w.found_count++], d);
}

// Trial division: every prime below 100000, each taken out with its power,
// until m is 1.
void take_small_primes(factor_workspace &w, mpz_t m)
{
    std::size_t from = 0;
    while (mpz_cmp_ui(m, 1) > 0) {
        unsigned long p = next_small_prime_divisor(m, from);
        if (p == 0)
            break;
        mpz_set_ui(w.g, p);
        unsigned long power = mpz_remove(m, m, w.g);
        parts_add(w.parts, w.g, power, part_state::prime, w.scratch);
    }
}

// A part r^k with k as large as it goes becomes r with k times the power.
// Returns k, or 0 if the part is no perfect power.
unsigned long take_perfect_power(factor_workspace &w, factor_part &p)
{
    if (!mpz_perfect_power_p(p.value))
        return 0;
    std::size_t bits = mpz_sizeinbase(p.value, 2);
    // Every prime factor is above 2^16, so k is at most bits / 16.
    for (unsigned long k = bits / 16 + 1; k >= 2; --k) {
        if (mpz_root(w.g, p.value, k)) {
            mpz_set(p.value, w.g);
            p.power *= k;
            return k;
        }
    }
    return 0;
}

// One strong test on m: a random base a, and gcd(a^(t*2^j) - 1, m) for
// every j until the power reaches 1. Returns whether m passed it as a
// Miller-Rabin test, which it is when m is N itself: a^t = 1, or a^(t*2^j)
// = -1 for some j < s.
bool strong_test(factor_workspace &w, const mpz_t m, unsigned long s)
{
    mpz_sub_ui(w.scratch, m, 3);
    mpz_urandomm(w.base, w.bases, w.scratch);
    mpz_add_ui(w.base, w.base, 2);
    mpz_gcd(w.g, w.base, m);
    keep_if_proper(w, w.g, m);
    mpz_powm(w.x, w.base, w.odd_part, m);
    bool passed = mpz_cmp_ui(w.x, 1) == 0;
    for (unsigned long j = 0; j <= s && mpz_cmp_ui(w.x, 1) != 0; ++j) {
        mpz_sub_ui(w.scratch, w.x, 1);
        mpz_gcd(w.g, w.scratch, m);
        keep_if_proper(w, w.g, m);
        mpz_add_ui(w.scratch, w.x, 1);
        passed = passed || (j < s && mpz_cmp(w.scratch, m) == 0);
        if (j < s) {
            mpz_mul(w.x, w.x, w.x);
            mpz_mod(w.x, w.x, m);
        }
    }
    return passed;
}

struct power_note {
    const job *j;
    std::size_t part;
    int test;
};

void report_power(void *context, double done)
{
    auto *p = static_cast<power_note *>(context);
    note(*p->j, factor_event::power, p->part, "matrix", p->test, 0, done);
}

// One matrix test on m: the tool's test with the exponent N - 1.
void matrix_test(const job &j, std::size_t i, int test)
{
    factor_workspace &w = j.w;
    const mpz_ptr m = w.parts[i].value;
    // Jacobi -1: at least one prime of m sees a non-square discriminant, so a
    // part with two primes always splits (see select_matrix.h).
    select_matrix(w.matrix.drawn, w.matrices, m, w.matrix.select, -1);
    power_note context{&j, i, test};
    power_progress progress{report_power, &context};
    fast_matrix_pow_mod(w.matrix.result, w.matrix.drawn, w.matrix.exponent, m, w.power,
                        j.observer != nullptr ? &progress : nullptr);
    int count = extract_divisors(w.divisors, w.matrix.result, m);
    for (int k = 0; k < count; ++k)
        keep_if_proper(w, w.divisors[k], m);
}

// Splits the parts by every divisor the test on part i found.
void fold_in_found(const job &j, std::size_t i, const char *method, int test)
{
    factor_workspace &w = j.w;
    if (w.found_count == 0)
        return;
    note(j, factor_event::split, i, method, test, static_cast<unsigned long>(w.found_count));
    for (int k = 0; k < w.found_count; ++k)
        parts_split_by(w.parts, w.found[k], w.scratch);
}

// The next step on part i, which is composite: a test, rho, or giving up.
void work_on(const job &j, std::size_t i)
{
    factor_workspace &w = j.w;
    factor_part &p = w.parts[i];
    w.found_count = 0;
    const char *method = nullptr;
    int test = 0;

    int done = p.strong_tests + p.matrix_tests;
    bool matrix_turn = done % 5 == 4 || p.strong_tests >= j.budget.strong_tests;
    if (matrix_turn && p.matrix_tests < j.budget.matrix_tests) {
        test = ++p.matrix_tests;
        method = "matrix";
        note(j, factor_event::test, i, method, test);
        matrix_test(j, i, test);
    } else if (p.strong_tests < j.budget.strong_tests) {
        test = ++p.strong_tests;
        method = "strong";
        note(j, factor_event::test, i, method, test);
        strong_test(w, p.value, j.s);
    } else if (!p.rho_tried && mpz_sizeinbase(p.value, 2) <= rho_max_bits) {
        p.rho_tried = true;
        method = "rho";
        note(j, factor_event::rho, i, method);
        if (rho_find_divisor(w.g, p.value, j.budget.rho_steps, w.rho))
            keep_if_proper(w, w.g, p.value);
    } else {
        p.state = part_state::unsplit;
        note(j, factor_event::unsplit, i);
        return;
    }

    fold_in_found(j, i, method, test);
}

// The first part that still needs work, or parts.size().
std::size_t next_part(const std::vector<factor_part> &parts)
{
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (parts[i].state == part_state::unknown || parts[i].state == part_state::composite)
            return i;
    return parts.size();
}

} // namespace

bool factorize(factor_workspace &w, const mpz_t n, unsigned long seed,
               const factor_budget &budget, const factor_observer *observer)
{
    assert(mpz_sgn(n) >= 0);
    parts_clear(w.parts);
    if (mpz_cmp_ui(n, 1) <= 0)
        return true;
    gmp_randseed_ui(w.bases, seed);
    rng_seed(w.matrices, static_cast<std::uint32_t>(seed));
    mpz_sub_ui(w.matrix.exponent, n, 1);
    unsigned long s = mpz_sgn(w.matrix.exponent) == 0 ? 0 : mpz_scan1(w.matrix.exponent, 0);
    mpz_tdiv_q_2exp(w.odd_part, w.matrix.exponent, s);
    job j{w, budget, observer, s};

    mpz_set(w.x, n);
    take_small_primes(w, w.x);
    if (observer != nullptr) {
        unsigned long found = 0;
        for (const auto &p : w.parts)
            found += p.power;
        factor_note n0{factor_event::small_primes, 0, 0, mpz_sizeinbase(n, 2), "", 0, found, 0};
        observer->notify(observer->context, n0);
    }
    if (mpz_cmp_ui(w.x, 1) > 0)
        parts_add(w.parts, w.x, 1, part_state::unknown, w.scratch);

    // N itself, when trial division left it whole: its first strong test is
    // a Miller-Rabin test of N, so the primality test waits for N to pass it.
    // On a pseudoprime that saves one power of N's size.
    if (w.parts.size() == 1 && w.parts[0].state == part_state::unknown &&
        mpz_cmp(w.parts[0].value, n) == 0 && budget.strong_tests > 0) {
        note(j, factor_event::test, 0, "strong", 1);
        w.found_count = 0;
        bool passed = strong_test(w, n, s);
        factor_part &whole = w.parts[0];
        whole.strong_tests = 1;
        if (passed) {
            whole.state = part_state::unknown;
        } else if (unsigned long k = take_perfect_power(w, whole)) {
            // Composite, but the root still needs its primality test.
            whole.state = part_state::unknown;
            note(j, factor_event::perfect_power, 0, "", 0, k);
        } else {
            whole.state = part_state::composite;
        }
        fold_in_found(j, 0, "strong", 1);
    }

    for (std::size_t i; (i = next_part(w.parts)) < w.parts.size();) {
        factor_part &p = w.parts[i];
        if (p.state == part_state::unknown) {
            if (mpz_probab_prime_p(p.value, 25) > 0) {
                p.state = part_state::prime;
                note(j, factor_event::prime, i);
            } else if (unsigned long k = take_perfect_power(w, p)) {
                note(j, factor_event::perfect_power, i, "", 0, k);
                parts_make_coprime(w.parts, w.scratch);
            } else {
                p.state = part_state::composite;
            }
            continue;
        }
        work_on(j, i);
    }

    parts_sort(w.parts);
    bool complete = true;
    for (const auto &p : w.parts)
        complete = complete && p.state == part_state::prime;
    return complete;
}
