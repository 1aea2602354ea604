// SPDX-License-Identifier: BSD-2-Clause
// The yardstick for brovanten-factor: the strong-pseudoprime method alone,
// written with care; of the project it takes only the list of small primes.
//
//   spsp_refine [--seed S] [N ...]   (or one number per line on standard input)
//
// For each N: trial division by the primes below 100000, perfect powers,
// then on each composite part m strong tests with the exponent
// N - 1 = 2^s * t: a random base a and gcd(a^(t*2^j) - 1, m) for every j.
// Every divisor found refines a list of pairwise coprime parts by gcds. A
// part is prime when mpz_probab_prime_p (Baillie-PSW) says so; a part that
// 32 bases do not split is printed in brackets. Output as coreutils factor.
#include "engine/small_primes.h"

#include <gmp.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct part {
    mpz_t v;
    unsigned long power;
    int tries; // strong tests so far; -1 once prime
};

std::vector<part> parts;
mpz_t g, a, x, t, e;
gmp_randstate_t rand_state;

void add(const mpz_t v, unsigned long power)
{
    part p;
    mpz_init_set(p.v, v);
    p.power = power;
    p.tries = 0;
    parts.push_back(p);
}

// Pairwise coprime again: u, v sharing g become u/g, v/g and g.
void coprime()
{
    for (bool again = true; again;) {
        again = false;
        for (std::size_t i = 0; i < parts.size() && !again; ++i)
            for (std::size_t j = i + 1; j < parts.size() && !again; ++j) {
                mpz_gcd(g, parts[i].v, parts[j].v);
                if (mpz_cmp_ui(g, 1) == 0)
                    continue;
                unsigned long power = parts[i].power + parts[j].power;
                bool prime = parts[i].tries < 0 && mpz_cmp(g, parts[i].v) == 0;
                mpz_divexact(parts[i].v, parts[i].v, g);
                mpz_divexact(parts[j].v, parts[j].v, g);
                parts[i].tries = parts[j].tries = 0;
                add(g, power);
                parts.back().tries = prime ? -1 : 0;
                for (std::size_t k = parts.size(); k-- > 0;)
                    if (mpz_cmp_ui(parts[k].v, 1) == 0) {
                        mpz_clear(parts[k].v);
                        parts.erase(parts.begin() + static_cast<long>(k));
                    }
                again = true;
            }
    }
}

void split_by(const mpz_t d)
{
    for (std::size_t i = 0, n = parts.size(); i < n; ++i) {
        mpz_gcd(g, parts[i].v, d);
        if (mpz_cmp_ui(g, 1) == 0 || mpz_cmp(g, parts[i].v) == 0)
            continue;
        mpz_divexact(parts[i].v, parts[i].v, g);
        parts[i].tries = 0;
        add(g, parts[i].power);
    }
    coprime();
}

void factor(const mpz_t n)
{
    for (auto &p : parts)
        mpz_clear(p.v);
    parts.clear();
    if (mpz_cmp_ui(n, 1) <= 0)
        return;
    mpz_set(x, n);
    for (unsigned long p : small_primes()) {
        if (mpz_divisible_ui_p(x, p)) {
            mpz_set_ui(g, p);
            unsigned long k = mpz_remove(x, x, g);
            add(g, k);
            parts.back().tries = -1;
        }
    }
    if (mpz_cmp_ui(x, 1) > 0)
        add(x, 1);
    mpz_sub_ui(e, n, 1);
    unsigned long s = mpz_scan1(e, 0);
    mpz_tdiv_q_2exp(t, e, s);

    for (std::size_t i = 0; i < parts.size();) {
        part &p = parts[i];
        if (p.tries < 0 || p.tries >= 32) {
            ++i;
            continue;
        }
        if (p.tries == 0 && mpz_probab_prime_p(p.v, 25)) {
            p.tries = -1;
            continue;
        }
        if (p.tries == 0 && mpz_perfect_power_p(p.v)) {
            for (unsigned long k = mpz_sizeinbase(p.v, 2) / 16 + 1; k >= 2; --k)
                if (mpz_root(g, p.v, k)) {
                    mpz_set(p.v, g);
                    p.power *= k;
                    break;
                }
            coprime();
            i = 0;
            continue;
        }
        ++p.tries;
        mpz_sub_ui(g, p.v, 3);
        mpz_urandomm(a, rand_state, g);
        mpz_add_ui(a, a, 2);
        mpz_powm(x, a, t, p.v);
        std::vector<std::string> found;
        for (unsigned long j = 0; j <= s && mpz_cmp_ui(x, 1) != 0; ++j) {
            mpz_sub_ui(g, x, 1);
            mpz_gcd(g, g, p.v);
            if (mpz_cmp_ui(g, 1) > 0 && mpz_cmp(g, p.v) < 0) {
                char *text = mpz_get_str(nullptr, 10, g);
                found.push_back(text);
                free(text);
            }
            mpz_powm_ui(x, x, 2, p.v);
        }
        for (const auto &f : found) {
            mpz_set_str(a, f.c_str(), 10);
            split_by(a);
        }
        if (!found.empty())
            i = 0;
    }
}

void print(const mpz_t n)
{
    std::sort(parts.begin(), parts.end(), [](const part &u, const part &v) { return mpz_cmp(u.v, v.v) < 0; });
    mpz_out_str(stdout, 10, n);
    std::fputc(':', stdout);
    for (const auto &p : parts)
        for (unsigned long k = 0; k < p.power; ++k)
            gmp_printf(p.tries < 0 ? " %Zd" : " [%Zd]", p.v);
    std::fputc('\n', stdout);
}

} // namespace

int main(int argc, char **argv)
{
    mpz_inits(g, a, x, t, e, nullptr);
    gmp_randinit_mt(rand_state);
    unsigned long seed = 1;
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--seed") {
        seed = std::stoul(argv[2]);
        first = 3;
    }
    mpz_t n;
    mpz_init(n);
    std::vector<std::string> inputs(argv + first, argv + argc);
    std::string line;
    if (inputs.empty())
        while (std::getline(std::cin, line))
            if (!line.empty())
                inputs.push_back(line);
    for (const auto &text : inputs) {
        if (mpz_set_str(n, text.c_str(), 10) != 0 || mpz_sgn(n) < 0) {
            std::fprintf(stderr, "spsp_refine: bad input\n");
            return 2;
        }
        gmp_randseed_ui(rand_state, seed);
        factor(n);
        print(n);
    }
    return 0;
}
