// SPDX-License-Identifier: BSD-2-Clause
#include "factor/siqs_params.h"

#include <iterator>

namespace {

// bits of N, factor-base primes, M, large-prime multiplier, double large
// primes, threshold. Measured with bench/siqs_tune.py, CPU seconds on one
// core of a 2-core machine (AMD EPYC), the least of two runs:
//  - 40 digits (133 bits): 27-31 ms for any base of 250-600 primes and M of
//    16384-32768 (mostly the process itself);
//  - 50 digits (166 bits): 0.19 s with 2000 primes and M = 65536, against
//    0.26 s with 900 and 0.22 s with 1400;
//  - 60 digits (199 bits): 1.03 s with 6000 primes and M = 98304, 1.04 s
//    with 8000 and M = 131072, 1.12 s with 4000;
//  - 70 digits (233 bits): 10.3 s with 20000-30000 primes and M = 131072,
//    11.5 s with 40000.
const siqs_params rows[] = {
    {64, 60, 8192, 30, false, 0.9},
    {80, 80, 16384, 30, false, 1.0},
    {100, 150, 16384, 40, false, 1.2},
    {120, 300, 32768, 50, false, 1.3},
    {133, 600, 32768, 50, false, 1.4},
    {150, 900, 32768, 50, false, 1.5},
    {166, 2000, 65536, 60, false, 1.4},
    {183, 3500, 65536, 80, false, 1.4},
    {199, 6000, 98304, 100, false, 1.4},
    {216, 12000, 131072, 100, false, 1.5},
    {233, 25000, 131072, 100, false, 1.5},
    {249, 40000, 163840, 120, false, 1.5},
    {266, 55000, 196608, 120, false, 1.5},
    {283, 70000, 262144, 150, true, 1.9},
    {300, 90000, 327680, 150, true, 1.9},
    {320, 110000, 393216, 150, true, 1.9},
};

} // namespace

siqs_params siqs_params_for(std::size_t bits)
{
    const siqs_params *row = std::begin(rows);
    if (bits <= row->bits)
        return *row;
    while (row + 1 != std::end(rows) && row[1].bits < bits)
        ++row;
    if (row + 1 == std::end(rows))
        return *row;
    const siqs_params &low = row[0], &high = row[1];
    double share = static_cast<double>(bits - low.bits) / (high.bits - low.bits);
    siqs_params p = high;
    p.bits = static_cast<unsigned>(bits);
    p.fb_size = static_cast<unsigned>(low.fb_size + share * (high.fb_size - low.fb_size));
    p.large_mult = static_cast<unsigned>(low.large_mult + share * (high.large_mult - low.large_mult));
    return p;
}
