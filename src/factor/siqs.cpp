// SPDX-License-Identifier: BSD-2-Clause
#include "factor/siqs.h"

#include "factor/siqs_combine.h"
#include "factor/siqs_params.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using u32 = std::uint32_t;

namespace {

// Columns beyond the base's primes before the linear algebra is tried:
// block Lanczos wants 64 and a few, Gaussian elimination on a small base
// fewer (each extra column gives a dependency, and each of those a factor
// with probability about 1/2).
unsigned long extra_relations(std::size_t base_size)
{
    return std::min<unsigned long>(96, 16 + base_size / 8);
}
// When no dependency gives a factor, this share more relations, at most
// this many times.
constexpr double more_relations = 0.05;
constexpr int max_retries = 3;
// The sieve gives up after this many polynomials per relation needed: more
// than ten times what any size needs.
constexpr unsigned long polynomials_per_relation = 100;

// Everything the sieving threads share.
struct run_state {
    const std::atomic<bool> *caller_stop;
    const siqs_factor_base &fb;
    const siqs_sieve_setup &setup;
    siqs_a_chooser &chooser;
    std::mutex lock;
    std::condition_variable batch_done;
    std::vector<std::vector<u32>> a_values; // in the order given out
    bool no_more_a = false;
    std::map<std::size_t, std::unique_ptr<siqs_relation_batch>> finished;
    std::atomic<bool> stop{false};
};

// The A of index i, chosen in order. Under the lock.
bool a_value(run_state &run, std::size_t i, std::vector<u32> &factors)
{
    while (run.a_values.size() <= i && !run.no_more_a) {
        std::vector<u32> next;
        if (siqs_choose_a(next, run.chooser, run.fb))
            run.a_values.push_back(std::move(next));
        else
            run.no_more_a = true;
    }
    if (i >= run.a_values.size())
        return false;
    factors = run.a_values[i];
    return true;
}

void sieve_thread(run_state &run, std::size_t &next_index)
{
    siqs_sieve_space space;
    siqs_sieve_space_init(space, run.setup);
    std::vector<u32> factors;
    for (;;) {
        std::size_t index;
        {
            std::lock_guard<std::mutex> hold(run.lock);
            if (run.stop)
                break;
            index = next_index++;
            if (!a_value(run, index, factors)) {
                run.batch_done.notify_all();
                break;
            }
        }
        auto batch = std::make_unique<siqs_relation_batch>();
        siqs_sieve_a(*batch, space, run.setup, factors, &run.stop, run.caller_stop);
        {
            std::lock_guard<std::mutex> hold(run.lock);
            run.finished.emplace(index, std::move(batch));
        }
        run.batch_done.notify_all();
    }
    siqs_sieve_space_clear(space);
}

} // namespace

siqs_verdict siqs_find_divisor(mpz_t divisor, const mpz_t n, unsigned threads, std::uint64_t seed,
                               const siqs_watch &watch, siqs_figures *figures,
                               const siqs_params *given, const std::atomic<bool> *stop)
{
    siqs_figures own{};
    siqs_figures &fig = figures != nullptr ? *figures : own;
    fig = {};
    if (mpz_even_p(n)) {
        mpz_set_ui(divisor, 2);
        return mpz_cmp_ui(n, 2) > 0 ? siqs_verdict::found : siqs_verdict::failed;
    }
    if (mpz_perfect_square_p(n)) {
        mpz_sqrt(divisor, n);
        return mpz_cmp_ui(divisor, 1) > 0 ? siqs_verdict::found : siqs_verdict::failed;
    }
    siqs_params params = given != nullptr ? *given : siqs_params_for(mpz_sizeinbase(n, 2));
    siqs_factor_base fb;
    siqs_factor_base_init(fb);
    struct base_guard {
        siqs_factor_base &fb;
        ~base_guard() { siqs_factor_base_clear(fb); }
    } guard{fb};
    if (!siqs_factor_base_build(fb, divisor, n, params.fb_size))
        return siqs_verdict::found;
    fig.multiplier = fb.multiplier;
    fig.base_size = fb.prime.size();
    siqs_sieve_setup setup;
    siqs_sieve_setup_make(setup, fb, n, params.half_interval, params.large_mult, params.double_large,
                          params.threshold_bits);
    siqs_a_chooser chooser;
    if (!siqs_a_chooser_init(chooser, fb, setup.half_interval, seed))
        return siqs_verdict::failed;

    siqs_relations relations;
    siqs_relations_reset(relations);
    unsigned long needed = fb.prime.size() + extra_relations(fb.prime.size());
    const unsigned long max_polynomials = polynomials_per_relation * needed;
    run_state run{stop, fb, setup, chooser, {}, {}, {}, false, {}, {}};
    std::size_t next_index = 0, merged = 0;
    std::vector<std::thread> helpers;
    siqs_sieve_space own_space;
    if (threads <= 1)
        siqs_sieve_space_init(own_space, setup);
    else
        for (unsigned t = 0; t < threads; ++t)
            helpers.emplace_back(sieve_thread, std::ref(run), std::ref(next_index));

    siqs_verdict verdict = siqs_verdict::failed;
    int retries = 0;
    std::vector<u32> factors;
    for (;;) {
        std::unique_ptr<siqs_relation_batch> batch;
        if (threads <= 1) {
            if (!a_value(run, merged, factors))
                break;
            batch = std::make_unique<siqs_relation_batch>();
            siqs_sieve_a(*batch, own_space, setup, factors, nullptr, stop);
        } else {
            std::unique_lock<std::mutex> hold(run.lock);
            // The caller's stop is looked at every few milliseconds.
            while (!run.batch_done.wait_for(hold, std::chrono::milliseconds(20), [&] {
                return run.finished.count(merged) != 0 ||
                       (run.no_more_a && merged >= run.a_values.size()) ||
                       (stop != nullptr && stop->load());
            })) {
            }
            if (stop != nullptr && stop->load()) {
                verdict = siqs_verdict::stopped;
                break;
            }
            auto it = run.finished.find(merged);
            if (it == run.finished.end())
                break;
            batch = std::move(it->second);
            run.finished.erase(it);
        }
        // A batch cut short by the caller's stop is not kept.
        if (stop != nullptr && stop->load()) {
            verdict = siqs_verdict::stopped;
            break;
        }
        ++merged;
        siqs_relations_add(relations, *batch);
        fig.polynomials += batch->polynomials;
        fig.candidates += batch->candidates;
        if (watch && !watch(siqs_relations_usable(relations), needed)) {
            verdict = siqs_verdict::stopped;
            break;
        }
        if (siqs_relations_usable(relations) >= needed) {
            std::size_t rows = 0, columns = 0;
            bool found = siqs_combine(divisor, relations, fb, n, seed, rows, columns);
            fig.rows = rows;
            fig.columns = columns;
            if (found) {
                verdict = siqs_verdict::found;
                break;
            }
            if (++retries > max_retries)
                break;
            needed += static_cast<unsigned long>(more_relations * needed) + 1;
        }
        if (fig.polynomials > max_polynomials)
            break;
    }
    {
        std::lock_guard<std::mutex> hold(run.lock);
        run.stop = true;
    }
    run.batch_done.notify_all();
    for (auto &t : helpers)
        t.join();
    if (threads <= 1)
        siqs_sieve_space_clear(own_space);
    fig.fulls = relations.fulls;
    fig.cycles = relations.cycles;
    fig.partials = relations.entries.size() - relations.fulls;
    return verdict;
}
