// SPDX-License-Identifier: BSD-2-Clause
#include "driver/split_rounds.h"

#include "report/number_text.h"

void print_test_time(std::FILE *out, long long elapsed_ms)
{
    if (elapsed_ms == 0)
        elapsed_ms = 1;
    // The factor is 0.001 rounded to single precision, multiplied in double:
    // 15 ms prints 0.02 and 125 ms prints 0.13, and no product below 2^30 ms
    // falls exactly between two printed values.
    const double seconds_per_ms = 0.001f;
    std::fprintf(out, "Test made in %0.2f s.\n", static_cast<double>(elapsed_ms) * seconds_per_ms);
}

int run_tests(test_scratch &t, mpz_t divisors[max_divisors], rng_state &g,
              const mpz_t n, const run_clock &clock, std::FILE *out)
{
    int count = 0;
    for (int test = 1; test <= max_tests && count == 0; ++test) {
        // Drawing the matrix is not part of the test's time.
        test_draw(t, g, n);
        long long start = clock.elapsed_ms();
        // On the screen while the power runs.
        std::fprintf(out, "* Test %d : ", test);
        std::fflush(out);

        count = test_divisors(divisors, t, n);
        if (count > 0)
            std::fputs("\nFactors :\n", out);
        for (int k = 0; k < count; ++k) {
            write_decimal(out, divisors[k]);
            std::fprintf(out, "  (%zu bits)\n\n", bit_count(divisors[k]));
        }

        print_test_time(out, clock.elapsed_ms() - start);
        std::fflush(out);
    }
    return count;
}
