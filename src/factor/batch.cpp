// SPDX-License-Identifier: BSD-2-Clause
#include "factor/batch.h"

#include "factor/stop_signals.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// How long the printer waits for the next job before it flushes the lines
// it has printed.
constexpr std::chrono::milliseconds flush_after{20};

struct slot {
    std::unique_ptr<number_job> job;
    bool claimed;
    bool done;
};

struct queue {
    std::mutex lock;
    std::condition_variable work_ready; // a slot to claim, or the end
    std::condition_variable job_done;
    std::deque<slot> slots; // in input order
    bool closed = false;    // no more slots will come
};

// The job's verbose steps go to a stream in memory, then before its
// messages.
void run_keeping_steps(number_job &job, factor_worker &w, const job_settings &settings,
                       bool verbose)
{
    progress_view view;
    if (!verbose) {
        progress_start(view, nullptr, false, false);
        run_number_job(job, w, settings, view);
        progress_finish(view);
        return;
    }
    char *steps = nullptr;
    std::size_t size = 0;
    std::FILE *stream = open_memstream(&steps, &size);
    progress_start(view, stream, verbose, false);
    run_number_job(job, w, settings, view);
    progress_finish(view);
    std::fclose(stream);
    job.err.insert(0, steps, size);
    std::free(steps);
}

// After a stop request no worker claims a job: the jobs at work end as far
// as they got, and the ones never started are never printed.
void work(queue &q, const job_settings &settings, bool verbose)
{
    factor_worker w;
    factor_worker_init(w);
    stop_register(&w.work.stop);
    for (;;) {
        number_job *job = nullptr;
        {
            std::unique_lock<std::mutex> hold(q.lock);
            auto ready = [&] {
                if (q.closed || stop_requested())
                    return true;
                for (const auto &s : q.slots)
                    if (!s.claimed)
                        return true;
                return false;
            };
            while (!ready())
                q.work_ready.wait_for(hold, flush_after);
            for (auto &s : q.slots) {
                if (!s.claimed && !stop_requested()) {
                    s.claimed = true;
                    job = s.job.get();
                    break;
                }
            }
            if (job == nullptr)
                break; // closed or stopped, and nothing left to claim
        }
        // A busy worker holds one core; the rest are spare for helpers.
        cores_hold(settings.cores);
        run_keeping_steps(*job, w, settings, verbose);
        cores_release(settings.cores, 1);
        {
            std::lock_guard<std::mutex> hold(q.lock);
            for (auto &s : q.slots)
                if (s.job.get() == job)
                    s.done = true;
        }
        q.job_done.notify_all();
    }
    stop_unregister(&w.work.stop);
    factor_worker_clear(w);
}

} // namespace

void run_batch(unsigned threads, const job_settings &settings, bool verbose,
               const token_source &next, const job_sink &print, const output_flush &flush)
{
    queue q;
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads; ++i)
        workers.emplace_back(work, std::ref(q), std::cref(settings), verbose);

    const std::size_t in_flight = 4 * static_cast<std::size_t>(threads);
    bool printing = true;
    // Prints the finished jobs at the front; while the queue is longer than
    // keep, first waits for its front to finish. After a stop request a
    // front that no worker took will never finish: from there on nothing
    // is printed, so the output stays the in-order prefix.
    auto drain = [&](std::size_t keep) {
        for (;;) {
            std::unique_ptr<number_job> front;
            bool abandoned = false;
            {
                std::unique_lock<std::mutex> hold(q.lock);
                if (q.slots.empty())
                    return;
                auto front_over = [&] {
                    const slot &f = q.slots.front();
                    return f.done || (!f.claimed && stop_requested());
                };
                if (q.slots.size() > keep) {
                    if (!q.job_done.wait_for(hold, flush_after, front_over)) {
                        hold.unlock();
                        if (printing && !flush())
                            printing = false;
                        hold.lock();
                        while (!front_over())
                            q.job_done.wait_for(hold, flush_after);
                    }
                } else if (!front_over()) {
                    return;
                }
                abandoned = !q.slots.front().done;
                front = std::move(q.slots.front().job);
                q.slots.pop_front();
            }
            if (abandoned)
                printing = false;
            if (printing && !print(*front))
                printing = false;
        }
    };

    wait_hook finish_all = [&] {
        drain(0);
        if (printing && !flush())
            printing = false;
    };
    // The reader does quick numbers itself: handing one over would cost
    // more than factoring it. Their slots join the queue done.
    factor_worker own;
    factor_worker_init(own);
    for (;;) {
        auto job = std::make_unique<number_job>();
        if (!printing || !next(job->token, finish_all))
            break;
        bool quick = token_is_quick(job->token);
        if (quick)
            run_keeping_steps(*job, own, settings, verbose);
        {
            std::lock_guard<std::mutex> hold(q.lock);
            q.slots.push_back({std::move(job), quick, quick});
        }
        if (!quick)
            q.work_ready.notify_one();
        drain(in_flight);
    }
    factor_worker_clear(own);
    {
        std::lock_guard<std::mutex> hold(q.lock);
        q.closed = true;
    }
    q.work_ready.notify_all();
    drain(0);
    for (auto &t : workers)
        t.join();
}
