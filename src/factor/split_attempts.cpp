// SPDX-License-Identifier: BSD-2-Clause
#include "factor/split_attempts.h"

#include "engine/rng.h"
#include "engine/select_matrix.h"
#include "factor/part_seed.h"

bool schedule_slot(scheduled_attempt &a, const factor_budget &budget, int slot)
{
    int strong = 0, matrix = 0;
    for (int k = 1; k <= slot; ++k) {
        bool matrix_turn = k % matrix_test_period == 0 || strong >= budget.strong_tests;
        if (matrix_turn && matrix < budget.matrix_tests) {
            ++matrix;
            a = {attempt_method::matrix, matrix, 0, matrix % 2 == 0};
        } else if (strong < budget.strong_tests) {
            ++strong;
            int fixed = (strong - 1) / 2; // odd-numbered tests take fixed_bases[fixed]
            bool fixed_turn = strong % 2 == 1 && fixed < fixed_base_count;
            a = {attempt_method::strong, strong, fixed_turn ? fixed_bases[fixed] : 0, false};
        } else {
            return false;
        }
    }
    return slot >= 1;
}

const char *attempt_name(const scheduled_attempt &a)
{
    static const char *const fixed[fixed_base_count] = {"strong base 2", "strong base 3",
                                                        "strong base 5", "strong base 7"};
    if (a.method == attempt_method::matrix)
        return a.plus_one ? "matrix N+1" : "matrix";
    for (int k = 0; k < fixed_base_count; ++k)
        if (a.base == fixed_bases[k])
            return fixed[k];
    return "strong";
}

void attempt_exponent_init(attempt_exponent &e)
{
    mpz_inits(e.n_minus_1, e.odd_part, e.n_plus_1, nullptr);
    e.s = 0;
}

void attempt_exponent_clear(attempt_exponent &e)
{
    mpz_clears(e.n_minus_1, e.odd_part, e.n_plus_1, nullptr);
}

void attempt_exponent_set(attempt_exponent &e, const mpz_t n)
{
    mpz_sub_ui(e.n_minus_1, n, 1);
    e.s = mpz_sgn(e.n_minus_1) == 0 ? 0 : mpz_scan1(e.n_minus_1, 0);
    mpz_tdiv_q_2exp(e.odd_part, e.n_minus_1, e.s);
    mpz_add_ui(e.n_plus_1, n, 1);
}

void attempt_outcome_init(attempt_outcome &o)
{
    for (auto &f : o.found)
        mpz_init(f);
    o.found_count = 0;
    o.passed = false;
}

void attempt_outcome_clear(attempt_outcome &o)
{
    for (auto &f : o.found)
        mpz_clear(f);
}

void attempt_outcome_copy(attempt_outcome &to, const attempt_outcome &from)
{
    for (int k = 0; k < from.found_count; ++k)
        mpz_set(to.found[k], from.found[k]);
    to.found_count = from.found_count;
    to.passed = from.passed;
}

void attempt_lane_init(attempt_lane &l)
{
    mpz_inits(l.base, l.x, l.g, l.scratch, nullptr);
    test_scratch_init(l.matrix);
    for (auto &d : l.divisors)
        mpz_init(d);
    fast_power_scratch_init(l.power);
}

void attempt_lane_clear(attempt_lane &l)
{
    mpz_clears(l.base, l.x, l.g, l.scratch, nullptr);
    test_scratch_clear(l.matrix);
    for (auto &d : l.divisors)
        mpz_clear(d);
    fast_power_scratch_clear(l.power);
}

namespace {

// Keeps d if it is a proper divisor of m.
void keep_if_proper(attempt_outcome &o, const mpz_t d, const mpz_t m)
{
    if (mpz_cmp_ui(d, 1) > 0 && mpz_cmp(d, m) < 0 && o.found_count < max_found)
        mpz_set(o.found[o.found_count++], d);
}

void strong_test(attempt_outcome &o, attempt_lane &l, const mpz_t m, const attempt_exponent &e,
                 unsigned long base, std::uint64_t seed)
{
    o.found_count = 0;
    if (base != 0) {
        mpz_set_ui(l.base, base);
    } else {
        // a in [2, m - 2], from limbs one word longer than m so that the
        // bias of the reduction is below 2^-64.
        std::size_t limbs = mpz_size(m) + 1;
        mp_limb_t *words = mpz_limbs_write(l.base, static_cast<mp_size_t>(limbs));
        for (std::size_t k = 0; k < limbs; ++k)
            words[k] = static_cast<mp_limb_t>(splitmix_next(seed));
        mpz_limbs_finish(l.base, static_cast<mp_size_t>(limbs));
        mpz_sub_ui(l.scratch, m, 3);
        mpz_mod(l.base, l.base, l.scratch);
        mpz_add_ui(l.base, l.base, 2);
    }

    mpz_gcd(l.g, l.base, m);
    keep_if_proper(o, l.g, m);
    mpz_powm(l.x, l.base, e.odd_part, m);
    bool passed = mpz_cmp_ui(l.x, 1) == 0;
    for (unsigned long j = 0; j <= e.s && mpz_cmp_ui(l.x, 1) != 0; ++j) {
        mpz_sub_ui(l.scratch, l.x, 1);
        mpz_gcd(l.g, l.scratch, m);
        keep_if_proper(o, l.g, m);
        mpz_add_ui(l.scratch, l.x, 1);
        passed = passed || (j < e.s && mpz_cmp(l.scratch, m) == 0);
        if (j < e.s) {
            mpz_mul(l.x, l.x, l.x);
            mpz_mod(l.x, l.x, m);
        }
    }
    o.passed = passed;
}

bool matrix_test(attempt_outcome &o, attempt_lane &l, const mpz_t m, const attempt_exponent &e,
                 bool plus_one, std::uint64_t seed, const power_progress &progress)
{
    o.found_count = 0;
    o.passed = false;
    rng_state draws;
    rng_seed(draws, static_cast<std::uint32_t>(seed ^ seed >> 32));
    // Jacobi -1: at least one prime of m sees a non-square discriminant, so a
    // part with two primes always splits (see select_matrix.h).
    select_matrix(l.matrix.drawn, draws, m, l.matrix.select, -1);
    if (!fast_matrix_pow_mod(l.matrix.result, l.matrix.drawn, plus_one ? e.n_plus_1 : e.n_minus_1,
                             m, l.power, progress))
        return false;
    int count = extract_divisors(l.divisors, l.matrix.result, m);
    for (int k = 0; k < count; ++k)
        keep_if_proper(o, l.divisors[k], m);
    return true;
}

} // namespace

bool run_slot(attempt_outcome &o, attempt_lane &l, const mpz_t m, int slot,
              const attempt_setup &setup, const power_progress &progress)
{
    scheduled_attempt a{};
    schedule_slot(a, setup.budget, slot);
    std::uint64_t seed = part_seed(setup.run_seed, m, slot);
    if (a.method == attempt_method::strong) {
        strong_test(o, l, m, *setup.exponent, a.base, seed);
        return true;
    }
    return matrix_test(o, l, m, *setup.exponent, a.plus_one, seed, progress);
}

bool is_probable_prime(const mpz_t m)
{
    return mpz_probab_prime_p(m, 25) > 0;
}
