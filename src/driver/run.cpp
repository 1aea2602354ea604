// SPDX-License-Identifier: BSD-2-Clause
#include "driver/run.h"

#include "driver/input.h"
#include "driver/screen.h"
#include "driver/split_rounds.h"
#include "report/certificate.h"
#include "report/log_append.h"
#include "report/log_record.h"
#include "report/number_text.h"

#include <cstdint>
#include <string>

namespace {

// Every big integer of the run, created once at the start.
struct run_state {
    mpz_t n, certificate;
    mpz_t divisors[max_divisors];
    screen_state screen;
    test_scratch tests;
    rng_state rng;
    std::string record; // the log record, appended whole at the end
};

void run_state_init(run_state &r)
{
    mpz_init(r.n);
    mpz_init(r.certificate);
    for (auto &d : r.divisors)
        mpz_init(d);
    screen_state_init(r.screen);
    test_scratch_init(r.tests);
}

void run_state_clear(run_state &r)
{
    test_scratch_clear(r.tests);
    screen_state_clear(r.screen);
    for (auto &d : r.divisors)
        mpz_clear(d);
    mpz_clear(r.certificate);
    mpz_clear(r.n);
}

void print_banner(std::FILE *out)
{
    std::fputs("Brovanten v1.1r     T.Osbervan    04/2001\n", out);
    std::fputs("For details see https://brovanten.example.org/\n", out);
    std::fputs("------------------------------------------------------------------------------\n\n", out);
}

// Screens r.n and, if it passes, runs the tests and appends its log record.
void factor_number(run_state &r, const run_clock &clock, std::FILE *out, std::FILE *err)
{
    if (!screen_number(r.n, out, r.screen))
        return;
    // Stamped now, when the screening has passed, though written at the end.
    record_begin(r.record, r.n, clock.calendar());
    int count = run_tests(r.tests, r.divisors, r.rng, r.n, clock, out);
    record_add_factors(r.record, r.divisors, count);
    bool found = count > 0;
    if (found) {
        const matrix2 &m = r.tests.drawn;
        make_certificate(r.certificate, m.x[0], m.x[1], m.x[2], m.x[3]);
    } else {
        std::fputs("\nBe sure that it is a Carmichael, a PSP or a SPSP number and try again !!!", out);
        std::fflush(out);
    }
    record_close(r.record, found, r.certificate);
    std::string warning = log_warning(results_log_name, log_append(results_log_name, r.record));
    if (!warning.empty()) {
        std::fputs(warning.c_str(), err);
        std::fflush(err);
    }
}

} // namespace

int run_driver(const run_clock &clock, std::FILE *in, std::FILE *out, std::FILE *err)
{
    run_state r;
    run_state_init(r);

    print_banner(out);
    // The cast is the reduction mod 2^32, for negative times too.
    rng_seed(r.rng, static_cast<std::uint32_t>(clock.calendar()));

    if (read_number(r.n)) {
        std::fprintf(out, "Number -> Size in bits : %zu\n\n", bit_count(r.n));
        factor_number(r, clock, out, err);
    } else {
        std::fputs("File not found\n", out);
    }

    std::fputs("\nEnd : press a key to exit...\n", out);
    std::fflush(out);
    std::fgetc(in);

    run_state_clear(r);
    return 0;
}
