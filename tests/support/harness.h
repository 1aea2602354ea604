// SPDX-License-Identifier: BSD-2-Clause
// Shared helpers of the tests: running the tool as a function inside a
// fresh temporary folder, big integers that free themselves, and seeds that
// can be replayed.
#pragma once

#include "engine/matrix.h"
#include "support/published_table.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <gmp.h>
#include <string>
#include <vector>

// Creates a temporary folder and makes it the working directory for the
// lifetime of the object; puts the old one back and removes the folder after.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir &) = delete;
    scratch_dir &operator=(const scratch_dir &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

// Runs body as an unprivileged user, so that permissions hold: as root, in
// a child process that hands the current folder and what is in it to
// nobody (uid and gid 65534) and drops to that user; the child's failures
// are reported there and fail the test here. Otherwise body runs as it is.
void as_unprivileged_user(const std::function<void()> &body);

// An mpz_t that is cleared when it goes out of scope, so that a failing
// ASSERT does not leak it.
struct big {
    mpz_t v;
    big() { mpz_init(v); }
    explicit big(unsigned long x) { mpz_init_set_ui(v, x); }
    explicit big(const std::string &decimal) { mpz_init_set_str(v, decimal.c_str(), 10); }
    ~big() { mpz_clear(v); }
    big(const big &) = delete;
    big &operator=(const big &) = delete;
    operator mpz_ptr() { return v; }
    operator mpz_srcptr() const { return v; }
    std::string str() const;
};

// The same for a matrix.
struct matrix_holder {
    matrix2 m;
    matrix_holder() { matrix_init(m); }
    matrix_holder(unsigned long x00, unsigned long x01, unsigned long x10, unsigned long x11)
    {
        matrix_init(m);
        matrix_set_ui(m, x00, x01, x10, x11);
    }
    ~matrix_holder() { matrix_clear(m); }
    matrix_holder(const matrix_holder &) = delete;
    matrix_holder &operator=(const matrix_holder &) = delete;
};

// Sets TZ for the lifetime of the object.
class time_zone {
public:
    explicit time_zone(const char *zone);
    ~time_zone();
    time_zone(const time_zone &) = delete;
    time_zone &operator=(const time_zone &) = delete;

private:
    bool had_;
    std::string old_;
};

// x in decimal.
std::string big_text(const mpz_t x);

// p = the first prime above 2^bits + offset.
void prime_above_power_of_two(mpz_t p, unsigned long bits, unsigned long offset = 0);

// A GMP random state seeded once, freed with the object.
struct seeded_random {
    gmp_randstate_t state;
    explicit seeded_random(unsigned long seed)
    {
        gmp_randinit_mt(state);
        gmp_randseed_ui(state, seed);
    }
    ~seeded_random() { gmp_randclear(state); }
    seeded_random(const seeded_random &) = delete;
    seeded_random &operator=(const seeded_random &) = delete;
};

void write_file(const std::string &name, const std::string &contents);

// Sets or clears the append-only attribute (chattr +a); false where the
// file system or the user cannot.
bool set_append_only(const char *path, bool on);

// A file made append-only for the lifetime of the object, when set says it
// could be; the attribute is cleared again, so that the scratch folder can
// be removed.
struct append_only_file {
    std::string path;
    bool set;
    explicit append_only_file(const char *p) : path(p), set(set_append_only(p, true)) {}
    ~append_only_file()
    {
        if (set)
            set_append_only(path.c_str(), false);
    }
    append_only_file(const append_only_file &) = delete;
    append_only_file &operator=(const append_only_file &) = delete;
};

// Whole contents of a file, or "<missing>" if it cannot be read.
std::string read_file(const std::string &name);

// The step of the fake elapsed clock of run_tool: each test prints
// "Test made in 0.02 s." (15 ms).
inline constexpr long long fake_test_ms = 15;

// Runs the driver in the current directory with standard input at end of
// file, and returns everything it printed. The calendar clock always reads
// seed (the generator's seed and the log's timestamp); the elapsed clock
// moves fake_test_ms forward at every reading. What it says on standard
// error goes to *errors when asked for.
std::string run_tool(std::time_t seed, std::string *errors = nullptr);

// The transcript with every timing figure replaced by "#.##", for runs of
// the real binary, whose clocks are real.
std::string mask_timings(const std::string &transcript);

// A case's description as a test name: letters and digits, '_' for the rest.
std::string test_name(const char *description);

// The seed of a randomised test: fixed unless BROVANTEN_TEST_SEED is set,
// which replays (or varies) it. seed_note() says which seed ran and how to
// replay it, for SCOPED_TRACE.
unsigned long test_seed(unsigned long fixed);
std::string seed_note(unsigned long seed);

// The rows of examples/pseudoprimes.tsv.
std::vector<published_number> published_numbers();

// The texts every run starts and ends with. Inline, so that they are built
// before any table of test cases that uses them.
inline const std::string banner = "Brovanten v1.1r     T.Osbervan    04/2001\n"
                                  "For details see https://brovanten.example.org/\n"
                                  "------------------------------------------------------------------------------\n\n";
inline const std::string closing_prompt = "\nEnd : press a key to exit...\n";
inline const std::string log_separator =
    "\n-------------------------------------------------------------------------------- \n";

// A record already in results.fic before a run, as an earlier version wrote it.
inline const std::string earlier_record =
    "Brovanten V1.1r     T.Osbervan      Tue Dec 08 20:03:41 2026\n \n\n"
    "Number = 6178246534322281  (53 bits)\n"
    "Factor = 302941  (19 bits)\n"
    "\n\nSecondary certificate : 9341732956540616235605375\n" +
    log_separator;
