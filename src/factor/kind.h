// SPDX-License-Identifier: BSD-2-Clause
// What kind of number N is, worked out from its factorisation: the line
// that --kind adds after each output line.
//
// From a complete factorisation N = p1^e1 ... pk^ek:
//  - Korselt's criterion: N squarefree and p - 1 | N - 1 for every p; a
//    composite that meets it is a Carmichael number.
//  - The Lucas-Carmichael criterion: N odd, squarefree and p + 1 | N + 1 for
//    every p.
//  - Fermat liars, the bases a mod N with a^(N-1) = 1: prod gcd(p - 1, N - 1).
//  - Strong liars (Monier's formula), with N - 1 = 2^s d, p - 1 = 2^si di,
//    v = min si: (1 + (2^(kv) - 1) / (2^k - 1)) prod gcd(d, di). For an even
//    N, N - 1 is odd and the strong test is the Fermat test.
// Whatever the factorisation, and so also for an incomplete one:
//  - the prime bases below a bound to which N is a Fermat and a strong
//    pseudoprime, and how far the run 2, 3, 5, ... of them goes;
//  - whether N passes brovanten's screening: no divisor up to 99999, and
//    3^N = 3 mod N.
// An incomplete factorisation decides the criteria only where a known part
// breaks them (a prime part with p - 1 not dividing N - 1, or a square).
#pragma once

#include "factor/factor_parts.h"

#include <gmp.h>
#include <string>
#include <vector>

inline constexpr unsigned long default_kind_base_bound = 100;

// Scratch of classify(), created once.
struct kind_scratch {
    mpz_t n_minus_1, n_plus_1, odd, g, x, count, phi, product, base;
};

void kind_scratch_init(kind_scratch &s);
void kind_scratch_clear(kind_scratch &s);

enum class verdict { yes, no, unknown };

struct number_kind {
    bool prime;     // N is a prime (a complete factorisation of one part)
    bool composite; // N > 1 and not prime
    verdict squarefree, carmichael, lucas_carmichael;
    std::string carmichael_why, lucas_why; // why not, when no
    // Decimal counts, empty when the factorisation is incomplete.
    std::string phi, fermat_liars, strong_liars;
    // Shares of phi(N): as doubles (0 below the least one, 2^-1074), and as
    // the text of the kind line ("25%", "1.586e-4930%"), right at any size.
    double fermat_share, strong_share;
    std::string fermat_share_text, strong_share_text;
    unsigned long base_bound;
    std::vector<unsigned long> fermat_bases, strong_bases; // composite N only
    unsigned long fermat_run, strong_run; // last prime of the run 2, 3, 5, ...; 0 if 2 is not in it
    bool passes_screening;
    std::string screening_why; // why not
};

// k = the kind of n >= 0 from its parts (ascending, as factorize() leaves
// them); complete says whether every part is prime.
void classify(number_kind &k, const mpz_t n, const std::vector<factor_part> &parts, bool complete,
              unsigned long base_bound, kind_scratch &s);

// The run of first prime bases that ends at last, as papers write it: "2",
// "2..41"; "" when the run is empty (last is 0).
std::string base_run_text(unsigned long last);

// "kind of N: ..." with a line feed.
std::string kind_line(const mpz_t n, const number_kind &k);
