// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_budget.h"

factor_budget budget_for_effort(int effort)
{
    factor_budget budget = default_budget;
    budget.ecm_digits = effort;
    if (effort == 0) {
        budget.pm1_b1 = 0;
        budget.pp1_b1 = 0;
        budget.sieve_digits = 0;
    }
    return budget;
}
