// SPDX-License-Identifier: BSD-2-Clause
#include "factor/kind.h"

#include "engine/screening.h"
#include "engine/small_primes.h"
#include "factor/miller_rabin.h"
#include "report/number_text.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

void kind_scratch_init(kind_scratch &s)
{
    mpz_inits(s.n_minus_1, s.n_plus_1, s.odd, s.g, s.x, s.count, s.phi, s.product, s.base,
              nullptr);
}

void kind_scratch_clear(kind_scratch &s)
{
    mpz_clears(s.n_minus_1, s.n_plus_1, s.odd, s.g, s.x, s.count, s.phi, s.product, s.base,
               nullptr);
}

namespace {

// The prime bases below the bound, prime to n, for which n passes each test.
void pseudoprime_bases(number_kind &k, const mpz_t n, kind_scratch &s)
{
    bool odd = mpz_odd_p(n);
    unsigned long twos = mpz_scan1(s.n_minus_1, 0);
    bool fermat_run = true, strong_run = true;
    for (unsigned long p : small_primes()) {
        if (p >= k.base_bound)
            break;
        bool fermat = false, strong = false;
        if (!mpz_divisible_ui_p(n, p)) {
            mpz_set_ui(s.base, p);
            mpz_powm(s.x, s.base, s.n_minus_1, n);
            fermat = mpz_cmp_ui(s.x, 1) == 0;
            // For an even n, n - 1 is odd and the strong test is the Fermat test.
            strong = odd ? miller_rabin_passes(n, p, s.n_minus_1, s.odd, twos, s.x) : fermat;
        }
        if (fermat)
            k.fermat_bases.push_back(p);
        if (strong)
            k.strong_bases.push_back(p);
        fermat_run = fermat_run && fermat;
        strong_run = strong_run && strong;
        if (fermat_run)
            k.fermat_run = p;
        if (strong_run)
            k.strong_run = p;
    }
}

void screening(number_kind &k, const mpz_t n, kind_scratch &s)
{
    if (unsigned long d = screening_divisor(n)) {
        k.passes_screening = false;
        k.screening_why = "divisible by " + std::to_string(d);
        return;
    }
    k.passes_screening = screening_passes_base_3(n, s.x);
    if (!k.passes_screening)
        k.screening_why = "3^N mod N is not 3";
}

// Korselt's and the Lucas-Carmichael criteria over the known parts: a part
// that breaks one decides it; otherwise it holds only if every part is known.
void criteria(number_kind &k, const mpz_t n, const std::vector<factor_part> &parts, bool complete,
              kind_scratch &s)
{
    k.squarefree = complete ? verdict::yes : verdict::unknown;
    k.carmichael = k.composite && complete ? verdict::yes : verdict::unknown;
    k.lucas_carmichael = k.composite && complete && mpz_odd_p(n) ? verdict::yes : verdict::unknown;
    if (k.composite && mpz_even_p(n)) {
        k.lucas_carmichael = verdict::no;
        k.lucas_why = "N is even";
    }
    for (const auto &p : parts) {
        std::string value = decimal_text(p.value);
        if (p.power > 1) {
            k.squarefree = verdict::no;
            std::string why = value + "^2 divides N";
            if (k.carmichael != verdict::no) {
                k.carmichael = verdict::no;
                k.carmichael_why = why;
            }
            if (k.lucas_carmichael != verdict::no) {
                k.lucas_carmichael = verdict::no;
                k.lucas_why = why;
            }
        }
        if (p.state != part_state::prime)
            continue;
        mpz_sub_ui(s.g, p.value, 1);
        if (k.carmichael != verdict::no && !mpz_divisible_p(s.n_minus_1, s.g)) {
            k.carmichael = verdict::no;
            k.carmichael_why = value + " - 1 does not divide N - 1";
        }
        mpz_add_ui(s.g, p.value, 1);
        if (k.lucas_carmichael != verdict::no && !mpz_divisible_p(s.n_plus_1, s.g)) {
            k.lucas_carmichael = verdict::no;
            k.lucas_why = value + " + 1 does not divide N + 1";
        }
    }
}

// part / whole as a double, without turning either into a double first:
// counts above 2^1024 would be infinite, and their quotient NaN. The
// mantissas are cut to 53 bits as mpz_get_d cuts them, so where both
// counts fit a double the quotient is the same as theirs.
double share_of(const mpz_t part, const mpz_t whole)
{
    long part_twos = 0, whole_twos = 0;
    double p = mpz_get_d_2exp(&part_twos, part);
    double w = mpz_get_d_2exp(&whole_twos, whole);
    return std::ldexp(p / w, static_cast<int>(part_twos - whole_twos));
}

// 100 part / whole as printf's "%.4g" prints it, and a percent sign. A
// share below the normal doubles (a few liars of a number of thousands of
// bits) is printed from a GMP float, whose exponent has no such bound.
std::string share_text(const mpz_t part, const mpz_t whole)
{
    char text[48];
    double percent = 100 * share_of(part, whole);
    if (percent >= DBL_MIN) {
        std::snprintf(text, sizeof text, "%.4g%%", percent);
        return text;
    }
    mpf_t x, y;
    mpf_init2(x, 128);
    mpf_init2(y, 128);
    mpf_set_z(x, part);
    mpf_set_z(y, whole);
    mpf_div(x, x, y);
    mpf_mul_ui(x, x, 100);
    gmp_snprintf(text, sizeof text, "%.4Fg%%", x);
    mpf_clears(x, y, nullptr);
    return text;
}

// phi(N), the Fermat liars and the strong liars, from a complete factorisation.
void liars(number_kind &k, const mpz_t n, const std::vector<factor_part> &parts, kind_scratch &s)
{
    mpz_set_ui(s.phi, 1);
    mpz_set_ui(s.count, 1);    // Fermat liars
    mpz_set_ui(s.product, 1);  // prod gcd(d, di)
    unsigned long least_twos = mpz_scan1(s.n_minus_1, 0);
    for (const auto &p : parts) {
        mpz_sub_ui(s.g, p.value, 1);
        mpz_mul(s.phi, s.phi, s.g);
        mpz_pow_ui(s.x, p.value, p.power - 1);
        mpz_mul(s.phi, s.phi, s.x);
        mpz_gcd(s.x, s.g, s.n_minus_1);
        mpz_mul(s.count, s.count, s.x);
        if (mpz_sgn(s.g) > 0) {
            unsigned long p_twos = mpz_scan1(s.g, 0);
            least_twos = std::min(least_twos, p_twos);
            mpz_tdiv_q_2exp(s.g, s.g, p_twos);
            mpz_gcd(s.x, s.g, s.odd);
            mpz_mul(s.product, s.product, s.x);
        }
    }
    k.phi = decimal_text(s.phi);
    k.fermat_liars = decimal_text(s.count);
    k.fermat_share = share_of(s.count, s.phi);
    k.fermat_share_text = share_text(s.count, s.phi);
    if (mpz_even_p(n)) {
        // N - 1 is odd: the strong test is the Fermat test.
        k.strong_liars = k.fermat_liars;
        k.strong_share = k.fermat_share;
        k.strong_share_text = k.fermat_share_text;
    } else {
        // 1 + (2^(kv) - 1) / (2^k - 1), by the sum 1 + 2^k + ... + 2^(k(v-1)).
        unsigned long primes = parts.size();
        mpz_set_ui(s.x, 1);
        mpz_set_ui(s.g, 1);
        for (unsigned long i = 1; i < least_twos; ++i) {
            mpz_mul_2exp(s.g, s.g, primes);
            mpz_add(s.x, s.x, s.g);
        }
        if (least_twos > 0)
            mpz_add_ui(s.x, s.x, 1);
        mpz_mul(s.x, s.x, s.product);
        k.strong_liars = decimal_text(s.x);
        k.strong_share = share_of(s.x, s.phi);
        k.strong_share_text = share_text(s.x, s.phi);
    }
}

std::string list(const std::vector<unsigned long> &bases)
{
    if (bases.empty())
        return "none";
    std::string text;
    for (unsigned long b : bases)
        text += (text.empty() ? "" : " ") + std::to_string(b);
    return text;
}

std::string run(unsigned long last)
{
    return last == 0 ? "none" : base_run_text(last);
}

std::string criterion(const char *name, verdict v, const std::string &why)
{
    switch (v) {
    case verdict::yes:
        return name;
    case verdict::no:
        return std::string("not ") + name + " (" + why + ")";
    case verdict::unknown:
        break;
    }
    return std::string(name) + ": unknown";
}

} // namespace

std::string base_run_text(unsigned long last)
{
    if (last == 0)
        return "";
    return last == 2 ? "2" : "2.." + std::to_string(last);
}

void classify(number_kind &k, const mpz_t n, const std::vector<factor_part> &parts, bool complete,
              unsigned long base_bound, kind_scratch &s)
{
    k = number_kind{};
    k.base_bound = base_bound;
    k.prime = complete && parts.size() == 1 && parts[0].power == 1;
    k.composite = mpz_cmp_ui(n, 1) > 0 && !k.prime;
    if (mpz_cmp_ui(n, 1) <= 0)
        return;
    mpz_sub_ui(s.n_minus_1, n, 1);
    mpz_add_ui(s.n_plus_1, n, 1);
    // N - 1 = 2^s * odd, for the strong tests and Monier's formula.
    mpz_tdiv_q_2exp(s.odd, s.n_minus_1, mpz_scan1(s.n_minus_1, 0));
    screening(k, n, s);
    if (!k.composite)
        return;
    criteria(k, n, parts, complete, s);
    if (complete)
        liars(k, n, parts, s);
    pseudoprime_bases(k, n, s);
}

std::string kind_line(const mpz_t n, const number_kind &k)
{
    std::string line = "kind of ";
    append_decimal(line, n);
    line += ": ";
    if (mpz_cmp_ui(n, 1) <= 0)
        return line + (mpz_sgn(n) == 0 ? "zero" : "one") + ", neither prime nor composite\n";
    std::string screen = k.passes_screening ? "passes the screening"
                                            : "fails the screening (" + k.screening_why + ")";
    if (k.prime)
        return line + "prime; " + screen + "\n";
    line += "composite; ";
    line += k.squarefree == verdict::yes ? "squarefree"
            : k.squarefree == verdict::no ? "not squarefree"
                                          : "squarefree: unknown";
    line += "; " + criterion("Carmichael", k.carmichael, k.carmichael_why);
    line += "; " + criterion("Lucas-Carmichael", k.lucas_carmichael, k.lucas_why);
    if (!k.phi.empty()) {
        line += "; Fermat liars " + k.fermat_liars + " of phi(N) = " + k.phi + " (" +
                k.fermat_share_text + ")";
        line += "; strong liars " + k.strong_liars + " (" + k.strong_share_text + ")";
    } else {
        line += "; liars: unknown";
    }
    std::string below = " of the prime bases below " + std::to_string(k.base_bound);
    line += "; Fermat pseudoprime to bases " + run(k.fermat_run) + " (" + list(k.fermat_bases) +
            below + ")";
    line += "; strong pseudoprime to bases " + run(k.strong_run) + " (" + list(k.strong_bases) +
            below + ")";
    return line + "; " + screen + "\n";
}
