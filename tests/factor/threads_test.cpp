// SPDX-License-Identifier: BSD-2-Clause
// One large number on several threads: the factorisation and the steps
// shown are those of one thread, whatever the number of helpers.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/factorize.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace {

struct known_number {
    std::string name, n;
    std::vector<std::string> primes; // empty: left whole
};

known_number from_bench_file(const std::string &name, const std::string &file)
{
    std::ifstream in(std::string(BROVANTEN_BENCH_NUMBERS_DIR) + "/" + file);
    known_number k{name, "", {}};
    std::getline(in, k.n);
    for (std::string p; in >> p;)
        k.primes.push_back(p);
    return k;
}

std::vector<known_number> large_numbers()
{
    // 84 primes of 21 to 48 bits (Erdos's construction, Korselt checked
    // with PARI/GP); Chernick's three primes; two 1100-bit primes that no
    // test tells apart, so every slot of the budget runs.
    big p, q, n;
    prime_above_power_of_two(p, 1100);
    prime_above_power_of_two(q, 1101);
    mpz_mul(n, p, q);
    return {from_bench_file("Carmichael number of 84 primes", "erdos-2253.txt"),
            from_bench_file("Chernick number of 4096 bits", "carmichael-4096.txt"),
            {"product of two 1100-bit primes", n.str(), {}}};
}

// Every step but the matrix powers' progress, which only the calling
// thread's own attempts report.
factor_observer recorder(std::string &steps)
{
    return [&steps](const factor_note &note) {
        if (note.event == factor_event::power)
            return;
        steps += std::to_string(static_cast<int>(note.event)) + " " + std::to_string(note.part) +
                 "/" + std::to_string(note.parts) + " " + std::to_string(note.bits) + " " +
                 note.method + " " + std::to_string(note.round) + " " +
                 std::to_string(note.count) + "\n";
    };
}

TEST(threads, one_large_number_the_same_on_any_number_of_threads)
{
    unsigned long seed = test_seed(5);
    SCOPED_TRACE(seed_note(seed));
    workspace_fixture f;
    factor_workspace &w = f.w;
    for (const auto &k : large_numbers()) {
        big n(k.n);
        ASSERT_GE(mpz_sizeinbase(n, 2), parallel_min_bits) << k.name;
        std::string first_steps, first_parts;
        for (unsigned threads : {1u, 2u, 4u}) {
            w.threads = threads;
            std::string steps;
            bool complete = factorize(w, n, seed, default_budget, recorder(steps));
            EXPECT_EQ(complete, !k.primes.empty()) << k.name << ", " << threads << " threads";
            if (threads == 1) {
                first_steps = steps;
                first_parts = parts_text(w.parts);
                if (complete) {
                    std::set<std::string> found, expected(k.primes.begin(), k.primes.end());
                    for (const auto &p : w.parts) {
                        EXPECT_EQ(p.power, 1u) << k.name;
                        found.insert(big_text(p.value));
                    }
                    EXPECT_EQ(found, expected) << k.name;
                } else {
                    EXPECT_EQ(first_parts, k.n + "^1? ") << k.name;
                }
                continue;
            }
            EXPECT_EQ(steps, first_steps) << k.name << ", " << threads << " threads";
            EXPECT_EQ(parts_text(w.parts), first_parts) << k.name << ", " << threads << " threads";
        }
    }
}

// With matrix tests alone every test draws from its seed, so a helper that
// ran a test other than the one asked for, or with another seed, would
// change the steps.
TEST(threads, seeded_tests_on_helpers_are_the_ones_asked_for)
{
    known_number k = from_bench_file("Carmichael number of 84 primes", "erdos-2253.txt");
    big n(k.n);
    const factor_budget matrix_only = attempts_only(0, 8);
    workspace_fixture f;
    factor_workspace &w = f.w;
    std::string first_steps, first_parts;
    for (unsigned threads : {1u, 2u, 3u}) {
        w.threads = threads;
        std::string steps;
        factorize(w, n, 9, matrix_only, recorder(steps));
        if (threads == 1) {
            first_steps = steps;
            first_parts = parts_text(w.parts);
            EXPECT_NE(steps.find("matrix N+1"), std::string::npos);
            continue;
        }
        EXPECT_EQ(steps, first_steps) << threads << " threads";
        EXPECT_EQ(parts_text(w.parts), first_parts) << threads << " threads";
    }
}

TEST(threads, helpers_come_from_the_spare_cores)
{
    // With no core to spare, a large number runs on the calling thread
    // alone, and its steps are the same; what was spare is spare after.
    known_number k = from_bench_file("Carmichael number of 84 primes", "erdos-2253.txt");
    big n(k.n);
    workspace_fixture f;
    factor_workspace &w = f.w;
    spare_cores cores;
    w.threads = 4;
    w.cores = &cores;
    EXPECT_TRUE(factorize(w, n, 3));
    EXPECT_EQ(cores.count, 0);
    EXPECT_EQ(w.look_ahead.computed, 0u) << "no helper without a spare core";
    spare_cores_set(cores, 2);
    EXPECT_TRUE(factorize(w, n, 3));
    EXPECT_EQ(cores.count, 2) << "helpers hand their cores back";
    EXPECT_GT(w.look_ahead.computed, 0u);
    EXPECT_EQ(w.parts.size(), k.primes.size());
}

TEST(threads, command_output_and_steps_do_not_depend_on_threads)
{
    known_number k = from_bench_file("Carmichael number of 84 primes", "erdos-2253.txt");
    cli_result one = run_factor({"-v", "-s", "11", "-j", "1", k.n});
    EXPECT_EQ(one.out, factor_line(k.n, k.primes));
    EXPECT_EQ(one.status, 0);
    for (const char *threads : {"2", "4", "0"}) {
        cli_result many = run_factor({"-v", "-s", "11", "-j", threads, k.n});
        EXPECT_EQ(many.out, one.out) << "-j " << threads;
        EXPECT_EQ(many.err, one.err) << "-j " << threads;
        EXPECT_EQ(many.status, 0) << "-j " << threads;
    }
}

} // namespace
