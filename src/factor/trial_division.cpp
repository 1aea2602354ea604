// SPDX-License-Identifier: BSD-2-Clause
#include "factor/trial_division.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using u64 = std::uint64_t;

// Odd numbers per segment of the sieve: 32 KiB of flags.
constexpr u64 segment_odds = 1u << 15;
// Words of primes between two looks at the stop flag and two progress
// notes.
constexpr unsigned words_between_looks = 1024;

// The odd primes below limit (limit <= 2^16 + 1), by a plain sieve.
std::vector<u64> odd_primes_below(u64 limit)
{
    std::vector<bool> composite(limit, false);
    std::vector<u64> primes;
    for (u64 p = 3; p < limit; p += 2) {
        if (composite[p])
            continue;
        primes.push_back(p);
        for (u64 q = p * p; q < limit; q += 2 * p)
            composite[q] = true;
    }
    return primes;
}

struct trial_run {
    factor_workspace &w;
    mpz_ptr rest;
    unsigned long bound;
    const factor_observer &observer;
    std::size_t bits; // of n, for the notes
    u64 product;      // of the primes waiting in word[]
    u64 word[16];
    int count;
    unsigned words;
    bool finished; // rest is 1 or a prime: nothing more to do
    bool stopped;  // w.stop ended the run before the bound
};

// Divides rest by the primes waiting, each taken out with its power.
void take_word(trial_run &t)
{
    if (t.count == 0)
        return;
    u64 remainder = mpz_fdiv_ui(t.rest, t.product);
    for (int k = 0; k < t.count; ++k) {
        if (remainder % t.word[k] != 0)
            continue;
        mpz_set_ui(t.w.g, t.word[k]);
        unsigned long power = mpz_remove(t.rest, t.rest, t.w.g);
        parts_add(t.w.parts, t.w.g, power, part_state::prime, t.w.scratch);
    }
    // Every prime up to the last one is out: a rest below its square has
    // no room for two prime factors.
    u64 last = t.word[t.count - 1];
    t.finished = mpz_cmp_ui(t.rest, 1) == 0 ||
                 (mpz_sizeinbase(t.rest, 2) <= 64 && mpz_cmp_ui(t.rest, last * last) < 0);
    t.product = 1;
    t.count = 0;
    if (++t.words % words_between_looks == 0 && t.observer)
        t.observer({factor_event::method_progress, 1, 1, t.bits, "trial division",
                    round_unit::none, 0, last, static_cast<double>(last) / t.bound, t.bound});
}

// Adds the odd prime p to the word; false once the run is over.
bool try_prime(trial_run &t, u64 p)
{
    if (t.product > ~u64{0} / p)
        take_word(t);
    if (t.finished)
        return false;
    if (t.words % words_between_looks == 0 && t.count == 0 &&
        t.w.stop.load(std::memory_order_relaxed)) {
        t.stopped = true;
        return false;
    }
    t.product *= p;
    t.word[t.count++] = p;
    return true;
}

// Every odd prime below t.bound, segment by segment, until the run ends.
void try_odd_primes(trial_run &t)
{
    u64 bound = t.bound;
    u64 root = 2;
    while (root * root < bound)
        ++root;
    const std::vector<u64> sieving = odd_primes_below(root + 1);
    std::vector<char> composite(segment_odds);
    // Segment [low, low + 2 * segment_odds) holds the odd numbers low + 2i.
    for (u64 low = 3; low < bound; low += 2 * segment_odds) {
        std::fill(composite.begin(), composite.end(), 0);
        u64 high = std::min<u64>(bound, low + 2 * segment_odds);
        for (u64 p : sieving) {
            if (p * p >= high)
                break;
            // The first odd multiple of p in the segment, from p^2 on.
            u64 first = std::max(p * p, (low + p - 1) / p * p);
            if (first % 2 == 0)
                first += p;
            for (u64 q = first; q < high; q += 2 * p)
                composite[(q - low) / 2] = 1;
        }
        for (u64 q = low; q < high; q += 2)
            if (!composite[(q - low) / 2] && !try_prime(t, q))
                return;
    }
    take_word(t);
}

} // namespace

bool trial_divide(factor_workspace &w, const mpz_t n, unsigned long bound,
                  const factor_observer &observer)
{
    parts_clear(w.parts);
    progress_forget_all(w);
    if (mpz_cmp_ui(n, 1) <= 0)
        return true;
    mpz_set(w.rest, n);
    if (observer)
        observer({factor_event::step, 1, 1, mpz_sizeinbase(n, 2), "trial division",
                  round_unit::none, 0, 0, 0, 0});
    trial_run t{w, w.rest, bound, observer, mpz_sizeinbase(n, 2), 1, {}, 0, 0, false, false};
    if (bound > 2) {
        if (mp_bitcnt_t twos = mpz_scan1(w.rest, 0)) {
            mpz_tdiv_q_2exp(w.rest, w.rest, twos);
            mpz_set_ui(w.g, 2);
            parts_add(w.parts, w.g, twos, part_state::prime, w.scratch);
        }
        t.finished = mpz_cmp_ui(w.rest, 4) < 0;
        if (!t.finished)
            try_odd_primes(t);
    }
    if (mpz_cmp_ui(w.rest, 1) > 0) {
        // No prime below the bound divides the rest: below bound^2 it is prime.
        mpz_set_ui(w.g, bound);
        mpz_mul(w.g, w.g, w.g);
        bool prime = t.finished || (!t.stopped && mpz_cmp(w.rest, w.g) < 0);
        parts_add(w.parts, w.rest, 1, prime ? part_state::prime : part_state::unknown,
                  w.scratch);
    }
    parts_sort(w.parts);
    return std::all_of(w.parts.begin(), w.parts.end(),
                       [](const factor_part &p) { return p.state == part_state::prime; });
}
