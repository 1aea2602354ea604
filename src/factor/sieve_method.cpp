// SPDX-License-Identifier: BSD-2-Clause
#include "factor/sieve_method.h"

#include <flint/flint.h>
#include <flint/fmpz.h>
#include <flint/fmpz_factor.h>
#include <flint/qsieve.h>

#include <mutex>

namespace {

// FLINT's sieve keeps its relations in a file of the working folder whose
// name two threads of one process may share: two sieves at once overwrite
// each other's file and crash. So they take turns.
std::mutex one_sieve_at_a_time;

} // namespace

bool sieve_find_divisor(mpz_t divisor, const mpz_t m, const method_call &)
{
    fmpz_t n;
    fmpz_init(n);
    fmpz_set_mpz(n, m);
    fmpz_factor_t found;
    fmpz_factor_init(found);
    {
        std::lock_guard<std::mutex> hold(one_sieve_at_a_time);
        qsieve_factor(found, n);
    }
    bool split = false;
    for (slong k = 0; k < found->num && !split; ++k) {
        fmpz_get_mpz(divisor, found->p + k);
        split = mpz_cmp_ui(divisor, 1) > 0 && mpz_cmp(divisor, m) < 0;
    }
    fmpz_factor_clear(found);
    fmpz_clear(n);
    return split;
}

void flint_thread_done()
{
    flint_cleanup();
}
