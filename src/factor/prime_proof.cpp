// SPDX-License-Identifier: BSD-2-Clause
#include "factor/prime_proof.h"

#include "factor/word_prime.h"

#include <flint/aprcl.h>
#include <flint/fmpz.h>
#include <flint/ulong_extras.h>

#include <vector>

namespace {

// No composite below it passes strong tests to all of 2, 3, ..., 41.
const char first_primes_bound[] = "3317044064679887385961981";
const unsigned long first_primes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41};

constexpr unsigned long pocklington_trial_limit = 100000;

// The strong test of odd p > 41 to base a.
bool strong_test(const mpz_t p, unsigned long a)
{
    mpz_t d, x, minus_one;
    mpz_inits(d, x, minus_one, nullptr);
    mpz_sub_ui(minus_one, p, 1);
    mp_bitcnt_t s = mpz_scan1(minus_one, 0);
    mpz_tdiv_q_2exp(d, minus_one, s);
    mpz_set_ui(x, a);
    mpz_powm(x, x, d, p);
    bool passed = mpz_cmp_ui(x, 1) == 0 || mpz_cmp(x, minus_one) == 0;
    for (mp_bitcnt_t k = 1; k < s && !passed; ++k) {
        mpz_powm_ui(x, x, 2, p);
        if (mpz_cmp_ui(x, 1) == 0)
            break;
        passed = mpz_cmp(x, minus_one) == 0;
    }
    mpz_clears(d, x, minus_one, nullptr);
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
        if (mpz_even_p(p))
            return prime_proof::failed;
        for (unsigned long a : first_primes)
            if (!strong_test(p, a))
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
