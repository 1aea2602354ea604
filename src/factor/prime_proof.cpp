// SPDX-License-Identifier: BSD-2-Clause
#include "factor/prime_proof.h"

#include "factor/miller_rabin.h"
#include "factor/word_prime.h"

#include <flint/aprcl.h>
#include <flint/flint.h>
#include <flint/fmpz.h>
#include <flint/ulong_extras.h>

#include <vector>

namespace {

// No composite below it passes strong tests to all of 2, 3, ..., 41.
const char first_primes_bound[] = "3317044064679887385961981";
const unsigned long first_primes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41};

constexpr unsigned long pocklington_trial_limit = 100000;

// Whether the odd p > 41 passes the strong tests to the primes up to 41.
bool passes_first_primes(const mpz_t p)
{
    mpz_t minus_one, odd, x;
    mpz_inits(minus_one, odd, x, nullptr);
    mpz_sub_ui(minus_one, p, 1);
    mp_bitcnt_t twos = mpz_scan1(minus_one, 0);
    mpz_tdiv_q_2exp(odd, minus_one, twos);
    bool passed = true;
    for (unsigned long a : first_primes)
        passed = passed && miller_rabin_passes(p, a, minus_one, odd, twos, x);
    mpz_clears(minus_one, odd, x, nullptr);
    return passed;
}

// 1: proven prime; 0: composite; -1: too little of p - 1 factored.
int pocklington(const fmpz_t p)
{
    std::vector<mp_limb_t> primes(n_prime_pi(pocklington_trial_limit) + 1);
    slong count = 0;
    _fmpz_nm1_trial_factors(p, primes.data(), &count, pocklington_trial_limit);
    fmpz_t factored, rest, square;
    fmpz_init(factored);
    fmpz_init(rest);
    fmpz_init(square);
    // It says 1 when every prime factor of p is 1 mod F, the factored
    // part of p - 1: a proof only once F^2 > p.
    int verdict = fmpz_is_prime_pocklington(factored, rest, p, primes.data(), count);
    fmpz_mul(square, factored, factored);
    if (verdict == 1 && fmpz_cmp(square, p) <= 0)
        verdict = -1;
    fmpz_clear(square);
    fmpz_clear(rest);
    fmpz_clear(factored);
    return verdict;
}

} // namespace

const char *prime_proof_name(prime_proof how)
{
    switch (how) {
    case prime_proof::word_bases:
        return "strong tests to bases with no liar below 2^64";
    case prime_proof::first_primes:
        return "strong tests to the primes up to 41, with no common liar below 3.3e24";
    case prime_proof::pocklington:
        return "Pocklington's test on p - 1";
    case prime_proof::aprcl:
        return "APR-CL";
    case prime_proof::failed:
        break;
    }
    return "no proof";
}

prime_proof prove_prime(const mpz_t p)
{
    if (mpz_fits_ulong_p(p))
        return word_is_prime(mpz_get_ui(p)) ? prime_proof::word_bases : prime_proof::failed;
    mpz_t bound;
    mpz_init_set_str(bound, first_primes_bound, 10);
    bool small = mpz_cmp(p, bound) < 0;
    mpz_clear(bound);
    if (small) {
        if (mpz_even_p(p) || !passes_first_primes(p))
            return prime_proof::failed;
        return prime_proof::first_primes;
    }
    fmpz_t f;
    fmpz_init(f);
    fmpz_set_mpz(f, p);
    prime_proof how = prime_proof::failed;
    if (fmpz_is_even(f)) {
        how = prime_proof::failed;
    } else if (int verdict = pocklington(f); verdict >= 0) {
        how = verdict == 1 ? prime_proof::pocklington : prime_proof::failed;
    } else {
        how = aprcl_is_prime(f) ? prime_proof::aprcl : prime_proof::failed;
    }
    fmpz_clear(f);
    return how;
}

void flint_thread_done()
{
    flint_cleanup();
}
