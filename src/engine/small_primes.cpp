// SPDX-License-Identifier: BSD-2-Clause
#include "engine/small_primes.h"

std::vector<unsigned long> primes_below(unsigned long bound)
{
    std::vector<bool> composite(bound, false);
    std::vector<unsigned long> primes;
    for (unsigned long i = 2; i < bound; ++i) {
        if (composite[i])
            continue;
        primes.push_back(i);
        for (unsigned long j = i * i; j < bound; j += i)
            composite[j] = true;
    }
    return primes;
}

const std::vector<unsigned long> &small_primes()
{
    static const std::vector<unsigned long> primes = primes_below(small_prime_bound);
    return primes;
}

unsigned long next_small_prime_divisor(const mpz_t n, std::size_t &from)
{
    const std::vector<unsigned long> &primes = small_primes();
    while (from < primes.size()) {
        unsigned long p = primes[from++];
        if (mpz_divisible_ui_p(n, p))
            return p;
    }
    return 0;
}

unsigned long next_small_prime_divisor_below_root(const mpz_t n, std::size_t &from)
{
    const std::vector<unsigned long> &primes = small_primes();
    if (!mpz_fits_ulong_p(n))
        return next_small_prime_divisor(n, from); // above 2^64 > every p^2
    const unsigned long value = mpz_get_ui(n);
    while (from < primes.size()) {
        unsigned long p = primes[from];
        if (p > value / p)
            return 0;
        ++from;
        if (value % p == 0)
            return p;
    }
    return 0;
}
