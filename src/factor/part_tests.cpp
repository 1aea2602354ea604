// SPDX-License-Identifier: BSD-2-Clause
#include "factor/part_tests.h"

#include "engine/rng.h"
#include "engine/select_matrix.h"

bool schedule_slot(scheduled_test &t, const factor_budget &budget, int slot)
{
    int strong = 0, matrix = 0;
    for (int k = 1; k <= slot; ++k) {
        bool matrix_turn = k % matrix_test_period == 0 || strong >= budget.strong_tests;
        if (matrix_turn && matrix < budget.matrix_tests) {
            ++matrix;
            t = {test_method::matrix, matrix, 0, matrix % 2 == 0};
        } else if (strong < budget.strong_tests) {
            ++strong;
            int fixed = (strong - 1) / 2; // odd-numbered tests take fixed_bases[fixed]
            bool fixed_turn = strong % 2 == 1 && fixed < fixed_base_count;
            t = {test_method::strong, strong, fixed_turn ? fixed_bases[fixed] : 0, false};
        } else {
            return false;
        }
    }
    return slot >= 1;
}

const char *test_name(const scheduled_test &t)
{
    static const char *const fixed[fixed_base_count] = {"strong base 2", "strong base 3",
                                                        "strong base 5", "strong base 7"};
    if (t.method == test_method::matrix)
        return t.plus_one ? "matrix N+1" : "matrix";
    for (int k = 0; k < fixed_base_count; ++k)
        if (t.base == fixed_bases[k])
            return fixed[k];
    return "strong";
}

void test_exponent_init(test_exponent &e)
{
    mpz_inits(e.n_minus_1, e.odd_part, e.n_plus_1, nullptr);
    e.s = 0;
}

void test_exponent_clear(test_exponent &e)
{
    mpz_clears(e.n_minus_1, e.odd_part, e.n_plus_1, nullptr);
}

void test_exponent_set(test_exponent &e, const mpz_t n)
{
    mpz_sub_ui(e.n_minus_1, n, 1);
    e.s = mpz_sgn(e.n_minus_1) == 0 ? 0 : mpz_scan1(e.n_minus_1, 0);
    mpz_tdiv_q_2exp(e.odd_part, e.n_minus_1, e.s);
    mpz_add_ui(e.n_plus_1, n, 1);
}

void test_outcome_init(test_outcome &o)
{
    for (auto &f : o.found)
        mpz_init(f);
    o.found_count = 0;
    o.passed = false;
}

void test_outcome_clear(test_outcome &o)
{
    for (auto &f : o.found)
        mpz_clear(f);
}

void test_outcome_copy(test_outcome &to, const test_outcome &from)
{
    for (int k = 0; k < from.found_count; ++k)
        mpz_set(to.found[k], from.found[k]);
    to.found_count = from.found_count;
    to.passed = from.passed;
}

void test_lane_init(test_lane &l)
{
    mpz_inits(l.base, l.x, l.g, l.scratch, nullptr);
    test_scratch_init(l.matrix);
    for (auto &d : l.divisors)
        mpz_init(d);
    fast_power_scratch_init(l.power);
}

void test_lane_clear(test_lane &l)
{
    mpz_clears(l.base, l.x, l.g, l.scratch, nullptr);
    test_scratch_clear(l.matrix);
    for (auto &d : l.divisors)
        mpz_clear(d);
    fast_power_scratch_clear(l.power);
}

namespace {

// SplitMix64: one step of a 64-bit stream, good enough to spread seeds.
std::uint64_t mix(std::uint64_t &state)
{
    std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

// Keeps d if it is a proper divisor of m.
void keep_if_proper(test_outcome &o, const mpz_t d, const mpz_t m)
{
    if (mpz_cmp_ui(d, 1) > 0 && mpz_cmp(d, m) < 0 && o.found_count < max_found)
        mpz_set(o.found[o.found_count++], d);
}

} // namespace

std::uint64_t part_test_seed(unsigned long run_seed, const mpz_t m, int slot)
{
    std::uint64_t state = run_seed;
    std::uint64_t h = mix(state);
    state ^= static_cast<std::uint64_t>(mpz_getlimbn(m, 0)) ^ mpz_size(m) << 32;
    h ^= mix(state);
    state ^= static_cast<std::uint64_t>(mpz_getlimbn(m, 1));
    h ^= mix(state);
    state = h ^ static_cast<std::uint64_t>(slot);
    return mix(state);
}

void strong_test(test_outcome &o, test_lane &l, const mpz_t m, const test_exponent &e,
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
            words[k] = static_cast<mp_limb_t>(mix(seed));
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

bool matrix_test(test_outcome &o, test_lane &l, const mpz_t m, const test_exponent &e,
                 bool plus_one, std::uint64_t seed, const power_progress *progress)
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
