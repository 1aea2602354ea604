// SPDX-License-Identifier: BSD-2-Clause
#include "support/factor_harness.h"

#include "factor/factor_cli.h"
#include "support/harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gmp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string memstream_text(char *buffer, std::size_t size)
{
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

} // namespace

cli_result run_factor(const std::vector<std::string> &args, const std::string &input,
                      bool err_is_terminal, unsigned long seed, double progress_after)
{
    std::vector<std::string> owned = {"brovanten-factor"};
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::FILE *in = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    char *out_buffer = nullptr, *err_buffer = nullptr;
    std::size_t out_size = 0, err_size = 0;
    std::FILE *out = open_memstream(&out_buffer, &out_size);
    std::FILE *err = open_memstream(&err_buffer, &err_size);
    int status = factor_main(static_cast<int>(owned.size()), argv.data(),
                             {in, out, err, err_is_terminal, progress_after}, seed);
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    return {status, memstream_text(out_buffer, out_size), memstream_text(err_buffer, err_size)};
}

void exec_program(const std::string &program, const std::string &name,
                  const std::vector<std::string> &args)
{
    std::vector<char *> argv = {const_cast<char *>(name.c_str())};
    for (const auto &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    execvp(program.c_str(), argv.data());
    _exit(127);
}

cli_result run_program(const std::vector<std::string> &argv, const std::string &input)
{
    std::FILE *in = std::tmpfile();
    std::FILE *out = std::tmpfile();
    std::FILE *err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::fflush(in);
    std::rewind(in);
    pid_t child = fork();
    if (child == 0) {
        dup2(fileno(in), 0);
        dup2(fileno(out), 1);
        dup2(fileno(err), 2);
        exec_program(argv[0], argv[0], {argv.begin() + 1, argv.end()});
    }
    int status = -1;
    if (child > 0)
        waitpid(child, &status, 0);
    auto text_of = [](std::FILE *f) {
        std::string text;
        std::rewind(f);
        for (int c; (c = std::getc(f)) != EOF;)
            text += static_cast<char>(c);
        std::fclose(f);
        return text;
    };
    std::fclose(in);
    std::string out_text = text_of(out), err_text = text_of(err);
    return {child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, out_text, err_text};
}

std::string factor_line(const std::string &n, std::vector<std::string> primes)
{
    std::sort(primes.begin(), primes.end(), [](const std::string &a, const std::string &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    std::string line = n + ":";
    for (const auto &p : primes)
        line += " " + p;
    return line + "\n";
}

factor_budget attempts_only(int strong_tests, int matrix_tests)
{
    factor_budget b{};
    b.strong_tests = strong_tests;
    b.matrix_tests = matrix_tests;
    return b;
}

std::string parts_text(const std::vector<factor_part> &parts)
{
    std::string text;
    for (const auto &p : parts) {
        char *digits = mpz_get_str(nullptr, 10, p.value);
        text += std::string(digits) + "^" + std::to_string(p.power) +
                (p.state == part_state::prime ? " " : "? ");
        std::free(digits);
    }
    return text;
}

bool starts_with(const std::string &text, const std::string &start)
{
    return text.compare(0, start.size(), start) == 0;
}

std::string prime_above(unsigned long bits, unsigned long offset)
{
    big p;
    prime_above_power_of_two(p, bits, offset);
    return p.str();
}

std::string product(const std::vector<std::string> &factors)
{
    big n(1ul);
    for (const auto &f : factors) {
        big x(f);
        mpz_mul(n, n, x);
    }
    return n.str();
}
