// SPDX-License-Identifier: BSD-2-Clause
#include "factor/rho.h"

#include "factor/rho_walk.h"

#include <algorithm>

void rho_scratch_init(rho_scratch &s)
{
    mpz_inits(s.x, s.y, s.ys, s.q, s.diff, s.g, nullptr);
}

void rho_scratch_clear(rho_scratch &s)
{
    mpz_clears(s.x, s.y, s.ys, s.q, s.diff, s.g, nullptr);
}

namespace {

inline void rho_step(mpz_t y, unsigned long c, const mpz_t m)
{
    mpz_mul(y, y, y);
    mpz_add_ui(y, y, c);
    mpz_mod(y, y, m);
}

// Brent's variant for one polynomial x^2 + c: true with a proper divisor,
// false when the cycle closed on m itself or the steps ran out.
bool brent(mpz_t divisor, const mpz_t m, unsigned long c, unsigned long max_steps, rho_scratch &s)
{
    const unsigned long batch = 128;
    mpz_set_ui(s.y, 2);
    mpz_set_ui(s.q, 1);
    mpz_set_ui(s.g, 1);
    unsigned long steps = 0;
    for (unsigned long r = 1; mpz_cmp_ui(s.g, 1) == 0 && steps < max_steps; r *= 2) {
        mpz_set(s.x, s.y);
        for (unsigned long i = 0; i < r; ++i)
            rho_step(s.y, c, m);
        steps += r;
        for (unsigned long k = 0; k < r && mpz_cmp_ui(s.g, 1) == 0; k += batch) {
            mpz_set(s.ys, s.y);
            for (unsigned long i = 0; i < std::min(batch, r - k); ++i) {
                rho_step(s.y, c, m);
                mpz_sub(s.diff, s.x, s.y);
                mpz_mul(s.q, s.q, s.diff);
                mpz_mod(s.q, s.q, m);
            }
            steps += std::min(batch, r - k);
            mpz_gcd(s.g, s.q, m);
        }
    }
    if (mpz_cmp(s.g, m) == 0) {
        // The batch overshot: walk it again one step at a time.
        do {
            rho_step(s.ys, c, m);
            mpz_sub(s.diff, s.x, s.ys);
            mpz_gcd(s.g, s.diff, m);
        } while (mpz_cmp_ui(s.g, 1) == 0);
    }
    if (mpz_cmp_ui(s.g, 1) == 0 || mpz_cmp(s.g, m) == 0)
        return false;
    mpz_set(divisor, s.g);
    return true;
}

} // namespace

bool rho_find_divisor(mpz_t divisor, const mpz_t m, unsigned long max_steps, rho_scratch &s)
{
    // A few polynomials share the steps; one that closes its cycle on m is
    // replaced by the next.
    const unsigned long polynomials = 4;
    if (mpz_sizeinbase(m, 2) <= 128 && mpz_odd_p(m)) {
        // About ten times faster than on GMP's numbers of two limbs.
        double_word_modulus dm;
        double_word_modulus_set(dm, double_word_from_mpz(m));
        double_word_ring ring{dm};
        u128 d;
        for (unsigned long c = 1; c <= polynomials; ++c) {
            if (brent_walk(d, ring, ring.add(dm.one, dm.one), c, max_steps / polynomials)) {
                double_word_to_mpz(divisor, d);
                return true;
            }
        }
        return false;
    }
    for (unsigned long c = 1; c <= polynomials; ++c)
        if (brent(divisor, m, c, max_steps / polynomials, s))
            return true;
    return false;
}
