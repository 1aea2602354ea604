#include "driver/run.h"

#include "driver/screen.h"
#include "engine/rng.h"
#include "engine/test_loop.h"
#include "report/certificate.h"
#include "report/files.h"
#include "report/number_text.h"
#include "report/results_log.h"

#include <cstdint>

namespace {

void print_banner(std::FILE *out)
{
    std::fputs("Brovanten v1.1r     T.Osbervan    04/2001\n", out);
    std::fputs("For details see https://brovanten.example.org/\n", out);
    std::fputs("------------------------------------------------------------------------------\n\n", out);
}

// Reads n from the input file; false if the file is not there to be read.
// A file without a number at its start leaves n at 0.
bool read_number(mpz_t n)
{
    std::FILE *in = open_regular_for_reading(number_file_name);
    if (in == nullptr)
        return false;
    mpz_inp_str(n, in, 10);
    std::fclose(in);
    return true;
}

// Screens n and, if it passes, runs the tests and writes its log record.
void factor_number(const mpz_t n, std::FILE *out, screen_state &screen,
                   test_state &tests, mpz_t certificate)
{
    if (!screen_number(n, out, screen))
        return;
    log_header(n);
    bool found = run_tests(tests, n, out);
    if (found) {
        const matrix2 &m = tests.drawn;
        make_certificate(certificate, m.x[0], m.x[1], m.x[2], m.x[3]);
    } else {
        std::fputs("\nBe sure that it is a Carmichael, a PSP or a SPSP number and try again !!!", out);
    }
    log_close_record(found, certificate);
}

} // namespace

int run_driver(std::time_t now, std::FILE *in, std::FILE *out)
{
    mpz_t n, certificate;
    mpz_init(n);
    mpz_init(certificate);
    screen_state screen;
    screen_state_init(screen);
    test_state tests;
    test_state_init(tests);

    print_banner(out);
    rng_seed(static_cast<std::uint32_t>(now));

    if (read_number(n)) {
        std::fprintf(out, "Number -> Size in bits : %zu\n\n", bit_count(n));
        factor_number(n, out, screen, tests, certificate);
    } else {
        std::fputs("File not found\n", out);
    }

    std::fputs("\nEnd : press a key to exit...\n", out);
    std::fflush(out);
    std::fgetc(in);

    test_state_clear(tests);
    screen_state_clear(screen);
    mpz_clear(certificate);
    mpz_clear(n);
    return 0;
}
