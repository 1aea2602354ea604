// SPDX-License-Identifier: BSD-2-Clause
// The quadratic sieve as a step of the command: the numbers it must finish
// by default, two sieves at once, the same output and steps on any number
// of threads, the size it stops at, and no file written anywhere. The
// factors are PARI/GP's.
#include "support/factor_harness.h"
#include "support/harness.h"

#include "factor/factor_steps.h"
#include "factor/sieve_method.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A 17-digit prime times a 22-digit one, and a 12-digit prime times a
// 28-digit one: the sieve of an earlier build ran for minutes on both.
const char hung_1[] = "322580645161290322580645161290322654733";
const char hung_2[] = "720461095100864553314121037463976947183";
// Two balanced semiprimes of 50 digits.
const char fifty_1[] = "58305272039198876713001296263732674526476145736769";
const char fifty_2[] = "56332325474375439599198575048853475048179821839799";

std::string expected_lines()
{
    return factor_line(fifty_1, {"7226420043238407849928033", "8068348046520455938400993"}) +
           factor_line(fifty_2, {"6176589915574928452573147", "9120295542420177363512917"});
}

TEST(sieve_method, numbers_that_once_hung_are_exact_by_default)
{
    cli_result r = run_factor({hung_1, hung_2});
    EXPECT_EQ(r.out, factor_line(hung_1, {"65565355966252367", "4919986178788203491299"}) +
                         factor_line(hung_2, {"180736746277", "3986245796395352097976846979"}));
    EXPECT_EQ(r.status, 0);
}

// Two numbers sieved at once by two workers, and one number sieved by two
// threads: the output and every step shown are those of one thread.
TEST(sieve_method, output_and_steps_do_not_depend_on_threads)
{
    cli_result one = run_factor({"-v", "-j1", fifty_1, fifty_2});
    EXPECT_EQ(one.out, expected_lines());
    EXPECT_EQ(one.status, 0);
    EXPECT_NE(one.err.find("quadratic sieve\n"), std::string::npos) << one.err;
    EXPECT_NE(one.err.find("sieve found 1 divisor\n"), std::string::npos) << one.err;
    for (const char *threads : {"-j2", "-j4"}) {
        cli_result many = run_factor({"-v", threads, fifty_1, fifty_2});
        EXPECT_EQ(many.out, one.out) << threads;
        EXPECT_EQ(many.err, one.err) << threads;
    }
    for (const char *n : {fifty_1, fifty_2}) {
        cli_result alone = run_factor({"-v", "-j1", n});
        cli_result shared = run_factor({"-v", "-j2", n});
        EXPECT_EQ(shared.out, alone.out) << n;
        EXPECT_EQ(shared.err, alone.err) << n;
    }
}

// nextprime of random numbers of 20 digits: a 40-digit and a 41-digit
// semiprime, both beyond rho's steps and the curves of 15 digits.
TEST(sieve_method, it_takes_parts_up_to_its_digits)
{
    const std::string forty = "3326429951365771001824860308669226908717";
    const std::string forty_one = "41688982672550978600718515143863944529257";
    workspace_fixture f;
    factor_budget b = default_budget;
    b.rho_steps = 0;
    b.pm1_b1 = b.pp1_b1 = 0;
    b.ecm_digits = 0;
    b.sieve_digits = 40;
    big n40(forty), n41(forty_one);
    EXPECT_TRUE(factorize(f.w, n40, 1, b));
    EXPECT_EQ(parts_text(f.w.parts), "31442245108790888903^1 105794924626286930539^1 ");
    EXPECT_FALSE(factorize(f.w, n41, 1, b));
    b.sieve_digits = 41;
    EXPECT_TRUE(factorize(f.w, n41, 1, b));
    EXPECT_EQ(parts_text(f.w.parts), "197863053206452277081^1 210696145626805220497^1 ");
    // --effort=0 keeps it out: brackets and status 1.
    cli_result r = run_factor({"--effort=0", forty});
    EXPECT_EQ(r.out, forty + ": [" + forty + "]\n");
    EXPECT_EQ(r.status, 1);
}

std::set<std::string> listing(const std::string &folder)
{
    std::set<std::string> names;
    if (DIR *d = opendir(folder.c_str())) {
        while (dirent *e = readdir(d))
            names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

// The real binary, as a user who may write neither the working folder nor
// its temporary folder, sieving two numbers at once: the same lines, and
// nothing new in either folder.
TEST(sieve_method, no_file_is_written_anywhere)
{
    scratch_dir dir;
    // A copy of the binary inside the scratch folder, which the unprivileged
    // user owns: the build folder may be one that user cannot enter.
    const std::string binary = "./brovanten-factor";
    {
        std::ifstream from(BROVANTEN_FACTOR_BINARY, std::ios::binary);
        std::ofstream to(binary, std::ios::binary);
        to << from.rdbuf();
    }
    ASSERT_EQ(chmod(binary.c_str(), 0755), 0);
    as_unprivileged_user([&binary] {
        char temp[] = "/tmp/brovanten-sieve-tmp-XXXXXX";
        ASSERT_NE(mkdtemp(temp), nullptr);
        ASSERT_EQ(chmod(temp, 0555), 0);
        ASSERT_EQ(chmod(".", 0555), 0);
        auto here = listing("."), there = listing(temp);
        std::string command = std::string("TMPDIR=") + temp + " " + binary +
                              " -j2 " + fifty_1 + " " + fifty_2 + " > " + temp + "-out";
        // The output goes beside, to a file the test may write.
        int status = std::system(command.c_str());
        EXPECT_EQ(status, 0);
        EXPECT_EQ(listing("."), here);
        EXPECT_EQ(listing(temp), there);
        EXPECT_EQ(read_file(std::string(temp) + "-out"), expected_lines());
        std::remove((std::string(temp) + "-out").c_str());
        chmod(temp, 0755);
        rmdir(temp);
        chmod(".", 0755);
    });
}

// The sieve borrows the threads it may run besides its own, as many as
// are spare and no more, and gives every one back: its progress, which
// comes while its threads run, sees the cores it left.
TEST(sieve_method, borrows_the_threads_it_may_and_gives_them_back)
{
    big n("99909019379857327371192540241"), d; // 125481792591413 * 796203316166957
    const struct {
        unsigned max_threads;
        int spare_while_sieving;
    } cases[] = {{1, 4}, {2, 3}, {4, 1}, {8, 0}};
    for (const auto &c : cases) {
        spare_cores cores;
        spare_cores_set(cores, 4);
        int spare = -1;
        method_call call{c.max_threads, &cores, 1, {}, nullptr};
        call.progress = [&cores, &spare](unsigned long, double) {
            std::lock_guard<std::mutex> hold(cores.lock);
            spare = cores.count;
        };
        siqs_figures figures{};
        ASSERT_TRUE(sieve_find_divisor(d.v, n.v, call, figures)) << c.max_threads;
        EXPECT_EQ(spare, c.spare_while_sieving) << c.max_threads << " threads";
        std::lock_guard<std::mutex> hold(cores.lock);
        EXPECT_EQ(cores.count, 4) << c.max_threads << " threads";
    }
}

} // namespace
