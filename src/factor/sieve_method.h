// SPDX-License-Identifier: BSD-2-Clause
// The quadratic sieve, by FLINT (qsieve_factor), for composite parts small
// enough that it beats the elliptic curves (the budget's sieve_digits).
// FLINT's sieve runs on the calling thread, one at a time in a process (it
// keeps its relations in a file whose name threads may share), and cannot
// be stopped half-way, so it leaves the threads, the progress and the stop
// flag of its call alone.
#pragma once

#include "factor/method_call.h"

#include <gmp.h>

// divisor = a proper divisor of m, an odd composite that is no perfect
// power; false if the sieve found none.
bool sieve_find_divisor(mpz_t divisor, const mpz_t m, const method_call &call);

// FLINT keeps caches per thread (its pool of integers among them); a thread
// that used FLINT frees them with this before it ends, so that leak
// checkers find nothing.
void flint_thread_done();
