// SPDX-License-Identifier: BSD-2-Clause
#include "factor/siqs_params.h"

#include <iterator>

namespace {

// bits of kN, factor-base primes, blocks a side, large-prime multiplier,
// double large primes, threshold.
const siqs_params rows[] = {
    {64, 60, 1, 30, false, 0.9},
    {90, 120, 1, 30, false, 1.0},
    {110, 200, 1, 40, false, 1.0},
    {130, 350, 1, 50, false, 1.0},
    {150, 600, 1, 50, false, 1.0},
    {170, 1000, 1, 60, false, 1.0},
    {190, 1800, 2, 60, false, 1.0},
    {200, 2500, 2, 70, false, 1.0},
    {220, 4500, 3, 70, false, 1.0},
    {235, 8000, 4, 80, false, 1.0},
    {250, 15000, 5, 90, false, 1.0},
    {265, 28000, 6, 100, false, 1.0},
    {280, 45000, 8, 120, true, 1.8},
    {300, 65000, 10, 120, true, 1.8},
    {320, 90000, 12, 150, true, 1.8},
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
