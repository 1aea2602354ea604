// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factorize.h"

#include "engine/small_primes.h"
#include "factor/ecm_method.h"
#include "factor/sieve_method.h"
#include "factor/test_pool.h"
#include "factor/word_factor.h"

#include <algorithm>
#include <cassert>

void factor_workspace_init(factor_workspace &w)
{
    mpz_inits(w.g, w.scratch, w.rest, nullptr);
    test_exponent_init(w.exponent);
    test_lane_init(w.lane);
    test_outcome_init(w.outcome);
    rho_scratch_init(w.rho);
    w.threads = 1;
    w.spare_cores = nullptr;
}

void factor_workspace_clear(factor_workspace &w)
{
    parts_clear(w.parts);
    mpz_clears(w.g, w.scratch, w.rest, nullptr);
    test_exponent_clear(w.exponent);
    test_lane_clear(w.lane);
    test_outcome_clear(w.outcome);
    rho_scratch_clear(w.rho);
}

namespace {

struct job {
    factor_workspace &w;
    const factor_budget &budget;
    const factor_observer *observer;
    unsigned long seed;
    test_pool &pool;
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

// A part r^k with k as large as it goes becomes r with k times the power.
// Returns k, or 0 if the part is no perfect power.
unsigned long take_perfect_power(const job &j, factor_part &p)
{
    if (!mpz_perfect_power_p(p.value))
        return 0;
    std::size_t bits = mpz_sizeinbase(p.value, 2);
    // Every prime factor is above 2^16, so k is at most bits / 16.
    for (unsigned long k = bits / 16 + 1; k >= 2; --k) {
        if (mpz_root(j.w.g, p.value, k)) {
            pool_drop(j.pool, p.value);
            mpz_set(p.value, j.w.g);
            p.power *= k;
            return k;
        }
    }
    return 0;
}

int next_slot(const factor_part &p)
{
    return p.strong_tests + p.matrix_tests + 1;
}

// Offers the helpers what is likely to be asked for after the step on part
// i. The steps go through the parts in order; the helpers take the largest
// of the other parts first, where the most time is won: a new part's
// primality check (after which the pool runs the first test of a composite
// one), a composite part's next test. Only when there are no other parts,
// the matrix tests after `slot` on part i itself.
void offer_ahead(const job &j, std::size_t i, int slot)
{
    if (j.pool.helpers.empty())
        return;
    const auto &parts = j.w.parts;
    auto &order = j.w.offer_order;
    order.clear();
    for (std::size_t k = 0; k < parts.size(); ++k)
        if (k != i && (parts[k].state == part_state::unknown ||
                       parts[k].state == part_state::composite))
            order.push_back(k);
    std::size_t wanted = std::min(order.size(), queue_per_helper * j.pool.helpers.size());
    auto larger = [&](std::size_t a, std::size_t b) {
        return mpz_size(parts[a].value) > mpz_size(parts[b].value);
    };
    std::partial_sort(order.begin(), order.begin() + static_cast<long>(wanted), order.end(),
                      larger);
    scheduled_test t{};
    for (std::size_t n = 0; n < wanted; ++n) {
        const factor_part &p = parts[order[n]];
        bool room = true;
        if (p.state == part_state::unknown)
            room = pool_offer(j.pool, task_kind::primality, p.value, 0);
        else if (schedule_slot(t, j.budget, next_slot(p)))
            room = pool_offer(j.pool, task_kind::test, p.value, next_slot(p));
        if (!room)
            return;
    }
    if (!order.empty())
        return;
    // Strong tests cannot be stopped half-way, matrix tests can: a helper
    // runs the matrix tests ahead, and stops when part i splits.
    int offered = 0;
    for (int ahead = slot + 1; offered < static_cast<int>(j.pool.helpers.size()) &&
                               schedule_slot(t, j.budget, ahead);
         ++ahead) {
        if (t.method != test_method::matrix)
            continue;
        if (!pool_offer(j.pool, task_kind::test, parts[i].value, ahead))
            return;
        ++offered;
    }
}

bool is_prime(const job &j, std::size_t i)
{
    const mpz_ptr m = j.w.parts[i].value;
    offer_ahead(j, i, 0);
    bool prime = false;
    if (pool_take(j.pool, task_kind::primality, m, 0, j.w.lane, prime, j.w.outcome))
        return prime;
    return mpz_probab_prime_p(m, 25) > 0;
}

struct power_note {
    const job *j;
    std::size_t part;
    int test;
    const char *name;
};

bool report_power(void *context, double done)
{
    auto *p = static_cast<power_note *>(context);
    note(*p->j, factor_event::power, p->part, p->name, p->test, 0, done);
    return true;
}

// Test `slot` on part i, into w.outcome: a helper's result if one has it.
// The first test of the whole N offers nothing ahead: it splits nearly
// every number that gets helpers, and a matrix power of N's size started
// beside it would only compete with it.
void run_test(const job &j, std::size_t i, int slot, const scheduled_test &t, bool offer = true)
{
    factor_workspace &w = j.w;
    const mpz_ptr m = w.parts[i].value;
    note(j, factor_event::test, i, test_name(t), t.number);
    if (offer)
        offer_ahead(j, i, slot);
    bool unused = false;
    if (pool_take(j.pool, task_kind::test, m, slot, w.lane, unused, w.outcome))
        return;
    std::uint64_t seed = part_test_seed(j.seed, m, slot);
    if (t.method == test_method::strong) {
        strong_test(w.outcome, w.lane, m, w.exponent, t.base, seed);
    } else {
        power_note context{&j, i, t.number, test_name(t)};
        power_progress progress{report_power, &context};
        matrix_test(w.outcome, w.lane, m, w.exponent, t.plus_one, seed,
                    j.observer != nullptr ? &progress : nullptr);
    }
}

// Splits part i by every divisor found on it. The fixed bases that part i
// has had (see part_tests.h) cannot split its pieces either: each piece
// lies in one class of primes that those bases told apart, or failed to.
// So the pieces start past its first strong tests, bases 2 and 3 and the
// random ones between them.
void fold_in_found(const job &j, std::size_t i, const char *method, int test)
{
    factor_workspace &w = j.w;
    if (w.outcome.found_count == 0)
        return;
    note(j, factor_event::split, i, method, test,
         static_cast<unsigned long>(w.outcome.found_count));
    pool_drop(j.pool, w.parts[i].value);
    int fixed_done = std::min({w.parts[i].strong_tests, strong_tests_first, j.budget.strong_tests});
    std::size_t old_size = w.parts.size();
    if (!parts_split_one(w.parts, i, w.outcome.found, w.outcome.found_count, w.scratch))
        return;
    w.parts[i].strong_tests = fixed_done;
    for (std::size_t k = old_size; k < w.parts.size(); ++k)
        w.parts[k].strong_tests = fixed_done;
}

struct curve_seed {
    unsigned long run_seed;
    const factor_part *part;
    int level;
};

std::uint64_t seed_of_curve(const void *context, int curve)
{
    const auto *c = static_cast<const curve_seed *>(context);
    return part_test_seed(c->run_seed, c->part->value, 1000000 * (c->level + 1) + curve);
}

struct curve_note {
    const job *j;
    std::size_t part;
};

bool report_curve(void *context, const ecm_level &level, int curve)
{
    auto *c = static_cast<curve_note *>(context);
    note(*c->j, factor_event::curve, c->part, "ECM", level.digits,
         static_cast<unsigned long>(curve), static_cast<double>(curve) / level.curves);
    return true;
}

// The curve levels part p gets now: up to the budget's digits, but only up
// to a quarter of its own digits while the sieve is still to come, which
// finds any factor of a part of 60 digits in about the time of the curves
// at 20 digits.
int ecm_levels_allowed(const factor_budget &budget, const factor_part &p, bool sieve_ahead)
{
    int digits = static_cast<int>(mpz_sizeinbase(p.value, 10));
    int top = budget.ecm_digits;
    if (sieve_ahead)
        top = std::min(top, digits / 4);
    int levels = 0;
    while (levels < ecm_level_count && ecm_levels[levels].digits <= top)
        ++levels;
    return levels;
}

// The next step on part i, which is composite: a test, rho, a level of
// curves, the sieve, or giving up.
void work_on(const job &j, std::size_t i)
{
    factor_workspace &w = j.w;
    factor_part &p = w.parts[i];
    scheduled_test t{};
    int slot = next_slot(p);
    std::size_t bits = mpz_sizeinbase(p.value, 2);
    bool general = j.budget.general_max_bits == 0 || bits <= j.budget.general_max_bits;
    bool sieve_ahead = general && !p.sieve_tried &&
                       static_cast<int>(mpz_sizeinbase(p.value, 10)) <= j.budget.sieve_digits;
    int levels = general ? ecm_levels_allowed(j.budget, p, sieve_ahead) : 0;
    w.outcome.found_count = 0;
    if (schedule_slot(t, j.budget, slot)) {
        (t.method == test_method::strong ? p.strong_tests : p.matrix_tests) = t.number;
        run_test(j, i, slot, t);
        fold_in_found(j, i, test_name(t), t.number);
    } else if (!p.rho_tried) {
        p.rho_tried = true;
        note(j, factor_event::rho, i, "rho");
        unsigned long steps = bits <= rho_full_bits ? j.budget.rho_steps
                                                    : j.budget.rho_steps / bits * rho_full_bits;
        // With the sieve ahead, rho only takes out small factors: the sieve
        // finds the others sooner than the rest of rho's steps would. Up to
        // 100 bits rho's steps are cheap (two machine words) and the sieve
        // costs more than its own size suggests, so rho keeps more of them.
        if (sieve_ahead)
            steps /= bits > rho_cheap_bits ? 16 : 4;
        if (rho_find_divisor(w.g, p.value, steps, w.rho))
            mpz_set(w.outcome.found[w.outcome.found_count++], w.g);
        fold_in_found(j, i, "rho", 0);
    } else if (p.ecm_levels_done < levels) {
        const ecm_level &level = ecm_levels[p.ecm_levels_done];
        curve_seed seeds{j.seed, &p, p.ecm_levels_done};
        ++p.ecm_levels_done;
        note(j, factor_event::ecm, i, "ECM", level.digits, static_cast<unsigned long>(level.curves));
        curve_note context{&j, i};
        ecm_watch watch{report_curve, &context};
        if (ecm_run_level(w.g, p.value, level, seed_of_curve, &seeds,
                          j.observer != nullptr ? &watch : nullptr))
            mpz_set(w.outcome.found[w.outcome.found_count++], w.g);
        fold_in_found(j, i, "ECM", level.digits);
    } else if (sieve_ahead) {
        p.sieve_tried = true;
        note(j, factor_event::sieve, i, "sieve");
        if (sieve_find_divisor(w.g, p.value))
            mpz_set(w.outcome.found[w.outcome.found_count++], w.g);
        fold_in_found(j, i, "sieve", 0);
    } else {
        p.state = part_state::unsplit;
        note(j, factor_event::unsplit, i);
    }
}

// A composite part that fits a word goes to word_factor; its primes split it.
bool take_word_part(const job &j, std::size_t i)
{
    factor_workspace &w = j.w;
    if (!mpz_fits_ulong_p(w.parts[i].value))
        return false;
    word_factors f;
    word_factor(f, mpz_get_ui(w.parts[i].value));
    w.outcome.found_count = 0;
    for (int k = 0; k < f.count && k < max_found; ++k)
        mpz_set_ui(w.outcome.found[w.outcome.found_count++], f.primes[k]);
    fold_in_found(j, i, "word-size rho", 0);
    return true;
}

// The first part that still needs work, or parts.size().
std::size_t next_part(const std::vector<factor_part> &parts)
{
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (parts[i].state == part_state::unknown || parts[i].state == part_state::composite)
            return i;
    return parts.size();
}

// How many helper threads n gets: none below parallel_min_bits, else up to
// threads - 1 of the spare cores.
int take_helpers(factor_workspace &w, const mpz_t n)
{
    if (w.threads <= 1 || mpz_sizeinbase(n, 2) < parallel_min_bits)
        return 0;
    int want = static_cast<int>(w.threads) - 1;
    if (w.spare_cores == nullptr)
        return want;
    int spare = w.spare_cores->load();
    while (spare > 0) {
        int got = std::min(spare, want);
        if (w.spare_cores->compare_exchange_weak(spare, spare - got))
            return got;
    }
    return 0;
}

// N itself, when trial division left it whole: its first strong tests are
// Miller-Rabin tests of N, so the primality test waits for N to pass them.
// On a pseudoprime that saves the primality test, a few powers of N's size;
// the second test serves the strong pseudoprimes to base 2, which pass the
// first, at the price of one power on a prime.
void first_tests_of_whole(const job &j, const mpz_t n)
{
    factor_workspace &w = j.w;
    if (w.parts.size() != 1 || w.parts[0].state != part_state::unknown ||
        mpz_cmp(w.parts[0].value, n) != 0)
        return;
    scheduled_test t{};
    for (int slot = 1; slot <= whole_tests_before_check; ++slot) {
        if (!schedule_slot(t, j.budget, slot) || t.method != test_method::strong)
            return;
        run_test(j, 0, slot, t, false);
        factor_part &whole = w.parts[0];
        whole.strong_tests = slot;
        if (w.outcome.passed)
            continue; // a strong liar finds nothing
        if (unsigned long k = take_perfect_power(j, whole)) {
            // Composite, but the root still needs its primality test.
            note(j, factor_event::perfect_power, 0, "", 0, k);
        } else {
            whole.state = part_state::composite;
        }
        fold_in_found(j, 0, test_name(t), slot);
        return;
    }
}

// n below 2^64: every factor at once, each proven prime.
void factor_word(factor_workspace &w, const mpz_t n, const factor_observer *observer)
{
    word_factors f;
    word_factor(f, mpz_get_ui(n));
    unsigned long small = 0;
    for (int k = 0; k < f.count; ++k) {
        mpz_set_ui(w.g, f.primes[k]);
        parts_add(w.parts, w.g, f.powers[k], part_state::prime, w.scratch);
        if (f.primes[k] < small_prime_bound)
            small += f.powers[k];
    }
    parts_sort(w.parts);
    if (observer != nullptr) {
        factor_note n0{factor_event::small_primes, 0, 0, mpz_sizeinbase(n, 2), "", 0, small, 0};
        observer->notify(observer->context, n0);
    }
}

} // namespace

bool factorize(factor_workspace &w, const mpz_t n, unsigned long seed,
               const factor_budget &budget, const factor_observer *observer)
{
    assert(mpz_sgn(n) >= 0);
    parts_clear(w.parts);
    if (mpz_cmp_ui(n, 1) <= 0)
        return true;
    if (mpz_fits_ulong_p(n)) {
        factor_word(w, n, observer);
        return true;
    }
    test_exponent_set(w.exponent, n);

    mpz_set(w.rest, n);
    bool rest_is_prime = take_small_primes(w, w.rest);
    if (rest_is_prime && mpz_cmp_ui(w.rest, 1) > 0 && mpz_cmp_ui(w.rest, small_prime_bound) < 0) {
        // Counted among the prime factors below the bound.
        parts_add(w.parts, w.rest, 1, part_state::prime, w.scratch);
        mpz_set_ui(w.rest, 1);
    }
    if (observer != nullptr) {
        unsigned long found = 0;
        for (const auto &p : w.parts)
            found += p.power;
        factor_note n0{factor_event::small_primes, 0, 0, mpz_sizeinbase(n, 2), "", 0, found, 0};
        observer->notify(observer->context, n0);
    }
    if (mpz_cmp_ui(w.rest, 1) > 0)
        parts_add(w.parts, w.rest, 1, rest_is_prime ? part_state::prime : part_state::unknown,
                  w.scratch);

    test_pool pool;
    int helpers = take_helpers(w, n);
    pool_start(pool, helpers, w.exponent, seed, budget);
    job j{w, budget, observer, seed, pool};

    first_tests_of_whole(j, n);
    for (std::size_t i; (i = next_part(w.parts)) < w.parts.size();) {
        factor_part &p = w.parts[i];
        if (p.state == part_state::unknown) {
            if (is_prime(j, i)) {
                p.state = part_state::prime;
                note(j, factor_event::prime, i);
            } else if (unsigned long k = take_perfect_power(j, p)) {
                note(j, factor_event::perfect_power, i, "", 0, k);
                parts_make_coprime(w.parts, w.scratch);
            } else {
                p.state = part_state::composite;
                take_word_part(j, i);
            }
            continue;
        }
        work_on(j, i);
    }
    pool_stop(pool);
    if (helpers > 0 && w.spare_cores != nullptr)
        *w.spare_cores += helpers;

    parts_sort(w.parts);
    bool complete = true;
    for (const auto &p : w.parts)
        complete = complete && p.state == part_state::prime;
    return complete;
}
