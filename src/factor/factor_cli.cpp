// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_cli.h"

#include "factor/batch.h"
#include "factor/factor_budget.h"
#include "factor/factorize.h"
#include "factor/kind.h"
#include "factor/factor_options.h"
#include "factor/number_job.h"
#include "factor/prime_proof.h"
#include "factor/stop_signals.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

namespace {

// The help; its defaults come from where they are set. Descriptions start
// in column 21.
std::string usage_text()
{
    const std::string effort = std::to_string(default_effort);
    const std::string sieve_digits = std::to_string(default_sieve_digits);
    return "Usage: brovanten-factor [OPTION]... [N]...\n"
           "Print the prime factors of each N as \"N: p1 p2 ...\", ascending and\n"
           "repeated for powers. Made for pseudoprimes (Carmichael numbers, Fermat and\n"
           "strong pseudoprimes) whose prime factors are all large; other numbers\n"
           "get general methods. With no N, read the numbers from standard input,\n"
           "separated by blanks or line ends. N may be an expression of integers with\n"
           "+ - * / ^, n! (factorial), n# (primorial) and parentheses, as 2^128+1.\n"
           "\n"
           "  -s, --seed=S       seed the random splitting tests with S\n"
           "  -v, --verbose      report the seed and each step on standard error\n"
           "      --kind         after each line, say what kind of number N is: prime\n"
           "                     or composite, Carmichael, Lucas-Carmichael, its Fermat\n"
           "                     and strong liars, the prime bases to which it is a\n"
           "                     Fermat and a strong pseudoprime, and whether it passes\n"
           "                     brovanten's screening\n"
           "      --bases=B      with --kind, the prime bases below B (default " +
           std::to_string(default_kind_base_bound) +
           ")\n"
           "      --json         one JSON object per number instead of its line\n"
           "                     (JSON Lines)\n"
           "      --effort=D     after the pseudoprime tests and rho: p-1, p+1 and\n"
           "                     elliptic curves up to factors of D digits (0 to " +
           std::to_string(max_effort) +
           "),\n"
           "                     and the quadratic sieve on parts of up to " +
           sieve_digits +
           " digits;\n"
           "                     0 for none of them; default " +
           effort +
           ". Parts above " + std::to_string(default_large_part_bits) +
           " bits get\n"
           "                     the curves of " +
           std::to_string(default_large_part_fewer_digits) + " digits fewer\n"
           "      --trial=B      trial division by the primes below B and nothing\n"
           "                     else (" +
           std::to_string(min_trial_bound) + " to " + std::to_string(max_trial_bound) +
           "), as PARI/GP's factor(N, B)\n"
           "      --prove        prove every printed prime (below 2^64 the strong tests\n"
           "                     are a proof; above, Pocklington's test or APR-CL,\n"
           "                     seconds at 1000 bits, over a minute at 3000); one that\n"
           "                     fails is shown in brackets\n"
           "  -j, --threads=N    factor N numbers at a time (default 1; 0: every core);\n"
           "                     the output stays in input order; spare threads help\n"
           "                     with numbers of " +
           std::to_string(parallel_min_bits) +
           " bits and more\n"
           "  -h, --help         show this help and exit\n"
           "      --version      show the version and exit\n"
           "\n"
           "A composite part that could not be split is printed in brackets, a part\n"
           "not known to be prime or composite (after --trial, or cut short) in\n"
           "parentheses. Ctrl-C or SIGTERM prints the number at work as far as it\n"
           "got and ends the command; a second one ends it at once. On a terminal, a\n"
           "number that takes more than a second shows its progress on standard error.\n"
           "Exit status: 0 if every number was factored completely, 1 if a part\n"
           "stayed composite or untested, 2 if an input was not a non-negative\n"
           "integer or expression of at most " +
           std::to_string(max_input_digits) +
           " digits, an option was wrong or the\n"
           "output could not be written; when several apply, the highest.\n";
}

// What the run has printed and seen so far.
struct command {
    const factor_io &io;
    bool verbose;
    int status;
    bool write_failed;
};

// A write error is said once, as coreutils says it, and stops the run.
bool check_output(command &c, bool flush)
{
    if (c.write_failed)
        return false;
    if ((!flush || std::fflush(c.io.out) == 0) && !std::ferror(c.io.out))
        return true;
    int error = errno;
    std::fprintf(c.io.err, "brovanten-factor: write error: %s\n", std::strerror(error));
    c.write_failed = true;
    c.status = status_trouble;
    return false;
}

// Prints a job's messages and lines. Standard output is flushed before any
// message, so that the two streams keep their order, and after every line
// of a verbose run, whose steps go out as they happen; otherwise lines wait
// in the buffer until the input would wait or a large number comes.
bool print_job(command &c, const number_job &job)
{
    if (!job.err.empty()) {
        if (!check_output(c, true))
            return false;
        std::fputs(job.err.c_str(), c.io.err);
    }
    std::fwrite(job.out.data(), 1, job.out.size(), c.io.out);
    if (!check_output(c, c.verbose))
        return false;
    c.status = std::max(c.status, job.status);
    return true;
}

int usage_error(const factor_io &io, const std::string &message)
{
    std::fprintf(io.err, "brovanten-factor: %s\nTry 'brovanten-factor --help' for more information.\n",
                 message.c_str());
    return status_trouble;
}

int print_text(const factor_io &io, const char *text)
{
    std::fputs(text, io.out);
    if (std::fflush(io.out) == 0 && !std::ferror(io.out))
        return status_complete;
    std::fprintf(io.err, "brovanten-factor: write error: %s\n", std::strerror(errno));
    return status_trouble;
}

// One worker: its steps and the progress line go out as they happen.
void run_one_at_a_time(command &c, const job_settings &settings, const token_source &next,
                       double progress_after)
{
    factor_worker w;
    factor_worker_init(w);
    stop_register(&w.work.stop);
    progress_view view;
    progress_start(view, c.io.err, c.verbose, c.io.err_is_terminal, progress_after);
    number_job job;
    wait_hook flush = [&] { check_output(c, true); };
    while (!c.write_failed && next(job.token, flush)) {
        // A large number may take long: the lines before it go out first.
        if (!token_is_quick(job.token) && !check_output(c, true))
            break;
        run_number_job(job, w, settings, view);
        print_job(c, job);
        if (job.interrupted)
            break;
    }
    progress_finish(view);
    stop_unregister(&w.work.stop);
    factor_worker_clear(w);
}

} // namespace

int factor_main(int argc, char **argv, const factor_io &io, unsigned long default_seed)
{
    factor_options options{};
    options.seed = default_seed;
    std::string message;
    switch (parse_factor_options(options, argc, argv, message)) {
    case options_verdict::help:
        return print_text(io, usage_text().c_str());
    case options_verdict::version:
        return print_text(io, "brovanten-factor " BROVANTEN_VERSION "\n");
    case options_verdict::error:
        return usage_error(io, message);
    case options_verdict::run:
        break;
    }

    command c{io, options.verbose, status_complete, false};
    unsigned threads = options.threads;
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    spare_cores cores;
    spare_cores_set(cores, static_cast<int>(threads));
    job_settings settings{options.seed,  options.json, options.kind, options.kind_bases,
                          threads,       &cores,       budget_for_effort(options.effort),
                          options.prove ? prove_prime : nullptr, options.trial};
    if (options.verbose)
        std::fprintf(io.err, "brovanten-factor: seed %lu\n", options.seed);
    int next_argument = options.first_number;
    // No token is taken once a signal asked to stop: one cut short by it is
    // dropped too.
    token_source next = [&](input_token &t, const wait_hook &before_wait) {
        bool got = false;
        if (options.first_number == argc) {
            got = next_token(t, io.in, before_wait);
        } else if (next_argument < argc) {
            token_from_argument(t, argv[next_argument++]);
            got = true;
        }
        return got && !stop_requested();
    };

    stop_signals_install();
    if (threads > 1) {
        run_batch(threads, settings, options.verbose, next,
                  [&](const number_job &job) { return print_job(c, job); },
                  [&] { return check_output(c, true); });
    } else {
        run_one_at_a_time(c, settings, next, io.progress_after);
    }
    check_output(c, true);
    stop_signals_remove();
    return c.status;
}
