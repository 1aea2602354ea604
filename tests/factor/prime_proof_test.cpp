// SPDX-License-Identifier: BSD-2-Clause
// --prove: each kind of proof on primes that PARI/GP's isprime() proves,
// composites that strong tests to base 2 (and more) let through, and a
// proof that fails, put in through the job's prover, which must leave the
// prime in brackets with a message and status 1.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/number_job.h"
#include "factor/prime_proof.h"

#include <gtest/gtest.h>

namespace {

const std::string p300 = // nextprime(2^300); p - 1 has a 99-bit prime factor
    "2037035976334486086268445688409378161051468393665936250636140449354381299763336706183397533";
const std::string mersenne_127 = "170141183460469231731687303715884105727";

struct proof_case {
    const char *name;
    std::string n;
    prime_proof expected;
};

TEST(prime_proof, each_kind_of_proof_and_composites_that_pass_strong_tests)
{
    const proof_case cases[] = {
        {"the smallest prime", "2", prime_proof::word_bases},
        {"the largest prime below 2^64", "18446744073709551557", prime_proof::word_bases},
        {"the first prime above 2^64", "18446744073709551629", prime_proof::first_primes},
        {"2^127 - 1, whose p - 1 splits over small primes", mersenne_127, prime_proof::pocklington},
        {"a 301-bit prime", p300, prime_proof::aprcl},
        // A strong liar to every prime base up to 41: exactly the bound of
        // the first-primes proof, so the next proof must see through it.
        {"psi_13", "3317044064679887385961981", prime_proof::failed},
        {"a strong pseudoprime to base 2 below 2^64", "3825123056546413051", prime_proof::failed},
        // 1299709 * nextprime(2^100): an odd composite above that bound.
        {"an odd composite above 3.3e24", "1647576893972031807189878626716054977", prime_proof::failed},
    };
    for (const proof_case &c : cases) {
        big n(c.n);
        EXPECT_EQ(prove_prime(n), c.expected) << c.name;
    }
}

// Every prime printed is proven, and -v names the proof of each.
TEST(prime_proof, verbose_names_each_proof)
{
    cli_result r = run_factor({"--prove", "-v", "6", "18446744073709551629", mersenne_127, p300});
    EXPECT_EQ(r.out, "6: 2 3\n18446744073709551629: 18446744073709551629\n" + mersenne_127 + ": " +
                         mersenne_127 + "\n" + p300 + ": " + p300 + "\n");
    EXPECT_EQ(r.status, 0) << r.err;
    for (const char *line : {
             "  part 2 of 2 (2 bits) proven prime: strong tests to bases with no liar below 2^64\n",
             "  part 1 of 1 (65 bits) proven prime: strong tests to the primes up to 41, with no "
             "common liar below 3.3e24\n",
             "  part 1 of 1 (127 bits) proven prime: Pocklington's test on p - 1\n",
             "  part 1 of 1 (301 bits) proven prime: APR-CL\n"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;
}

// Strong pseudoprimes to base 2 are split, never printed as primes.
TEST(prime_proof, strong_pseudoprimes_are_split)
{
    cli_result r = run_factor({"--prove", "3825123056546413051", "3317044064679887385961981"});
    EXPECT_EQ(r.out, "3825123056546413051: 149491 747451 34233211\n"
                     "3317044064679887385961981: 1287836182261 2575672364521\n");
    EXPECT_EQ(r.status, 0);
}

prime_proof nothing_above_a_word(const mpz_t p)
{
    return mpz_fits_ulong_p(p) ? prime_proof::word_bases : prime_proof::failed;
}

// A prime whose proof fails is composite after all: brackets, a message,
// status 1; the primes that pass stay as they are.
TEST(prime_proof, a_failed_proof_leaves_brackets)
{
    factor_worker w;
    factor_worker_init(w);
    job_settings settings{1, false, false, 100, 1, nullptr, default_budget, nothing_above_a_word, 0};
    progress_view view;
    progress_start(view, nullptr, false, false);
    number_job job;
    std::string n = "510423550381407695195061911147652317181"; // 3 * (2^127 - 1)
    token_from_argument(job.token, n.c_str());
    run_number_job(job, w, settings, view);
    EXPECT_EQ(job.out, n + ": 3 [" + mersenne_127 + "]\n");
    EXPECT_EQ(job.err, "brovanten-factor: " + n + ": " + mersenne_127 +
                           " passed Baillie-PSW but failed its primality proof\n");
    EXPECT_EQ(job.status, 1);
    factor_worker_clear(w);
}

} // namespace
