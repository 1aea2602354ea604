#include "engine/test_loop.h"

#include "report/files.h"
#include "report/number_text.h"
#include "report/results_log.h"

#include <chrono>

namespace {

long long wall_clock_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// candidate = gcd(x - subtract, n) mod n; x is spent.
void gcd_candidate(mpz_t candidate, mpz_t x, unsigned long subtract, const mpz_t n)
{
    mpz_sub_ui(x, x, subtract);
    mpz_gcd(candidate, x, n);
    mpz_mod(candidate, candidate, n);
}

// A candidate is reported if it is above 1 and unlike every earlier one.
bool is_new_factor(const test_state &t, int k)
{
    if (mpz_cmp_ui(t.candidate[k], 1) <= 0)
        return false;
    for (int i = 0; i < k; ++i)
        if (mpz_cmp(t.candidate[i], t.candidate[k]) == 0)
            return false;
    return true;
}

} // namespace

void test_state_init(test_state &t)
{
    matrix_init(t.drawn);
    matrix_init(t.power);
    matrix_init(t.result);
    mpz_init(t.exponent);
    for (auto &c : t.candidate)
        mpz_init(c);
    select_scratch_init(t.select);
    matrix_scratch_init(t.product);
}

void test_state_clear(test_state &t)
{
    matrix_clear(t.drawn);
    matrix_clear(t.power);
    matrix_clear(t.result);
    mpz_clear(t.exponent);
    for (auto &c : t.candidate)
        mpz_clear(c);
    select_scratch_clear(t.select);
    matrix_scratch_clear(t.product);
}

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

bool run_tests(test_state &t, const mpz_t n, std::FILE *out)
{
    bool found = false;
    for (int test = 1; test <= max_tests && !found; ++test) {
        select_matrix(t.drawn, n, t.select);
        long long start = wall_clock_ms();
        std::fprintf(out, "* Test %d : ", test);
        std::fflush(out);

        mpz_sub_ui(t.exponent, n, 1);
        matrix_set(t.power, t.drawn);
        matrix_pow_mod(t.result, t.power, t.exponent, n, t.product);

        gcd_candidate(t.candidate[0], t.result.x[0], 1, n);
        gcd_candidate(t.candidate[1], t.result.x[1], 0, n);
        gcd_candidate(t.candidate[2], t.result.x[2], 0, n);
        gcd_candidate(t.candidate[3], t.result.x[3], 1, n);

        std::FILE *log = open_for_append(results_log_name);
        for (int k = 0; k < 4; ++k) {
            if (!is_new_factor(t, k))
                continue;
            if (!found)
                std::fputs("\nFactors :\n", out);
            found = true;
            write_decimal(out, t.candidate[k]);
            std::fprintf(out, "  (%zu bits)\n\n", bit_count(t.candidate[k]));
            log_factor(log, t.candidate[k]);
        }
        if (log != nullptr)
            std::fclose(log);

        print_test_time(out, wall_clock_ms() - start);
        std::fflush(out);
    }
    return found;
}
