// SPDX-License-Identifier: BSD-2-Clause
// libFuzzer target: arbitrary bytes as the contents of "number.fic", run
// through the whole driver (reading, bit count, screening and, for numbers
// that pass, the tests and the log) in a private temporary folder.
#include "driver/input.h"
#include "driver/run.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
std::FILE *null_in;
std::FILE *null_out;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    char folder[] = "/tmp/brovanten-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0)
        std::abort();
    null_in = std::fopen("/dev/null", "r");
    null_out = std::fopen("/dev/null", "w");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // About 850 bits at most: ten tests on a number that passes the
    // screening stay in the milliseconds. The tool itself has no cap.
    if (size > 256)
        return 0;
    std::FILE *f = std::fopen(number_file_name, "wb");
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    run_driver(run_clock{[] { return std::time_t{1}; }, [] { return 0LL; }}, null_in, null_out, null_out);
    std::remove("results.fic");
    return 0;
}
