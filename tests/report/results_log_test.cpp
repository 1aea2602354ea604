// SPDX-License-Identifier: BSD-2-Clause
// The results log: record text, appending, and logs that cannot be written.
#include "support/harness.h"

#include "driver/run.h"
#include "report/results_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string carmichael = "6178246534322281";

// run_tool(1) reads 1 from the calendar clock: one second into 1970.
const std::string header = "Brovanten V1.1r     T.Osbervan      Thu Jan 01 00:00:01 1970\n \n\n";

const std::string carmichael_body = "Number = 6178246534322281  (53 bits)\n"
                                    "Factor = 302941  (19 bits)\n"
                                    "\n\nSecondary certificate : 9341732956540616235605375\n" +
                                    log_separator;

const std::string prime_body = "Number = 100003  (17 bits)\n" + log_separator;

TEST(results_log, timestamp_layout)
{
    time_zone utc("UTC");
    const struct {
        std::time_t t;
        const char *text;
    } cases[] = {
        {0, "Thu Jan 01 00:00:00 1970\n"},
        {986115907, "Sun Apr 01 09:05:07 2001\n"},
        {1796760221, "Tue Dec 08 20:03:41 2026\n"},
        {946684799, "Fri Dec 31 23:59:59 1999\n"},
        {2147483648, "Tue Jan 19 03:14:08 2038\n"},
    };
    for (const auto &c : cases) {
        char stamp[timestamp_size];
        format_timestamp(stamp, c.t);
        EXPECT_STREQ(stamp, c.text) << c.t;
    }
}

TEST(results_log, timestamp_is_local_time)
{
    time_zone tokyo("JST-9");
    char stamp[timestamp_size];
    format_timestamp(stamp, 1796760221);
    EXPECT_STREQ(stamp, "Wed Dec 09 05:03:41 2026\n");
}

TEST(results_log, record_of_a_split_number)
{
    time_zone utc("UTC");
    scratch_dir dir;
    write_file("number.fic", carmichael);
    run_tool(1);
    EXPECT_EQ(read_file("results.fic"), header + carmichael_body);
}

TEST(results_log, record_of_an_unsplit_number)
{
    time_zone utc("UTC");
    scratch_dir dir;
    write_file("number.fic", "100003");
    run_tool(1);
    EXPECT_EQ(read_file("results.fic"), header + prime_body);
}

TEST(results_log, header_is_stamped_in_local_time)
{
    time_zone tokyo("JST-9");
    scratch_dir dir;
    write_file("number.fic", "100003");
    run_tool(1);
    EXPECT_EQ(read_file("results.fic"),
              "Brovanten V1.1r     T.Osbervan      Thu Jan 01 09:00:01 1970\n \n\n" + prime_body);
}

// The stamp is the moment the screening passed, not the end of the run:
// here both clocks move together, and the ten tests take eight seconds.
TEST(results_log, stamp_is_taken_when_the_screening_passes)
{
    time_zone utc("UTC");
    scratch_dir dir;
    write_file("number.fic", "100003");
    long long ms = 0;
    run_clock clock{[&ms] { return static_cast<std::time_t>(1 + ms / 1000); },
                    [&ms] { return ms += 400; }};
    std::FILE *in = std::tmpfile();
    std::FILE *out = std::tmpfile();
    run_driver(clock, in, out, out);
    std::fclose(in);
    std::fclose(out);
    EXPECT_GE(ms, 8000);
    EXPECT_EQ(read_file("results.fic"), header + prime_body);
}

TEST(results_log, runs_append_and_never_rewrite)
{
    time_zone utc("UTC");
    scratch_dir dir;
    const std::string earlier = "records from an earlier version\nwith no final line feed";
    write_file("results.fic", earlier);
    write_file("number.fic", carmichael);
    run_tool(1);
    std::string after_first = read_file("results.fic");
    write_file("number.fic", "100003");
    run_tool(1);
    std::string after_second = read_file("results.fic");

    EXPECT_EQ(after_first, earlier + header + carmichael_body);
    EXPECT_EQ(after_second, after_first + header + prime_body);
}

TEST(results_log, screened_out_runs_leave_the_log_alone)
{
    scratch_dir dir;
    write_file("results.fic", "kept\n");
    write_file("number.fic", "561");
    run_tool(1);
    EXPECT_EQ(read_file("results.fic"), "kept\n");
}

// A log that cannot be opened changes nothing on the console.
struct unwritable_log {
    const char *name;
    void (*prepare)();
};

const unwritable_log unwritable_logs[] = {
    {"folder", [] { mkdir("results.fic", 0755); }},
    {"link into a missing folder", [] { symlink("missing/results.fic", "results.fic"); }},
    {"fifo without reader", [] { mkfifo("results.fic", 0644); }},
    {"link to a full device", [] { symlink("/dev/full", "results.fic"); }},
};

TEST(results_log, unwritable_log_keeps_the_transcript)
{
    std::string expected;
    {
        scratch_dir dir;
        write_file("number.fic", carmichael);
        expected = run_tool(1);
    }
    for (const auto &c : unwritable_logs) {
        scratch_dir dir;
        c.prepare();
        write_file("number.fic", carmichael);
        EXPECT_EQ(run_tool(1), expected) << c.name;
    }
}

TEST(results_log, read_only_folder)
{
    scratch_dir dir;
    write_file("number.fic", carmichael);
    as_unprivileged_user([] {
        chmod(".", 0555);
        std::string transcript = run_tool(1);
        chmod(".", 0755);
        EXPECT_NE(transcript.find("302941  (19 bits)"), std::string::npos);
        EXPECT_EQ(read_file("results.fic"), "<missing>");
    });
}

} // namespace
