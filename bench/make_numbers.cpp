// SPDX-License-Identifier: BSD-2-Clause
// Test numbers for the whole-run benchmark, deterministic from a seed.
//
//   make_numbers carmichael BITS SEED   prints N = (6k+1)(12k+1)(18k+1) of
//                                       exactly BITS bits with all three
//                                       factors prime, then the factors
//   make_numbers prime BITS SEED        prints a prime of exactly BITS bits
//
// Chernick's form: with p = 6k+1, q = 12k+1, r = 18k+1 all prime, N - 1 is a
// multiple of 36k, hence of p-1, q-1 and r-1, so N is a Carmichael number.
// Search: from a random k of the right size, a window of consecutive k is
// sieved so that none of the three factors has a prime divisor below
// sieve_limit; survivors get a base-2 Fermat test per factor, and a
// candidate whose three factors pass is confirmed with mpz_probab_prime_p.
// At 8192 bits each factor has about 2730 bits, and roughly one sieved k in
// a few hundred thousand gives three primes: minutes of work.
#include "engine/small_primes.h"

#include <gmp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr unsigned long sieve_limit = 1ul << 24;
constexpr unsigned long window = 1ul << 22;
const unsigned long multipliers[3] = {6, 12, 18};

unsigned long inverse_mod(unsigned long a, unsigned long p)
{
    long t = 0, new_t = 1, r = static_cast<long>(p), new_r = static_cast<long>(a % p);
    while (new_r != 0) {
        long q = r / new_r;
        long tmp = t - q * new_t;
        t = new_t;
        new_t = tmp;
        tmp = r - q * new_r;
        r = new_r;
        new_r = tmp;
    }
    return static_cast<unsigned long>(t < 0 ? t + static_cast<long>(p) : t);
}

// n = (6k+1)(12k+1)(18k+1).
void chernick(mpz_t n, mpz_t f[3], const mpz_t k)
{
    mpz_set_ui(n, 1);
    for (int i = 0; i < 3; ++i) {
        mpz_mul_ui(f[i], k, multipliers[i]);
        mpz_add_ui(f[i], f[i], 1);
        mpz_mul(n, n, f[i]);
    }
}

bool fermat_base_2(const mpz_t x, mpz_t scratch, const mpz_t two)
{
    mpz_sub_ui(scratch, x, 1);
    mpz_powm(scratch, two, scratch, x);
    return mpz_cmp_ui(scratch, 1) == 0;
}

int make_carmichael(unsigned long bits, gmp_randstate_t rand)
{
    const std::vector<unsigned long> primes = primes_below(sieve_limit);
    mpz_t n, k, kj, low, high, span, f[3], scratch, two;
    mpz_inits(n, k, kj, low, high, span, f[0], f[1], f[2], scratch, nullptr);
    mpz_init_set_ui(two, 2);

    // N grows with k, so the k that give exactly `bits` bits form one range
    // [low, high); cube roots give a start that the loops then correct.
    auto bound = [&](mpz_t out, unsigned long b) {
        mpz_set_ui(scratch, 1);
        mpz_mul_2exp(scratch, scratch, b);
        mpz_tdiv_q_ui(scratch, scratch, 1296);
        mpz_root(out, scratch, 3);
        for (;;) {
            chernick(n, f, out);
            if (mpz_sizeinbase(n, 2) > b)
                break;
            mpz_add_ui(out, out, 1);
        }
        while (mpz_sgn(out) > 0) {
            mpz_sub_ui(out, out, 1);
            chernick(n, f, out);
            if (mpz_sizeinbase(n, 2) <= b) {
                mpz_add_ui(out, out, 1);
                break;
            }
        }
    };
    bound(low, bits - 1);
    bound(high, bits);
    mpz_sub(span, high, low);
    if (mpz_cmp_ui(span, window) < 0) {
        std::fprintf(stderr, "make_numbers: %lu bits is too small\n", bits);
        return 1;
    }

    std::vector<unsigned char> struck(window);
    for (;;) {
        mpz_urandomm(k, rand, span);
        mpz_add(k, k, low);
        std::fill(struck.begin(), struck.end(), 0);
        for (unsigned long p : primes) {
            if (p < 5)
                continue; // 6k+1, 12k+1, 18k+1 are never even or multiples of 3
            unsigned long k_mod = mpz_fdiv_ui(k, p);
            for (unsigned long m : multipliers) {
                // m(k + j) + 1 = 0 (mod p)  <=>  j = -1/m - k (mod p)
                unsigned long root = p - inverse_mod(m, p);
                unsigned long j = (root + p - k_mod) % p;
                for (; j < window; j += p)
                    struck[j] = 1;
            }
        }
        for (unsigned long j = 0; j < window; ++j) {
            if (struck[j])
                continue;
            mpz_add_ui(kj, k, j);
            chernick(n, f, kj);
            if (mpz_sizeinbase(n, 2) != bits)
                break;
            if (!fermat_base_2(f[0], scratch, two) || !fermat_base_2(f[1], scratch, two) ||
                !fermat_base_2(f[2], scratch, two))
                continue;
            if (mpz_probab_prime_p(f[0], 25) && mpz_probab_prime_p(f[1], 25) &&
                mpz_probab_prime_p(f[2], 25)) {
                gmp_printf("%Zd\n%Zd %Zd %Zd\n", n, f[0], f[1], f[2]);
                return 0;
            }
        }
    }
}

int make_prime(unsigned long bits, gmp_randstate_t rand)
{
    mpz_t n;
    mpz_init(n);
    do {
        mpz_urandomb(n, rand, bits);
        mpz_setbit(n, bits - 1);
        mpz_nextprime(n, n);
    } while (mpz_sizeinbase(n, 2) != bits);
    gmp_printf("%Zd\n", n);
    mpz_clear(n);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "carmichael") != 0 && std::strcmp(argv[1], "prime") != 0)) {
        std::fprintf(stderr, "usage: make_numbers carmichael|prime BITS SEED\n");
        return 2;
    }
    unsigned long bits = std::strtoul(argv[2], nullptr, 10);
    // From 128 bits up every factor is above the sieve limit, so the sieve
    // never strikes a k whose factor is itself a sieving prime.
    if (bits < 128) {
        std::fprintf(stderr, "make_numbers: BITS must be at least 128\n");
        return 2;
    }
    gmp_randstate_t rand;
    gmp_randinit_mt(rand);
    gmp_randseed_ui(rand, std::strtoul(argv[3], nullptr, 10));
    return std::strcmp(argv[1], "prime") == 0 ? make_prime(bits, rand) : make_carmichael(bits, rand);
}
