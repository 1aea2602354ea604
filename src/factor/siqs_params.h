// SPDX-License-Identifier: BSD-2-Clause
// The settings of the quadratic sieve by the size of N, from one table:
// how many primes the factor base has, how long the sieve interval is, how
// far the large primes go and whether relations with two of them are kept.
// Between two rows the factor base and the large-prime multiplier are
// interpolated; the other settings are those of the row above. The rows were
// chosen by measurement (bench/siqs_tune.py; the figures are beside them in
// siqs_params.cpp).
#pragma once

#include <cstddef>

// The sieve interval is walked in blocks of this many bytes, one byte a
// position, so that a block stays in the first-level cache while the primes
// below the block size are sieved into it.
inline constexpr unsigned siqs_block_bits = 15;
inline constexpr unsigned siqs_block_size = 1u << siqs_block_bits;

struct siqs_params {
    unsigned bits;           // the row serves N of up to this many bits
    unsigned fb_size;        // primes in the factor base
    unsigned half_interval;  // M: the interval is [-M, M), a multiple of 64
    unsigned large_mult;     // large primes below large_mult * the largest base prime
    bool double_large;       // keep relations with two large primes
    double threshold_bits;   // how many bits short of a full relation a candidate may be,
                             // in units of log2(large-prime bound)
};

// The row for N of `bits` bits; past the last row, the last row.
siqs_params siqs_params_for(std::size_t bits);
