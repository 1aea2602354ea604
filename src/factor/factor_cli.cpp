// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_cli.h"

#include "factor/factor_line.h"
#include "factor/factor_options.h"
#include "factor/factorize.h"
#include "factor/input_tokens.h"
#include "factor/json_output.h"
#include "factor/kind.h"
#include "factor/progress.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

const char usage_text[] =
    "Usage: brovanten-factor [OPTION]... [N]...\n"
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
    "      --bases=B  with --kind, the prime bases below B (default 100)\n"
    "      --json     one JSON object per number instead of its line (JSON Lines)\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "A composite part that could not be split is printed in brackets.\n"
    "Exit status: 0 if every number was factored completely, 1 if a part\n"
    "stayed composite, 2 if an input was not a non-negative decimal integer\n"
    "of at most 20000 digits, an option was wrong or the output could not be\n"
    "written; when several apply, the highest.\n";

// A run's settings, its scratch and what it has seen so far.
struct command {
    const factor_io &io;
    unsigned long seed;
    bool json;
    bool kind;
    unsigned long kind_bases;
    int status;
    bool write_failed;
    factor_workspace work;
    progress_view view;
    input_token token;
    kind_scratch kind_work;
    number_kind verdicts;
    mpz_t n;
};

// Flushes out; on failure says so once, as coreutils does, and returns false.
bool flushed(command &c)
{
    if (std::fflush(c.io.out) == 0 && !std::ferror(c.io.out))
        return true;
    int error = errno;
    std::fprintf(c.io.err, "brovanten-factor: write error: %s\n", std::strerror(error));
    c.write_failed = true;
    c.status = status_trouble;
    return false;
}

// Says on standard error why the token is no number (and, with --json, in
// its object on standard output).
void refuse(command &c, const char *verb, const std::string &why)
{
    progress_clear(c.view);
    std::fprintf(c.io.err, "brovanten-factor: %s %s %s\n", quoted_token(c.token).c_str(), verb,
                 why.c_str());
    c.status = status_trouble;
    if (c.json) {
        std::fputs(json_error_line(c.token, why).c_str(), c.io.out);
        flushed(c);
    }
}

// Factors the token's number and prints its line, or says why it is none.
void handle(command &c)
{
    switch (token_value(c.n, c.token)) {
    case token_verdict::not_a_number:
        refuse(c, "is", "not a non-negative decimal integer");
        return;
    case token_verdict::too_long:
        refuse(c, "has", "more than " + std::to_string(max_input_digits) + " digits");
        return;
    case token_verdict::number:
        break;
    }
    factor_observer observer;
    auto start = std::chrono::steady_clock::now();
    bool complete = factorize(c.work, c.n, c.seed, default_budget,
                              progress_for_number(c.view, c.n, observer));
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    progress_clear(c.view);
    if (c.kind)
        classify(c.verdicts, c.n, c.work.parts, complete, c.kind_bases, c.kind_work);
    if (c.json) {
        json_run run{c.seed, took.count(), c.kind ? &c.verdicts : nullptr};
        std::fputs(json_number_line(c.n, c.work.parts, complete, run).c_str(), c.io.out);
    } else {
        write_factor_line(c.io.out, c.n, c.work.parts);
        if (c.kind)
            std::fputs(kind_line(c.n, c.verdicts).c_str(), c.io.out);
    }
    if (flushed(c) && !complete)
        c.status = std::max(c.status, status_composite);
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
    factor_options options{default_seed, false, false, false, 0, argc};
    std::string message;
    switch (parse_factor_options(options, argc, argv, message)) {
    case options_verdict::help:
        return print_text(io, usage_text);
    case options_verdict::version:
        return print_text(io, "brovanten-factor " BROVANTEN_VERSION "\n");
    case options_verdict::error:
        return usage_error(io, message);
    case options_verdict::run:
        break;
    }

    command c{io,    options.seed, options.json, options.kind, options.kind_bases, status_complete,
              false, {},           {},           {},           {},                 {},
              {}};
    factor_workspace_init(c.work);
    kind_scratch_init(c.kind_work);
    progress_start(c.view, io.err, options.verbose, io.err_is_terminal);
    mpz_init(c.n);
    if (options.verbose)
        std::fprintf(io.err, "brovanten-factor: seed %lu\n", options.seed);
    if (options.first_number == argc) {
        while (!c.write_failed && next_token(c.token, io.in))
            handle(c);
    } else {
        for (int i = options.first_number; i < argc && !c.write_failed; ++i) {
            token_from_argument(c.token, argv[i]);
            handle(c);
        }
    }
    mpz_clear(c.n);
    kind_scratch_clear(c.kind_work);
    factor_workspace_clear(c.work);
    return c.status;
}
