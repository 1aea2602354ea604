// SPDX-License-Identifier: BSD-2-Clause
#include "engine/small_primes.h"

namespace {

std::vector<unsigned long> sieve(unsigned long bound)
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

} // namespace

const std::vector<unsigned long> &small_primes()
{
    static const std::vector<unsigned long> primes = sieve(small_prime_bound);
    return primes;
}
