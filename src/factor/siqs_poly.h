// SPDX-License-Identifier: BSD-2-Clause
// The polynomials of the self-initialising quadratic sieve. For
// A = q_1 ... q_s, a product of base primes near sqrt(2kN) / M, and
// B = +-B_1 +- ... +- B_s with B_l = (A / q_l) * (sqrt(kN) (A / q_l)^-1 mod q_l),
// B^2 = kN modulo A, so (Ax + B)^2 - kN = A g(x) with
// g(x) = A x^2 + 2 B x + C, C = (B^2 - kN) / A, and g(x) is about M sqrt(kN / 2)
// for |x| < M. The signs of B_1 .. B_(s-1) give 2^(s-1) polynomials per A, taken
// in Gray code order, so that each step changes one sign: the roots of g
// modulo each base prime p then move by 2 B_l A^-1 mod p, an addition.
// Starting an A costs about 2 + s remainders and an inverse per prime; each
// next polynomial one addition per root.
#pragma once

#include "factor/siqs_factor_base.h"

#include <cstdint>
#include <gmp.h>
#include <unordered_set>
#include <vector>

inline constexpr unsigned siqs_max_a_factors = 20;

struct siqs_poly {
    unsigned s;                      // factors of A
    std::vector<std::uint32_t> a_factors; // their indices in the base, ascending
    mpz_t a, b, c;
    mpz_t b_terms[siqs_max_a_factors];
    unsigned index;                  // of the polynomial among the 2^(s-1) of this A
    // Per base prime: the positions j in [0, p) of the interval x = j - M,
    // modulo p, where p divides g(x); delta[l * size + i] = 2 B_l A^-1 mod p.
    std::vector<std::uint32_t> root1, root2, delta;
    mpz_t scratch, scratch2;
};

void siqs_poly_init(siqs_poly &poly);
void siqs_poly_clear(siqs_poly &poly);

// The number of polynomials of an A with s factors.
inline unsigned long siqs_polys_per_a(unsigned s)
{
    return 1ul << (s - 1);
}

// Sets up the first polynomial of A = the product of the base primes at
// a_factors (ascending). The primes of A get no roots.
void siqs_poly_start(siqs_poly &poly, const siqs_factor_base &fb,
                     const std::vector<std::uint32_t> &a_factors, std::uint32_t half_interval);

// Moves to the next polynomial of the same A (B and C): returns the index l
// of the term whose sign changed and whether the roots move up by delta
// (else down). The roots are left to siqs_poly_move_roots, so that the
// sieve can move those of the large primes as it fills its buckets.
void siqs_poly_next(siqs_poly &poly, const siqs_factor_base &fb, unsigned &l, bool &up);

// Moves the roots of the base primes from .. to - 1 for that change.
void siqs_poly_move_roots(siqs_poly &poly, const siqs_factor_base &fb, unsigned l, bool up,
                          std::uint32_t from, std::uint32_t to);

// Chooses the A values of one run, each new, from a stream seeded once.
struct siqs_a_chooser {
    std::uint64_t state;
    unsigned s;
    std::uint32_t low, high; // the window of base indices of the first s - 1 factors
    double target_log;       // log2 of the ideal A
    double tolerance;        // accepted |log2(A / ideal)|
    std::uint32_t first_usable; // the smallest base index a factor of A may have
    std::unordered_set<std::uint64_t> used; // hashes of the A values given out
};

// Fixes s and the window for kN and the half interval M. False if the base
// is too small to make any A (then the sieve cannot run).
bool siqs_a_chooser_init(siqs_a_chooser &chooser, const siqs_factor_base &fb,
                         std::uint32_t half_interval, std::uint64_t seed);

// The next A's factors, ascending; false when no new A can be found.
bool siqs_choose_a(std::vector<std::uint32_t> &a_factors, siqs_a_chooser &chooser,
                   const siqs_factor_base &fb);
