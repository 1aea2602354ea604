// SPDX-License-Identifier: BSD-2-Clause
#include "factor/siqs_params.h"

#include <iterator>

namespace {

// bits of kN, factor-base primes, M, large-prime multiplier,
// double large primes, threshold.
const siqs_params rows[] = {
    {64, 60, 32768, 30, false, 0.9},
    {90, 120, 32768, 30, false, 1.0},
    {110, 200, 32768, 40, false, 1.0},
    {130, 350, 32768, 50, false, 1.0},
    {150, 600, 32768, 50, false, 1.0},
    {170, 1000, 32768, 60, false, 1.0},
    {190, 1800, 65536, 60, false, 1.0},
    {200, 2500, 65536, 70, false, 1.0},
    {220, 4500, 98304, 70, false, 1.0},
    {235, 8000, 131072, 80, false, 1.0},
    {250, 15000, 163840, 90, false, 1.0},
    {265, 28000, 196608, 100, false, 1.0},
    {280, 45000, 262144, 120, true, 1.8},
    {300, 65000, 327680, 120, true, 1.8},
    {320, 90000, 393216, 150, true, 1.8},
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
