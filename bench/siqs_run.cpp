// SPDX-License-Identifier: BSD-2-Clause
// The quadratic sieve alone on one number, for tuning its table: prints the
// divisor, the time and what the run did, as one line of key=value pairs.
//
//     siqs_run N [threads [fb_size M large_mult double_large threshold]]
//
// Without the last five the table's row for N is used.
#include "factor/siqs.h"
#include "factor/siqs_params.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gmp.h>

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 3 && argc != 8) {
        std::fprintf(stderr, "usage: siqs_run N [threads [fb_size M large_mult double_large threshold]]\n");
        return 2;
    }
    mpz_t n, d;
    mpz_inits(n, d, nullptr);
    if (mpz_set_str(n, argv[1], 10) != 0) {
        std::fprintf(stderr, "siqs_run: not a number: %s\n", argv[1]);
        return 2;
    }
    unsigned threads = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1;
    siqs_params p = siqs_params_for(mpz_sizeinbase(n, 2));
    if (argc == 8) {
        p.fb_size = static_cast<unsigned>(std::atoi(argv[3]));
        p.half_interval = static_cast<unsigned>(std::atoi(argv[4]));
        p.large_mult = static_cast<unsigned>(std::atoi(argv[5]));
        p.double_large = std::atoi(argv[6]) != 0;
        p.threshold_bits = std::atof(argv[7]);
    }
    siqs_figures f{};
    auto start = std::chrono::steady_clock::now();
    siqs_verdict v = siqs_find_divisor(d, n, threads, 1, {}, &f, &p);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    gmp_printf("verdict=%d divisor=%Zd seconds=%.3f fb=%u M=%u large_mult=%u double=%d "
               "threshold=%.2f multiplier=%lu polynomials=%lu candidates=%lu fulls=%lu "
               "partials=%lu cycles=%lu rows=%lu columns=%lu\n",
               static_cast<int>(v), d, took.count(), p.fb_size, p.half_interval, p.large_mult,
               p.double_large ? 1 : 0, p.threshold_bits, f.multiplier, f.polynomials, f.candidates,
               f.fulls, f.partials, f.cycles, f.rows, f.columns);
    mpz_clears(n, d, nullptr);
    return v == siqs_verdict::found ? 0 : 1;
}
