// SPDX-License-Identifier: BSD-2-Clause
// The matrix power M^(N-1) mod N beside two yardsticks of the same size:
//   powm: one mpz_powm(3, N-1, N), the floor of any exponentiation method;
//   bare: the arithmetic the matrix power cannot avoid, as many products as
//         it makes, each 8 mpz_mul, 4 mpz_add and 4 mpz_mod on values made
//         beforehand;
//   fast: the same power by Cayley-Hamilton (brovanten-factor's), 3
//         multiplications per bit.
// bench/matrix_table.py turns the JSON output into the ratio table.
#include "engine/fast_power.h"
#include "engine/matrix.h"

#include <benchmark/benchmark.h>
#include <gmp.h>

namespace {

struct sized_numbers {
    mpz_t n, e;
    matrix2 m;
    gmp_randstate_t rand;

    explicit sized_numbers(unsigned long bits)
    {
        gmp_randinit_mt(rand);
        gmp_randseed_ui(rand, bits);
        mpz_inits(n, e, nullptr);
        mpz_urandomb(n, rand, bits);
        mpz_setbit(n, bits - 1);
        mpz_setbit(n, 0);
        mpz_sub_ui(e, n, 1);
        matrix_init(m);
        for (auto &v : m.x)
            mpz_set_ui(v, gmp_urandomm_ui(rand, 32768));
    }
    ~sized_numbers()
    {
        matrix_clear(m);
        mpz_clears(n, e, nullptr);
        gmp_randclear(rand);
    }
    // Squarings plus products by M for the exponent e.
    long products() const
    {
        return static_cast<long>(mpz_sizeinbase(e, 2) + mpz_popcount(e));
    }
};

void matrix_power(benchmark::State &state)
{
    sized_numbers s(state.range(0));
    matrix2 r;
    matrix_init(r);
    matrix_scratch scratch;
    matrix_scratch_init(scratch);
    for (auto _ : state) {
        matrix_pow_mod(r, s.m, s.e, s.n, scratch);
        benchmark::DoNotOptimize(r.x[0][0]._mp_d);
    }
    state.counters["products"] = static_cast<double>(s.products());
    matrix_scratch_clear(scratch);
    matrix_clear(r);
}

void fast_matrix_power(benchmark::State &state)
{
    sized_numbers s(state.range(0));
    matrix2 r;
    matrix_init(r);
    fast_power_scratch scratch;
    fast_power_scratch_init(scratch);
    for (auto _ : state) {
        fast_matrix_pow_mod(r, s.m, s.e, s.n, scratch);
        benchmark::DoNotOptimize(r.x[0][0]._mp_d);
    }
    fast_power_scratch_clear(scratch);
    matrix_clear(r);
}

void powm(benchmark::State &state)
{
    sized_numbers s(state.range(0));
    mpz_t base, r;
    mpz_init_set_ui(base, 3);
    mpz_init(r);
    for (auto _ : state) {
        mpz_powm(r, base, s.e, s.n);
        benchmark::DoNotOptimize(r[0]._mp_d);
    }
    mpz_clears(base, r, nullptr);
}

void bare_arithmetic(benchmark::State &state)
{
    sized_numbers s(state.range(0));
    mpz_t a[8], p, q, out[4];
    for (auto &v : a) {
        mpz_init(v);
        mpz_urandomm(v, s.rand, s.n);
    }
    mpz_inits(p, q, nullptr);
    for (auto &v : out)
        mpz_init(v);
    // Let every destination grow to its working size before timing.
    mpz_mul(p, a[0], a[1]);
    mpz_mul(q, a[2], a[3]);
    const long products = s.products();
    for (auto _ : state) {
        for (long k = 0; k < products; ++k) {
            for (int i = 0; i < 4; ++i) {
                mpz_mul(p, a[2 * i], a[(2 * i + 3) % 8]);
                mpz_mul(q, a[(2 * i + 1) % 8], a[(2 * i + 6) % 8]);
                mpz_add(p, p, q);
                mpz_mod(out[i], p, s.n);
            }
        }
        benchmark::DoNotOptimize(out[0][0]._mp_d);
    }
    state.counters["products"] = static_cast<double>(products);
    for (auto &v : a)
        mpz_clear(v);
    for (auto &v : out)
        mpz_clear(v);
    mpz_clears(p, q, nullptr);
}

void sizes(benchmark::internal::Benchmark *b)
{
    for (long bits : {256, 512, 1024, 2048, 4096, 8192})
        b->Arg(bits);
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(matrix_power)->Apply(sizes);
BENCHMARK(fast_matrix_power)->Apply(sizes);
BENCHMARK(powm)->Apply(sizes);
BENCHMARK(bare_arithmetic)->Apply(sizes);

BENCHMARK_MAIN();
