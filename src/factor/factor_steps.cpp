// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_steps.h"

#include "engine/small_primes.h"
#include "factor/ecm_method.h"
#include "factor/look_ahead.h"
#include "factor/part_seed.h"
#include "factor/pm1_method.h"
#include "factor/sieve_method.h"
#include "factor/word_factor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Attempt `slot` on part i, into w.outcome: a helper's result if one has
// it. offer: what comes next may be offered to the helpers.
void attempt(factor_run &r, std::size_t i, int slot, const scheduled_attempt &a, bool offer)
{
    factor_workspace &w = r.w;
    const mpz_ptr m = w.parts[i].value;
    const unsigned long slots =
        static_cast<unsigned long>(r.budget.strong_tests + r.budget.matrix_tests);
    note(r, factor_event::test, i, attempt_name(a), round_unit::test, a.number,
         static_cast<unsigned long>(slot) + 1, 0, 0, slots);
    if (offer)
        offer_ahead(r.pool, w.parts, i, slot, true, r.budget,
                    [&r](std::size_t k) { return next_attempt_slot(r, k); }, w.offer_order);
    if (pool_take_attempt(r.pool, m, slot, w.lane, w.outcome))
        return;
    // A matrix power stops with the run: it finds nothing then.
    power_progress progress = [&r, &a, i, slot, slots](double done) {
        note(r, factor_event::power, i, attempt_name(a), round_unit::test, a.number,
             static_cast<unsigned long>(slot) + 1, done, 0, slots);
        return !r.w.stop.load(std::memory_order_relaxed);
    };
    run_slot(w.outcome, w.lane, m, slot, r.setup, progress);
}

// --- The steps, in the order of the table at the end.

// A number below 2^64: every factor at once in machine words, each proven
// prime.
bool applies_word_number(const factor_run &r, std::size_t i, const part_progress &)
{
    return is_whole(r, i) && mpz_fits_ulong_p(r.n);
}

// How word_factor found its primes, in words: "trial division",
// "rho and strong tests".
std::string word_methods(unsigned found_by)
{
    static const struct {
        unsigned flag;
        const char *name;
    } methods[] = {{by_trial_division, "trial division"},
                   {by_square_root, "a square root"},
                   {by_rho, "rho"},
                   {by_strong_tests, "strong tests"}};
    std::vector<const char *> used;
    for (const auto &m : methods)
        if (found_by & m.flag)
            used.push_back(m.name);
    std::string text;
    for (std::size_t k = 0; k < used.size(); ++k)
        text += std::string(k == 0 ? "" : k + 1 == used.size() ? " and " : ", ") + used[k];
    return text;
}

void run_word_number(factor_run &r, std::size_t, int)
{
    factor_workspace &w = r.w;
    word_factors f;
    word_factor(f, mpz_get_ui(r.n));
    parts_clear(w.parts);
    unsigned long count = 0;
    for (int k = 0; k < f.count; ++k) {
        mpz_set_ui(w.g, f.primes[k]);
        parts_add(w.parts, w.g, f.powers[k], part_state::prime, w.scratch);
        count += f.powers[k];
    }
    if (r.observer)
        r.observer({factor_event::word_number, 0, 0, mpz_sizeinbase(r.n, 2),
                    word_methods(f.found_by).c_str(), round_unit::none, 0, count, 0, 0});
}

bool applies_whole_number(const factor_run &r, std::size_t i, const part_progress &)
{
    return is_whole(r, i);
}

// Trial division by the primes below 100000, each taken out with its power,
// until what is left has no prime factor below its square root. Returns
// whether that is so: then m is 1, or a prime that needs no test.
bool take_small_primes(factor_workspace &w, mpz_t m)
{
    std::size_t from = 0;
    while (mpz_cmp_ui(m, 1) > 0) {
        unsigned long p = next_small_prime_divisor_below_root(m, from);
        if (p == 0)
            break;
        mpz_set_ui(w.g, p);
        unsigned long power = mpz_remove(m, m, w.g);
        parts_add(w.parts, w.g, power, part_state::prime, w.scratch);
    }
    return from < small_primes().size();
}

void run_trial_division(factor_run &r, std::size_t, int)
{
    factor_workspace &w = r.w;
    mpz_set(w.rest, r.n);
    parts_clear(w.parts);
    bool rest_is_prime = take_small_primes(w, w.rest);
    if (rest_is_prime && mpz_cmp_ui(w.rest, 1) > 0 && mpz_cmp_ui(w.rest, small_prime_bound) < 0) {
        // Counted among the prime factors below the bound.
        parts_add(w.parts, w.rest, 1, part_state::prime, w.scratch);
        mpz_set_ui(w.rest, 1);
    }
    unsigned long count = 0;
    for (const auto &p : w.parts)
        count += p.power;
    note_small_primes(r, count);
    if (mpz_cmp_ui(w.rest, 1) > 0)
        parts_add(w.parts, w.rest, 1, rest_is_prime ? part_state::prime : part_state::unknown,
                  w.scratch);
}

// N itself, when trial division left it whole: its first strong tests are
// Miller-Rabin tests of N, so the primality check waits for N to pass them.
// On a pseudoprime that saves the check, a few powers of N's size; the
// second test serves the strong pseudoprimes to base 2, which pass the
// first, at the price of one power on a prime.
bool applies_whole_tests(const factor_run &r, std::size_t i, const part_progress &progress)
{
    scheduled_attempt a{};
    return is_whole(r, i) && r.w.parts[i].state == part_state::unknown &&
           progress.count < whole_tests_before_check &&
           schedule_slot(a, r.budget, progress.count + 1) && a.method == attempt_method::strong;
}

// The first attempt offers nothing ahead: it splits nearly every number
// that gets helpers, and a matrix power of N's size started beside it would
// only compete with it.
void run_whole_test(factor_run &r, std::size_t i, int round)
{
    int slot = round + 1;
    scheduled_attempt a{};
    schedule_slot(a, r.budget, slot);
    attempt(r, i, slot, a, false);
    if (r.w.outcome.passed)
        return; // a strong liar finds nothing
    // Composite; a root still needs its primality check.
    if (!take_perfect_power(r, i))
        r.w.parts[i].state = part_state::composite;
    fold_in_found(r, i, attempt_name(a), round_unit::test, slot);
}

bool applies_unchecked(const factor_run &r, std::size_t i, const part_progress &)
{
    return r.w.parts[i].state == part_state::unknown;
}

void run_primality(factor_run &r, std::size_t i, int)
{
    factor_workspace &w = r.w;
    offer_ahead(r.pool, w.parts, i, 0, false, r.budget,
                [&r](std::size_t k) { return next_attempt_slot(r, k); }, w.offer_order);
    bool prime = false;
    if (!pool_take_primality(r.pool, w.parts[i].value, w.lane, prime))
        prime = is_probable_prime(w.parts[i].value);
    if (prime) {
        w.parts[i].state = part_state::prime;
        note(r, factor_event::prime, i);
    } else {
        w.parts[i].state = part_state::composite;
    }
}

bool applies_always(const factor_run &, std::size_t, const part_progress &)
{
    return true;
}

void run_perfect_power(factor_run &r, std::size_t i, int)
{
    if (take_perfect_power(r, i))
        parts_make_coprime(r.w.parts, r.w.scratch);
}

// A composite part that fits a word goes to word_factor; its primes split
// it.
bool applies_word_part(const factor_run &r, std::size_t i, const part_progress &)
{
    return mpz_fits_ulong_p(r.w.parts[i].value);
}

void run_word_part(factor_run &r, std::size_t i, int)
{
    factor_workspace &w = r.w;
    word_factors f;
    word_factor(f, mpz_get_ui(w.parts[i].value));
    w.outcome.found_count = 0;
    for (int k = 0; k < f.count && k < max_found; ++k)
        mpz_set_ui(w.outcome.found[w.outcome.found_count++], f.primes[k]);
    fold_in_found(r, i, "word-size rho", round_unit::none, 0);
}

bool applies_attempt(const factor_run &r, std::size_t, const part_progress &progress)
{
    scheduled_attempt a{};
    return schedule_slot(a, r.budget, progress.count + 1);
}

void run_attempt(factor_run &r, std::size_t i, int round)
{
    int slot = round + 1;
    scheduled_attempt a{};
    schedule_slot(a, r.budget, slot);
    attempt(r, i, slot, a, true);
    fold_in_found(r, i, attempt_name(a), round_unit::test, a.number);
}

bool applies_rho(const factor_run &r, std::size_t, const part_progress &)
{
    return r.budget.rho_steps > 0;
}

void run_rho(factor_run &r, std::size_t i, int)
{
    factor_workspace &w = r.w;
    note(r, factor_event::method, i, "Pollard-Brent rho");
    std::size_t bits = mpz_sizeinbase(w.parts[i].value, 2);
    unsigned long steps = bits <= rho_full_bits ? r.budget.rho_steps
                                                : r.budget.rho_steps / bits * rho_full_bits;
    // With the sieve ahead, rho only takes out small factors: the sieve
    // finds the others sooner than the rest of rho's steps would.
    if (sieve_applies(r, i))
        steps = std::min(steps, rho_steps_before_sieve);
    found(r, rho_find_divisor(w.g, w.parts[i].value, steps, w.rho));
    fold_in_found(r, i, "rho", round_unit::none, 0);
}

// p - 1 and p + 1 go where the curves go, ahead of them, each once.
bool smooth_order_applies(const factor_run &r, std::size_t i, double b1)
{
    return b1 > 0 && curve_levels(r, i, sieve_applies(r, i)) > 0;
}

void run_smooth_order(factor_run &r, std::size_t i, const char *title, const char *name,
                      bool (*find)(mpz_t, const mpz_t, double, std::uint64_t), double b1,
                      int seed_index)
{
    const mpz_ptr m = r.w.parts[i].value;
    note(r, factor_event::method, i, title);
    found(r, find(r.w.g, m, b1, part_seed(r.setup.run_seed, m, seed_index)));
    fold_in_found(r, i, name, round_unit::none, 0);
}

bool applies_pm1(const factor_run &r, std::size_t i, const part_progress &)
{
    return smooth_order_applies(r, i, r.budget.pm1_b1);
}

void run_pm1(factor_run &r, std::size_t i, int)
{
    run_smooth_order(r, i, "Pollard p-1", "p-1", pm1_find_divisor, r.budget.pm1_b1,
                     pm1_seed_index);
}

bool applies_pp1(const factor_run &r, std::size_t i, const part_progress &)
{
    return smooth_order_applies(r, i, r.budget.pp1_b1);
}

void run_pp1(factor_run &r, std::size_t i, int)
{
    run_smooth_order(r, i, "Williams p+1", "p+1", pp1_find_divisor, r.budget.pp1_b1,
                     pp1_seed_index);
}

void run_curve_level(factor_run &r, std::size_t i, int level)
{
    const ecm_level &l = ecm_levels[level];
    const mpz_ptr m = r.w.parts[i].value;
    note(r, factor_event::ecm, i, "ECM", round_unit::digits, l.digits,
         static_cast<unsigned long>(l.curves));
    curve_seed seed = [&r, m, level](int curve) {
        return part_seed(r.setup.run_seed, m, curve_seed_index(level, curve));
    };
    // The curves stop with the run, between two curves.
    curve_watch watch = [&r, i](const ecm_level &at, int curve) {
        note(r, factor_event::curve, i, "ECM", round_unit::digits, at.digits,
             static_cast<unsigned long>(curve), static_cast<double>(curve) / at.curves, 0,
             static_cast<unsigned long>(at.curves));
        return !r.w.stop.load(std::memory_order_relaxed);
    };
    found(r, ecm_run_level(r.w.g, m, l, seed, watch));
    fold_in_found(r, i, "ECM", round_unit::digits, l.digits);
}

bool applies_curves(const factor_run &r, std::size_t i, const part_progress &progress)
{
    return progress.count < curve_levels(r, i, sieve_applies(r, i));
}

void run_curves(factor_run &r, std::size_t i, int round)
{
    run_curve_level(r, i, round);
}

bool applies_sieve(const factor_run &r, std::size_t i, const part_progress &)
{
    return sieve_applies(r, i);
}

void run_sieve(factor_run &r, std::size_t i, int)
{
    factor_workspace &w = r.w;
    const mpz_ptr m = w.parts[i].value;
    note(r, factor_event::method, i, "quadratic sieve");
    method_call call{w.threads, w.cores, part_seed(r.setup.run_seed, m, sieve_seed_index), {},
                     &w.stop};
    if (r.observer)
        call.progress = [&r, i](unsigned long done, double share) {
            // The relations needed, from the share the sieve gives.
            unsigned long needed =
                share > 0 ? static_cast<unsigned long>(std::llround(done / share)) : 0;
            note(r, factor_event::method_progress, i, "sieve", round_unit::none, 0, done, share,
                 0, needed);
        };
    siqs_figures figures{};
    bool split = sieve_find_divisor(w.g, m, call, figures);
    if (r.observer && figures.polynomials > 0) {
        // What the sieve did, the same for any number of threads.
        char summary[200];
        std::snprintf(summary, sizeof summary,
                      "sieve: %lu primes (multiplier %lu), %lu polynomials, %lu full and %lu "
                      "partial relations, %lu cycles, matrix %lu x %lu",
                      figures.base_size, figures.multiplier, figures.polynomials, figures.fulls,
                      figures.partials, figures.cycles, figures.rows, figures.columns);
        note(r, factor_event::method_summary, i, summary);
    }
    found(r, split);
    fold_in_found(r, i, "sieve", round_unit::none, 0);
}

// When the sieve left the part whole, the curve levels past those it had
// before.
bool applies_more_curves(const factor_run &r, std::size_t i, const part_progress &progress)
{
    return curve_levels(r, i, sieve_applies(r, i)) + progress.count < curve_levels(r, i, false);
}

void run_more_curves(factor_run &r, std::size_t i, int round)
{
    run_curve_level(r, i, curve_levels(r, i, sieve_applies(r, i)) + round);
}

void run_give_up(factor_run &r, std::size_t i, int)
{
    r.w.parts[i].state = part_state::unsplit;
    note(r, factor_event::unsplit, i);
}

void advance(part_progress &p)
{
    ++p.stage; // past the last step only once the part is given up
    if (p.stage < factor_step_count && factor_steps[p.stage].rounds == step_rounds::counted_afresh)
        p.count = 0;
}

} // namespace

const factor_step factor_steps[] = {
    {"word-size number", step_rounds::once, applies_word_number, run_word_number},
    {"trial division", step_rounds::once, applies_whole_number, run_trial_division},
    {"strong tests of N", step_rounds::counted, applies_whole_tests, run_whole_test},
    {"primality", step_rounds::once, applies_unchecked, run_primality},
    {"perfect power", step_rounds::once, applies_always, run_perfect_power},
    {"word-size part", step_rounds::once, applies_word_part, run_word_part},
    {"splitting attempts", step_rounds::counted, applies_attempt, run_attempt},
    {"rho", step_rounds::once, applies_rho, run_rho},
    {"p-1", step_rounds::once, applies_pm1, run_pm1},
    {"p+1", step_rounds::once, applies_pp1, run_pp1},
    {"ECM", step_rounds::counted_afresh, applies_curves, run_curves},
    {"sieve", step_rounds::once, applies_sieve, run_sieve},
    {"ECM past the sieve", step_rounds::counted_afresh, applies_more_curves, run_more_curves},
    {"give up", step_rounds::once, applies_always, run_give_up},
};
const int factor_step_count = sizeof factor_steps / sizeof factor_steps[0];

void run_next_step(factor_run &r, std::size_t i)
{
    part_progress &p = progress_of(r.w, r.w.parts[i].value);
    while (!factor_steps[p.stage].applies(r, i, p))
        advance(p); // the last step always applies
    const factor_step &step = factor_steps[p.stage];
    // Counted before the step runs: a step that changes the part ends its
    // progress.
    int round = p.count;
    if (step.rounds == step_rounds::once)
        advance(p);
    else
        ++p.count;
    note(r, factor_event::step, i, step.name);
    step.run(r, i, round);
}

int next_attempt_slot(const factor_run &r, std::size_t i)
{
    const factor_part &part = r.w.parts[i];
    if (part.state == part_state::prime || part.state == part_state::unsplit ||
        mpz_fits_ulong_p(part.value))
        return 0;
    const part_progress *p = progress_find(r.w, part.value);
    int stage = p == nullptr ? 0 : p->stage, count = p == nullptr ? 0 : p->count;
    scheduled_attempt a{};
    if (stage > r.attempts_stage || !schedule_slot(a, r.budget, count + 1))
        return 0;
    return count + 1;
}

int attempts_stage()
{
    static const int stage = [] {
        int k = 0;
        while (factor_steps[k].run != run_attempt)
            ++k;
        return k;
    }();
    return stage;
}
