// SPDX-License-Identifier: BSD-2-Clause
#include "factor/sieve_method.h"

#include "factor/spare_cores.h"

bool sieve_find_divisor(mpz_t divisor, const mpz_t m, const method_call &call,
                        siqs_figures &figures)
{
    int borrowed = call.max_threads > 1 ? cores_borrow(call.cores, static_cast<int>(call.max_threads) - 1) : 0;
    siqs_watch watch = [&call](unsigned long found, unsigned long needed) {
        if (call.progress)
            call.progress(found, static_cast<double>(found) / static_cast<double>(needed));
        return true;
    };
    siqs_verdict verdict = siqs_find_divisor(divisor, m, 1 + static_cast<unsigned>(borrowed),
                                             call.seed, watch, &figures, nullptr, call.stop);
    cores_release(call.cores, borrowed);
    return verdict == siqs_verdict::found;
}
