// SPDX-License-Identifier: BSD-2-Clause
#include "support/factor_harness.h"

#include "factor/factor_cli.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gmp.h>

namespace {

std::string memstream_text(char *buffer, std::size_t size)
{
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

} // namespace

cli_result run_factor(const std::vector<std::string> &args, const std::string &input,
                      bool err_is_terminal, unsigned long seed)
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
                             {in, out, err, err_is_terminal}, seed);
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    return {status, memstream_text(out_buffer, out_size), memstream_text(err_buffer, err_size)};
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
