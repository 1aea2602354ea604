// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_cli.h"

#include "factor/batch.h"
#include "factor/factor_budget.h"
#include "factor/factorize.h"
#include "factor/kind.h"
#include "factor/factor_options.h"
#include "factor/number_job.h"
#include "factor/prime_proof.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

namespace {

// The help; its defaults come from where they are set.
std::string usage_text()
{
    const std::string ecm_digits = std::to_string(default_ecm_digits);
    const std::string general_bits = std::to_string(default_general_max_bits);
    const std::string sieve_digits = std::to_string(default_sieve_digits);
    return "Usage: brovanten-factor [OPTION]... [N]...\n"
           "Print the prime factors of each N as \"N: p1 p2 ...\", ascending and\n"
           "repeated for powers. Made for pseudoprimes (Carmichael numbers, Fermat and\n"
           "strong pseudoprimes) whose prime factors are all large. With no N, read\n"
           "the numbers from standard input, separated by blanks or line ends.\n"
           "\n"
           "  -s, --seed=S   seed the random splitting tests with S\n"
           "  -v, --verbose  report the seed and each step on standard error\n"
           "      --kind     after each line, say what kind of number N is: prime or\n"
           "                 composite, Carmichael, Lucas-Carmichael, its Fermat and\n"
           "                 strong liars, the prime bases to which it is a Fermat and\n"
           "                 a strong pseudoprime, and whether it passes brovanten's\n"
           "                 screening\n"
           "      --bases=B  with --kind, the prime bases below B (default " +
           std::to_string(default_kind_base_bound) +
           ")\n"
           "      --json     one JSON object per number instead of its line (JSON Lines)\n"
           "      --effort=D  after the pseudoprime tests and rho, p-1, p+1 and\n"
           "                 elliptic curves up to factors of D digits (0 to " +
           std::to_string(max_effort) + ";\n                 default " + ecm_digits +
           ", on parts of up to " + general_bits +
           " bits) and the quadratic\n"
           "                 sieve on parts of up to " +
           sieve_digits +
           " digits; 0 for none of them\n"
           "      --prove    prove every printed prime (below 2^64 the strong tests\n"
           "                 are a proof; above, Pocklington's test or APR-CL, seconds\n"
           "                 at 1000 bits, over a minute at 3000); one that fails is\n"
           "                 shown in brackets\n"
           "  -j, --threads=N  factor N numbers at a time (default 1; 0: every core);\n"
           "                 the output stays in input order; spare threads help\n"
           "                 with numbers of " +
           std::to_string(parallel_min_bits) +
           " bits and more\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "A composite part that could not be split is printed in brackets.\n"
           "Exit status: 0 if every number was factored completely, 1 if a part\n"
           "stayed composite, 2 if an input was not a non-negative decimal integer\n"
           "of at most " +
           std::to_string(max_input_digits) +
           " digits, an option was wrong or the output could not be\n"
           "written; when several apply, the highest.\n";
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
    std::fprintf(io.err, "brovanten-factor: %s\nTry 'brovanten-factor --help' for more.\n",
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
    job_settings settings{options.seed, options.json, options.kind, options.kind_bases,
                          threads,      &cores,       budget_for_effort(options.effort),
                          options.prove ? prove_prime : nullptr};
    if (options.verbose)
        std::fprintf(io.err, "brovanten-factor: seed %lu\n", options.seed);
    int next_argument = options.first_number;
    token_source next = [&](input_token &t, const wait_hook &before_wait) {
        if (options.first_number == argc)
            return next_token(t, io.in, before_wait);
        if (next_argument == argc)
            return false;
        token_from_argument(t, argv[next_argument++]);
        return true;
    };

    if (threads > 1) {
        run_batch(threads, settings, options.verbose, next,
                  [&](const number_job &job) { return print_job(c, job); },
                  [&] { return check_output(c, true); });
        check_output(c, true);
        return c.status;
    }
    // One worker: its steps and the progress line go out as they happen.
    factor_worker w;
    factor_worker_init(w);
    progress_view view;
    progress_start(view, io.err, options.verbose, io.err_is_terminal);
    number_job job;
    wait_hook flush = [&] { check_output(c, true); };
    while (!c.write_failed && next(job.token, flush)) {
        // A large number may take long: the lines before it go out first.
        if (!token_is_quick(job.token) && !check_output(c, true))
            break;
        run_number_job(job, w, settings, view);
        print_job(c, job);
    }
    check_output(c, true);
    factor_worker_clear(w);
    return c.status;
}
