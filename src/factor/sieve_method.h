// SPDX-License-Identifier: BSD-2-Clause
// The quadratic sieve as a step of brovanten-factor (siqs.h): for composite
// parts small enough that it beats the elliptic curves (the budget's
// sieve_digits). It sieves on the calling thread and on the cores it may
// borrow for as long as it runs, reports the relations found of those
// needed, stops when the run's stop flag is set, and keeps everything in
// memory: no file is written.
#pragma once

#include "factor/method_call.h"
#include "factor/siqs.h"

#include <gmp.h>

// divisor = a proper divisor of m, an odd composite that is no perfect
// power; false if the sieve found none or was stopped. figures tells what
// it did.
bool sieve_find_divisor(mpz_t divisor, const mpz_t m, const method_call &call,
                        siqs_figures &figures);
