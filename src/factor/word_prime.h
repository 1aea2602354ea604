// SPDX-License-Identifier: BSD-2-Clause
// Primality below 2^64, proven: strong tests to bases known to leave no
// strong pseudoprime below the bound (2, 7 and 61 below 4,759,123,141;
// Sinclair's seven bases below 2^64).
#pragma once

#include "factor/word_montgomery.h"

// Whether n is prime, for any n < 2^64.
bool word_is_prime(u64 n);
