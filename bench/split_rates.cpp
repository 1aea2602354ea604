// SPDX-License-Identifier: BSD-2-Clause
// How often the tool splits each published example, over a fixed set of
// seeds: prints the Markdown table of the README.
//
//   split_rates EXAMPLES.tsv FIRST_SEED COUNT
//
// Each run is the tool's own run, through run_driver in a scratch folder,
// with the calendar clock reading the seed (the tool seeds its generator
// from the clock's seconds, so seed s is a run started at second s). For
// each number it counts the runs that test 1 split, the highest test number
// any run needed, and the runs that ended all ten tests without a divisor.
#include "driver/run.h"
#include "support/published_table.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The transcript of one run on n with the given seed.
std::string run_once(const std::string &n, std::time_t seed)
{
    std::FILE *number = std::fopen("number.fic", "w");
    std::fputs(n.c_str(), number);
    std::fclose(number);
    char *buffer = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&buffer, &size);
    std::FILE *in = std::tmpfile();
    run_driver(run_clock{[seed] { return seed; }, [] { return 0LL; }}, in, out, stderr);
    std::fclose(in);
    std::fclose(out);
    std::string transcript(buffer, size);
    std::free(buffer);
    std::remove("results.fic");
    return transcript;
}

int count_of(const std::string &text, const std::string &part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string shortened(const std::string &n)
{
    return n.size() <= 30 ? n : n.substr(0, 10) + "…" + n.substr(n.size() - 6) + " (" +
                                     std::to_string(n.size()) + " digits)";
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: split_rates EXAMPLES.tsv FIRST_SEED COUNT\n");
        return 2;
    }
    std::vector<published_number> rows = read_published_table(argv[1]);
    long first = std::atol(argv[2]), count = std::atol(argv[3]);
    char folder[] = "/tmp/brovanten-split-rates-XXXXXX";
    if (rows.empty() || mkdtemp(folder) == nullptr || chdir(folder) != 0) {
        std::fprintf(stderr, "split_rates: cannot read %s or make a scratch folder\n", argv[1]);
        return 1;
    }

    std::printf("| N | bits | kind | split by test 1 | highest test needed | runs that found nothing |\n");
    std::printf("|---|---:|---|---:|---:|---:|\n");
    for (const auto &row : rows) {
        int first_test = 0, highest = 0, nothing = 0;
        for (long seed = first; seed < first + count; ++seed) {
            std::string t = run_once(row.n, static_cast<std::time_t>(seed));
            int tests = count_of(t, "* Test ");
            if (t.find("\nFactors :\n") == std::string::npos) {
                ++nothing;
                continue;
            }
            first_test += tests == 1;
            highest = tests > highest ? tests : highest;
        }
        std::printf("| %s | %s | %s | %d of %ld | %d | %d |\n", shortened(row.n).c_str(),
                    row.bits.c_str(), row.kind.c_str(), first_test, count, highest, nothing);
    }
    rmdir(folder);
    return 0;
}
