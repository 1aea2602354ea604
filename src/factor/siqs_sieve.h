// SPDX-License-Identifier: BSD-2-Clause
// Sieving the polynomials of one A and keeping the relations they give.
//
// The interval x in [-M, M) of each polynomial g is walked in blocks of
// siqs_block_size bytes. Each sieved base prime p adds log2 p at the
// positions where p divides g(x); primes below the block size are sieved
// block by block, the larger ones are first sorted into buckets, one per
// block and slice of primes with the same logarithm, as their roots are
// moved to the next polynomial, then added from the buckets. A position
// whose sum reaches the threshold is a candidate: g(x) is divided by the
// primes found there (those below the block size by a test of the position
// against their roots, the large ones from the buckets).
// What is left must be 1 (a full relation), one large prime below the
// large-prime bound, or, where allowed, two of them.
//
// Every relation is checked before it is kept: (Ax + B)^2 = A g(x), so
// Y^2 = -1^e0 * product of its primes (mod N) for Y = Ax + B mod N.
#pragma once

#include "factor/siqs_factor_base.h"
#include "factor/siqs_poly.h"

#include <atomic>
#include <cstdint>
#include <gmp.h>
#include <vector>

// The relations found on one A, in the order found.
struct siqs_relation_batch {
    struct entry {
        std::uint32_t factor_start, factor_count; // into factors
        std::uint32_t limb_start, limb_count;     // Y mod N, into limbs
        std::uint32_t large1, large2;             // 1 where there is none; large1 <= large2
    };
    std::vector<entry> relations;
    std::vector<std::uint32_t> factors; // base indices, repeated for powers; 0 is the sign
    std::vector<mp_limb_t> limbs;
    unsigned long polynomials = 0;
    unsigned long candidates = 0;

    void clear()
    {
        relations.clear();
        factors.clear();
        limbs.clear();
        polynomials = candidates = 0;
    }
};

// A run of large base primes with the same logarithm, sieved through
// buckets. Its index within the slice fits the entry's 17 bits.
struct siqs_slice {
    std::uint32_t start, end;
    std::uint8_t logp;
};

// What every sieving thread reads and no one changes.
struct siqs_sieve_setup {
    const siqs_factor_base *fb;
    mpz_srcptr n;
    std::uint32_t half_interval; // M
    std::uint32_t length;        // 2M
    std::uint32_t blocks;        // 2M / block size, rounded up
    std::uint32_t large_bound;   // single large primes below this
    std::uint64_t double_bound;  // products of two below this; 0 for none
    unsigned long double_steps;  // rho's steps to split one
    std::uint8_t start_value;    // sieve bytes start here; 128 and above are candidates
    std::vector<siqs_slice> slices;
    std::uint32_t first_beyond;  // the first base index whose prime exceeds 2M
    std::vector<std::uint32_t> sure_hits; // 2M / p for the large primes below it
};

// Sets the interval, the bounds, the threshold and the slices.
void siqs_sieve_setup_make(siqs_sieve_setup &setup, const siqs_factor_base &fb, mpz_srcptr n,
                           std::uint32_t half_interval, unsigned large_mult, bool double_large,
                           double threshold_bits);

// One thread's memory for sieving, created once per run.
struct siqs_sieve_space {
    siqs_poly poly;
    std::vector<std::uint8_t> block;
    std::vector<std::uint32_t> next1, next2; // medium primes' next positions
    std::vector<std::uint8_t> in_a;          // 1 for the base primes of A
    std::vector<std::uint8_t> flags;         // primes below the block size at a candidate
    std::vector<std::uint32_t> buckets;
    std::vector<std::uint32_t> bucket_count; // per block and slice
    std::vector<std::uint32_t> slice_offset; // of each slice within a block's buckets
    std::uint32_t block_stride;              // entries a block's buckets can hold
    std::vector<std::uint16_t> candidates;   // positions in the block
    std::vector<std::uint32_t> hits;         // candidate << 24 | ... see siqs_sieve.cpp
    std::vector<std::uint32_t> relation_factors;
    mpz_t g, y, t, two_b;
};

void siqs_sieve_space_init(siqs_sieve_space &space, const siqs_sieve_setup &setup);
void siqs_sieve_space_clear(siqs_sieve_space &space);

// Sieves every polynomial of the A whose factors are given, appending the
// relations to batch. Stops early, between polynomials, once *done (the run
// has enough) or *stop (the caller wants it) is set; either may be null.
void siqs_sieve_a(siqs_relation_batch &batch, siqs_sieve_space &space,
                  const siqs_sieve_setup &setup, const std::vector<std::uint32_t> &a_factors,
                  const std::atomic<bool> *done, const std::atomic<bool> *stop);

// Whether y^2 = -1^e0 * product of the relation's primes (mod n): the check
// every relation passes before it is kept.
bool siqs_relation_holds(const siqs_factor_base &fb, mpz_srcptr n, const mpz_t y,
                         const std::uint32_t *factors, std::uint32_t count, std::uint32_t large1,
                         std::uint32_t large2, mpz_t scratch1, mpz_t scratch2);
