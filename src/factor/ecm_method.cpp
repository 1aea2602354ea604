// SPDX-License-Identifier: BSD-2-Clause
#include "factor/ecm_method.h"

#include <ecm.h>

bool ecm_run_level(mpz_t divisor, const mpz_t m, const ecm_level &level,
                   const curve_seed &seed_of_curve, const curve_watch &watch)
{
    ecm_params params;
    ecm_init(params);
    mpz_t n;
    mpz_init_set(n, m);
    bool found = false;
    for (int curve = 1; curve <= level.curves && !found; ++curve) {
        if (watch && !watch(level, curve))
            break;
        // Montgomery's parametrisation with stage 1 in batch, sigma in
        // [2, 2^32).
        params->param = ECM_PARAM_BATCH_SQUARE;
        mpz_set_ui(params->sigma, 2 + seed_of_curve(curve) % 0xfffffffdu);
        mpz_set_ui(params->x, 0);
        params->B1done = 1.0;
        int verdict = ecm_factor(divisor, n, level.b1, params);
        found = verdict > 0 && mpz_cmp_ui(divisor, 1) > 0 && mpz_cmp(divisor, m) < 0;
    }
    mpz_clear(n);
    ecm_clear(params);
    return found;
}
