// SPDX-License-Identifier: BSD-2-Clause
// The end of the quadratic sieve: the relations combined into squares.
// Each column of the matrix is a full relation or a cycle of partial ones,
// its rows the base primes with an odd exponent. Columns with a prime no
// other column has (singletons) can be in no dependency and go first, again
// and again; then columns beyond the rows plus a margin are dropped. Each
// dependency of what is left (gf2_solve.h) gives X^2 = Y^2 (mod N), with X
// the product of the relations' Y and Y the product of their primes to half
// the exponents; gcd(X - Y, N) is a proper factor with probability about
// 1/2 for each.
#pragma once

#include "factor/siqs_relations.h"

#include <cstddef>
#include <cstdint>
#include <gmp.h>

// divisor = a proper divisor of n from the relations, or false if none of
// the dependencies gave one. seed starts the linear algebra; rows and
// columns tell the size of the matrix it solved.
bool siqs_combine(mpz_t divisor, const siqs_relations &r, const siqs_factor_base &fb,
                  mpz_srcptr n, std::uint64_t seed, std::size_t &rows, std::size_t &columns);
