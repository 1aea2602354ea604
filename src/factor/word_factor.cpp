// SPDX-License-Identifier: BSD-2-Clause
#include "factor/word_factor.h"

#include <flint/ulong_extras.h>

void word_factor(word_factors &f, unsigned long n)
{
    n_factor_t found;
    n_factor_init(&found);
    n_factor(&found, n, 1);
    f.count = found.num;
    for (int k = 0; k < found.num; ++k) {
        f.primes[k] = found.p[k];
        f.powers[k] = found.exp[k];
    }
}
