// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_run.h"

#include "factor/ecm_method.h"

#include <algorithm>

void note(const factor_run &r, factor_event event, std::size_t i, const char *method,
          round_unit unit, int round, unsigned long count, double done, std::size_t bits,
          unsigned long of)
{
    if (!r.observer)
        return;
    const auto &parts = r.w.parts;
    r.observer({event, static_cast<int>(i) + 1, static_cast<int>(parts.size()),
                bits != 0 ? bits : mpz_sizeinbase(parts[i].value, 2), method, unit, round, count,
                done, of});
}

void note_small_primes(const factor_run &r, unsigned long count)
{
    if (r.observer)
        r.observer({factor_event::small_primes, 0, 0, mpz_sizeinbase(r.n, 2), "",
                    round_unit::none, 0, count, 0, 0});
}

bool is_whole(const factor_run &r, std::size_t i)
{
    return mpz_cmp(r.w.parts[i].value, r.n) == 0;
}

void found(const factor_run &r, bool split)
{
    r.w.outcome.found_count = 0;
    if (split)
        mpz_set(r.w.outcome.found[r.w.outcome.found_count++], r.w.g);
}

bool large_part(const factor_run &r, std::size_t i)
{
    return r.budget.large_part_bits != 0 &&
           mpz_sizeinbase(r.w.parts[i].value, 2) > r.budget.large_part_bits;
}

bool sieve_applies(const factor_run &r, std::size_t i)
{
    return static_cast<int>(mpz_sizeinbase(r.w.parts[i].value, 10)) <= r.budget.sieve_digits;
}

int curve_levels(const factor_run &r, std::size_t i, bool sieve_ahead)
{
    int top = r.budget.ecm_digits;
    if (large_part(r, i))
        top -= r.budget.large_part_fewer_digits;
    if (sieve_ahead)
        top = std::min(top, static_cast<int>(mpz_sizeinbase(r.w.parts[i].value, 10)) *
                                curve_percent_before_sieve / 100);
    int levels = 0;
    while (levels < ecm_level_count && ecm_levels[levels].digits <= top)
        ++levels;
    return levels;
}

// Splits part i by every divisor found on it. The fixed bases that part i
// has had cannot split its pieces either: each piece lies in one class of
// primes that those bases told apart, or failed to. So the pieces, and
// what is left of part i, start past its first strong tests, bases 2 and 3
// and the random ones between them.
void fold_in_found(const factor_run &r, std::size_t i, const char *method, round_unit unit,
                   int round)
{
    factor_workspace &w = r.w;
    if (w.outcome.found_count == 0)
        return;
    note(r, factor_event::split, i, method, unit, round,
         static_cast<unsigned long>(w.outcome.found_count));
    pool_drop(r.pool, w.parts[i].value);
    const part_progress *had = progress_find(w, w.parts[i].value);
    int strong_had = had == nullptr                 ? 0
                     : had->stage > r.attempts_stage ? r.budget.strong_tests
                                                     : had->count;
    int fixed_done = std::min({strong_had, strong_tests_first, r.budget.strong_tests});
    mpz_set(w.rest, w.parts[i].value);
    std::size_t old_size = w.parts.size();
    if (!parts_split_one(w.parts, i, w.outcome.found, w.outcome.found_count, w.scratch))
        return;
    progress_forget(w, w.rest);
    progress_restart(w, w.parts[i].value, fixed_done);
    for (std::size_t k = old_size; k < w.parts.size(); ++k)
        progress_restart(w, w.parts[k].value, fixed_done);
}

// A part r^k with k as large as it goes becomes r with k times the power,
// to be checked afresh; the root keeps the attempts the power had, since
// its primes are the same. Returns k, or 0 if the part is no perfect power.
unsigned long take_perfect_power(const factor_run &r, std::size_t i)
{
    factor_workspace &w = r.w;
    factor_part &p = w.parts[i];
    if (!mpz_perfect_power_p(p.value))
        return 0;
    std::size_t bits = mpz_sizeinbase(p.value, 2);
    // Every prime factor is above 2^16, so k is at most bits / 16.
    for (unsigned long k = bits / 16 + 1; k >= 2; --k) {
        if (!mpz_root(w.g, p.value, k))
            continue;
        pool_drop(r.pool, p.value);
        const part_progress *had = progress_find(w, p.value);
        int count = had == nullptr ? 0 : had->count;
        progress_forget(w, p.value);
        mpz_set(p.value, w.g);
        p.power *= k;
        p.state = part_state::unknown;
        progress_restart(w, p.value, count);
        note(r, factor_event::perfect_power, i, "", round_unit::none, 0, k, 0, bits);
        return k;
    }
    return 0;
}
