// SPDX-License-Identifier: BSD-2-Clause
// Carmichael numbers of many prime factors and of any size, deterministic
// from a seed, for the benchmark of one large number on several threads
// (Chernick numbers of tens of thousands of bits are out of reach: three
// simultaneous primes of 5000 bits and more take days to find).
//
//   make_erdos BITS SEED   prints N, of BITS bits give or take 60, then its
//                          prime factors on one line
//
// Erdos's construction: with L = 2^6 3^3 5^2 7 11 13 17 19 23 29 31 (48 bits)
// every prime p with p - 1 | L has its order dividing L, so a product N of
// such primes with N = 1 (mod L) is a Carmichael number (Korselt). The pool
// is the primes p = d + 1 > 2^20 for the divisors d of L: 2939 primes of
// 21 to 48 bits. A random subset S is taken, and a pair {p, q} outside it
// with p q = (prod S)^-1 (mod L) is looked up in the sorted table of all
// pair products; on a miss one member of S is swapped for a prime of about
// its size. phi(L) is about 2^45 and there are 2^22 pairs, so some 2^23
// swaps find one: seconds.
#include <gmp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using u64 = std::uint64_t;
__extension__ using u128 = unsigned __int128;

constexpr u64 prime_powers[][2] = {{2, 6},  {3, 3},  {5, 2},  {7, 1},  {11, 1}, {13, 1},
                                   {17, 1}, {19, 1}, {23, 1}, {29, 1}, {31, 1}};

u64 mul_mod(u64 a, u64 b, u64 m)
{
    return static_cast<u64>(static_cast<u128>(a) * b % m);
}

u64 inverse_mod(u64 a, u64 m)
{
    // |t| stays below m < 2^63.
    long long t = 0, new_t = 1, r = static_cast<long long>(m), new_r = static_cast<long long>(a % m);
    while (new_r != 0) {
        long long q = r / new_r, tmp = t - q * new_t;
        t = new_t;
        new_t = tmp;
        tmp = r - q * new_r;
        r = new_r;
        new_r = tmp;
    }
    return static_cast<u64>(t < 0 ? t + static_cast<long long>(m) : t);
}

struct pair_entry {
    u64 product;
    std::uint32_t i, j;
    bool operator<(const pair_entry &o) const { return product < o.product; }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_erdos BITS SEED\n");
        return 2;
    }
    const double bits = std::strtod(argv[1], nullptr);
    std::mt19937_64 random(std::strtoull(argv[2], nullptr, 10));

    u64 L = 1;
    std::vector<u64> divisors{1};
    for (const auto &qe : prime_powers) {
        std::vector<u64> next;
        u64 power = 1;
        for (u64 k = 0; k <= qe[1]; ++k, power *= qe[0])
            for (u64 d : divisors)
                next.push_back(d * power);
        divisors.swap(next);
        for (u64 k = 0; k < qe[1]; ++k)
            L *= qe[0];
    }
    mpz_t z;
    mpz_init(z);
    std::vector<u64> pool;
    for (u64 d : divisors) {
        mpz_set_ui(z, d + 1);
        if (d + 1 > (1u << 20) && mpz_probab_prime_p(z, 30) > 0)
            pool.push_back(d + 1);
    }
    std::sort(pool.begin(), pool.end()); // by size, for swaps of like size
    const std::size_t n = pool.size();
    std::vector<u64> inverse(n);
    std::vector<double> size(n);
    for (std::size_t i = 0; i < n; ++i) {
        inverse[i] = inverse_mod(pool[i] % L, L);
        size[i] = std::log2(static_cast<double>(pool[i]));
    }

    std::vector<pair_entry> pairs;
    pairs.reserve(n * (n - 1) / 2);
    for (std::uint32_t i = 0; i < n; ++i)
        for (std::uint32_t j = i + 1; j < n; ++j)
            pairs.push_back({mul_mod(pool[i], pool[j], L), i, j});
    std::sort(pairs.begin(), pairs.end());

    // S: random primes until about two average primes short of the size.
    std::vector<bool> in_s(n, false);
    std::vector<std::size_t> s;
    double s_bits = 0, mean = 0;
    for (double b : size)
        mean += b / static_cast<double>(n);
    std::uniform_int_distribution<std::size_t> any(0, n - 1);
    while (s_bits < bits - 2 * mean) {
        std::size_t k = any(random);
        if (in_s[k])
            continue;
        in_s[k] = true;
        s.push_back(k);
        s_bits += size[k];
    }
    if (s.size() + 2 > n) {
        std::fprintf(stderr, "make_erdos: %g bits need more primes than the pool has\n", bits);
        return 1;
    }
    u64 product = 1;
    for (std::size_t k : s)
        product = mul_mod(product, pool[k] % L, L);

    for (;;) {
        u64 target = inverse_mod(product, L);
        auto hit = std::lower_bound(pairs.begin(), pairs.end(), pair_entry{target, 0, 0});
        for (; hit != pairs.end() && hit->product == target; ++hit) {
            double total = s_bits + size[hit->i] + size[hit->j];
            if (in_s[hit->i] || in_s[hit->j] || std::fabs(total - bits) > 60)
                continue;
            std::vector<u64> primes;
            for (std::size_t k : s)
                primes.push_back(pool[k]);
            primes.push_back(pool[hit->i]);
            primes.push_back(pool[hit->j]);
            std::sort(primes.begin(), primes.end());
            mpz_set_ui(z, 1);
            for (u64 p : primes)
                mpz_mul_ui(z, z, p);
            if (mpz_fdiv_ui(z, L) != 1) {
                std::fprintf(stderr, "make_erdos: N is not 1 mod L\n");
                return 1;
            }
            mpz_out_str(stdout, 10, z);
            std::putchar('\n');
            for (std::size_t k = 0; k < primes.size(); ++k)
                std::printf(k == 0 ? "%llu" : " %llu", static_cast<unsigned long long>(primes[k]));
            std::putchar('\n');
            mpz_clear(z);
            return 0;
        }
        // Swap a member of S for a prime near it in size that is not in S.
        std::size_t out_at = std::uniform_int_distribution<std::size_t>(0, s.size() - 1)(random);
        std::size_t x = s[out_at];
        std::size_t y = x;
        for (int tries = 0; tries < 64 && in_s[y]; ++tries) {
            long step = std::uniform_int_distribution<long>(-16, 16)(random);
            long at = static_cast<long>(x) + step;
            y = static_cast<std::size_t>(std::clamp(at, 0l, static_cast<long>(n - 1)));
        }
        if (in_s[y])
            continue;
        in_s[x] = false;
        in_s[y] = true;
        s[out_at] = y;
        s_bits += size[y] - size[x];
        product = mul_mod(mul_mod(product, inverse[x], L), pool[y] % L, L);
    }
}
