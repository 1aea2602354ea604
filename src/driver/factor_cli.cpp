// SPDX-License-Identifier: BSD-2-Clause
#include "driver/factor_cli.h"

#include "engine/factorize.h"
#include "report/factor_line.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char usage_text[] =
    "Usage: brovanten-factor [OPTION]... [N]...\n"
    "Print the prime factors of each N as \"N: p1 p2 ...\", ascending and\n"
    "repeated for powers. Made for pseudoprimes (Carmichael numbers, Fermat and\n"
    "strong pseudoprimes) whose prime factors are all large. With no N, read\n"
    "the numbers from standard input, one per line; blank lines are skipped.\n"
    "\n"
    "  -s, --seed=S   seed the random splitting tests with S\n"
    "  -v, --verbose  report the seed and each step on standard error\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "A composite part that could not be split is printed in brackets.\n"
    "Exit status: 0 if every number was factored completely, 1 if a part\n"
    "stayed composite, 2 if an input was not a non-negative decimal integer\n"
    "of at most 20000 digits, or an option was wrong.\n";

// A run's settings and what it has seen so far.
struct cli_state {
    const factor_io &io;
    unsigned long seed;
    bool verbose;
    int status;
    factor_workspace work;
    mpz_t n;
    // Progress line on a terminal, for the number being factored.
    bool progress;
    bool line_shown;
    std::chrono::steady_clock::time_point last_update;
};

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string trimmed(const std::string &text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && is_blank(text[begin]))
        ++begin;
    while (end > begin && is_blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The input as a message shows it: quoted, cut short when long, with any
// byte that is not printable as '?'.
std::string quoted(const std::string &text, std::size_t length)
{
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < 40; ++i)
        shown += std::isprint(static_cast<unsigned char>(text[i])) ? text[i] : '?';
    if (length <= 40)
        return "'" + shown + "'";
    return "'" + shown + "...' (" + std::to_string(length) + " characters)";
}

void clear_progress(cli_state &c)
{
    if (c.line_shown) {
        std::fputs("\r\033[K", c.io.err);
        c.line_shown = false;
    }
}

void report(cli_state &c, const char *format, const factor_note &note)
{
    clear_progress(c);
    std::fprintf(c.io.err, format, note.part, note.parts, note.bits);
}

void observe(void *context, const factor_note &note)
{
    auto &c = *static_cast<cli_state *>(context);
    if (c.verbose) {
        switch (note.event) {
        case factor_event::small_primes:
            clear_progress(c);
            std::fprintf(c.io.err, "brovanten-factor: %zu bits, %lu prime factors below 100000\n",
                         note.bits, note.count);
            break;
        case factor_event::prime:
            report(c, "  part %d of %d (%zu bits) is a probable prime\n", note);
            break;
        case factor_event::perfect_power:
            clear_progress(c);
            std::fprintf(c.io.err, "  part %d of %d (%zu bits) was a perfect power, exponent %lu\n",
                         note.part, note.parts, note.bits, note.count);
            break;
        case factor_event::split:
            clear_progress(c);
            std::fprintf(c.io.err, "  part %d of %d (%zu bits): %s test %d found %lu divisors\n",
                         note.part, note.parts, note.bits, note.method, note.test, note.count);
            break;
        case factor_event::rho:
            report(c, "  part %d of %d (%zu bits): Pollard-Brent rho\n", note);
            break;
        case factor_event::unsplit:
            report(c, "  part %d of %d (%zu bits) stays composite\n", note);
            break;
        case factor_event::test:
        case factor_event::power:
            break;
        }
    }
    if (!c.progress || (note.event != factor_event::test && note.event != factor_event::power))
        return;
    // A line that changes at most ten times a second.
    auto now = std::chrono::steady_clock::now();
    if (c.line_shown && now - c.last_update < std::chrono::milliseconds(100))
        return;
    c.last_update = now;
    std::fprintf(c.io.err, "\rbrovanten-factor: part %d of %d (%zu bits), %s test %d", note.part,
                 note.parts, note.bits, note.method, note.test);
    if (note.event == factor_event::power)
        std::fprintf(c.io.err, ", power %.0f%%", 100 * note.done);
    std::fputs("\033[K", c.io.err);
    std::fflush(c.io.err);
    c.line_shown = true;
}

// Factors one input and prints its line, or says why it is no number.
// length is the input's full length; a longer line than was kept has been
// cut short, and is refused as too long if what was kept is digits.
void handle(cli_state &c, const std::string &raw, std::size_t length)
{
    bool cut = length > raw.size();
    std::string text = trimmed(raw);
    bool digits = !text.empty();
    for (char ch : text)
        digits = digits && ch >= '0' && ch <= '9';
    std::size_t shown_length = cut ? length : text.size();
    if (!digits) {
        std::fprintf(c.io.err, "brovanten-factor: %s is not a non-negative decimal integer\n",
                     quoted(text, shown_length).c_str());
        c.status = 2;
        return;
    }
    if (cut || text.size() > max_input_digits) {
        std::fprintf(c.io.err, "brovanten-factor: %s has more than %lu digits\n",
                     quoted(text, shown_length).c_str(), max_input_digits);
        c.status = 2;
        return;
    }
    mpz_set_str(c.n, text.c_str(), 10);
    c.progress = c.io.err_is_terminal && mpz_sizeinbase(c.n, 2) >= 1024;
    factor_observer observer{observe, &c};
    bool complete = factorize(c.work, c.n, c.seed, default_budget,
                              c.verbose || c.progress ? &observer : nullptr);
    clear_progress(c);
    write_factor_line(c.io.out, c.n, c.work.parts);
    std::fflush(c.io.out);
    if (!complete && c.status == 0)
        c.status = 1;
}

// Reads standard input line by line. A line is kept only up to a little
// more than the longest number allowed; the rest is counted, not stored.
void handle_lines(cli_state &c)
{
    const std::size_t keep = max_input_digits + 64;
    std::string line;
    std::size_t length = 0;
    for (int ch;;) {
        ch = std::getc(c.io.in);
        if (ch != '\n' && ch != EOF) {
            if (line.size() < keep)
                line += static_cast<char>(ch);
            ++length;
            continue;
        }
        bool blank = true;
        for (char x : line)
            blank = blank && is_blank(x);
        if (length > 0 && !(blank && length == line.size()))
            handle(c, line, length);
        line.clear();
        length = 0;
        if (ch == EOF)
            break;
    }
}

bool parse_seed(const char *text, unsigned long &seed)
{
    if (*text == '\0')
        return false;
    for (const char *p = text; *p != '\0'; ++p)
        if (*p < '0' || *p > '9')
            return false;
    errno = 0;
    seed = std::strtoul(text, nullptr, 10);
    return errno == 0;
}

int usage_error(const factor_io &io, const std::string &message)
{
    std::fprintf(io.err, "brovanten-factor: %s\nTry 'brovanten-factor --help' for more.\n",
                 message.c_str());
    return 2;
}

} // namespace

int factor_main(int argc, char **argv, const factor_io &io, unsigned long default_seed)
{
    unsigned long seed = default_seed;
    bool verbose = false;
    std::vector<std::string> numbers;
    bool options_over = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        // "-5" is a (refused) number, not an option.
        bool option = !options_over && arg.size() > 1 && arg[0] == '-' &&
                      !std::isdigit(static_cast<unsigned char>(arg[1]));
        if (!option) {
            numbers.push_back(arg);
        } else if (arg == "--") {
            options_over = true;
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(usage_text, io.out);
            return 0;
        } else if (arg == "--version") {
            std::fputs("brovanten-factor " BROVANTEN_VERSION "\n", io.out);
            return 0;
        } else if (arg == "-v" || arg == "--verbose") {
            verbose = true;
        } else if (arg == "-s" || arg == "--seed" || arg.compare(0, 7, "--seed=") == 0) {
            const char *value = arg.size() > 7 ? argv[i] + 7 : (i + 1 < argc ? argv[++i] : nullptr);
            if (value == nullptr)
                return usage_error(io, "option " + arg + " needs a value");
            if (!parse_seed(value, seed))
                return usage_error(io, std::string("invalid seed '") + value + "'");
        } else {
            return usage_error(io, "unknown option " + quoted(arg, arg.size()));
        }
    }

    cli_state c{io, seed, verbose, 0, {}, {}, false, false, {}};
    factor_workspace_init(c.work);
    mpz_init(c.n);
    if (verbose)
        std::fprintf(io.err, "brovanten-factor: seed %lu\n", seed);
    if (numbers.empty()) {
        handle_lines(c);
    } else {
        for (const auto &text : numbers)
            handle(c, text, text.size());
    }
    mpz_clear(c.n);
    factor_workspace_clear(c.work);
    return c.status;
}
