// SPDX-License-Identifier: BSD-2-Clause
// The secondary certificate and the test-time text.
#include "driver/split_rounds.h"
#include "report/certificate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(certificate, known_packings)
{
    const struct {
        unsigned long d, e, f, g;
        const char *want;
    } cases[] = {
        {0, 0, 0, 0, "670301591"},
        {1, 0, 0, 0, "680343573"},
        {12044, 21659, 26292, 26439, "9341732956540616235605375"},
        {32767, 32767, 32767, 32767, "11577616996674875070006041"}, // (2^60-1)*10041982+670301591
    };
    mpz_t d, e, f, g, c;
    mpz_inits(d, e, f, g, c, nullptr);
    for (const auto &t : cases) {
        mpz_set_ui(d, t.d);
        mpz_set_ui(e, t.e);
        mpz_set_ui(f, t.f);
        mpz_set_ui(g, t.g);
        mpz_set_ui(c, 99); // leftover value
        make_certificate(c, d, e, f, g);
        char *text = mpz_get_str(nullptr, 10, c);
        EXPECT_STREQ(text, t.want);
        std::free(text);
    }
    EXPECT_EQ(mpz_sizeinbase(c, 2), 84u);
    mpz_clears(d, e, f, g, c, nullptr);
}

TEST(test_time, text_for_elapsed_milliseconds)
{
    const struct {
        long long ms;
        const char *text;
    } cases[] = {
        {0, "Test made in 0.00 s.\n"},    // counted as 1 ms
        {1, "Test made in 0.00 s.\n"},
        {5, "Test made in 0.01 s.\n"},
        {15, "Test made in 0.02 s.\n"},   // an exact 0.001 would give 0.01
        {125, "Test made in 0.13 s.\n"},  // a single-precision product gives 0.12
        {1000, "Test made in 1.00 s.\n"},
        {86400000, "Test made in 86400.00 s.\n"},
    };
    for (const auto &c : cases) {
        char *buffer = nullptr;
        std::size_t size = 0;
        std::FILE *out = open_memstream(&buffer, &size);
        print_test_time(out, c.ms);
        std::fclose(out);
        EXPECT_EQ(std::string(buffer, size), c.text) << c.ms << " ms";
        std::free(buffer);
    }
}

} // namespace
