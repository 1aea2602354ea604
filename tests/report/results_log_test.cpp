// SPDX-License-Identifier: BSD-2-Clause
// The results log through the run driver: record text, appending, and
// logs that cannot be written.
#include "support/harness.h"
#include "support/record_parser.h"

#include "driver/run.h"
#include "report/log_append.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
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

// A clock at its extremes stamps the record with the dates of
// timestamp_test, years before 0 among them, and the record is whole.
TEST(results_log, records_stamped_at_the_clock_extremes)
{
    time_zone utc("UTC");
    const struct {
        std::time_t clock;
        const char *stamp;
    } cases[] = {
        {-62167219201, "Fri Dec 31 23:59:59 -001"},
        {std::numeric_limits<std::int64_t>::min(), "Sun Jan 27 08:29:52 -292277022657"},
        {std::numeric_limits<std::int64_t>::max(), "Sun Dec 04 15:30:07 292277026596"},
    };
    for (const auto &c : cases) {
        scratch_dir dir;
        write_file("number.fic", carmichael);
        run_tool(c.clock);
        std::string log = read_file("results.fic");
        std::string header_line = "Brovanten V1.1r     T.Osbervan      " + std::string(c.stamp) + "\n \n\n";
        EXPECT_EQ(log.substr(0, header_line.size()), header_line);
        parsed_log parsed = parse_log(log, "");
        ASSERT_TRUE(parsed.ok) << parsed.fault;
        ASSERT_EQ(parsed.records.size(), 1u);
        EXPECT_EQ(parsed.records[0].stamp, c.stamp);
    }
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

    // A file that ends inside a line gets a line feed first.
    EXPECT_EQ(after_first, earlier + "\n" + header + carmichael_body);
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

// A log that cannot be written changes nothing on the console, and gets a
// word on standard error.
struct unwritable_log {
    const char *name;
    void (*prepare)();
    const char *why;
};

const unwritable_log unwritable_logs[] = {
    {"folder", [] { mkdir("results.fic", 0755); }, "it is not a regular file"},
    {"link into a missing folder", [] { symlink("missing/results.fic", "results.fic"); },
     "it is a link to nothing"},
    {"link to a missing file", [] { symlink("target.fic", "results.fic"); }, "it is a link to nothing"},
    {"fifo without reader", [] { mkfifo("results.fic", 0644); }, "it is not a regular file"},
    {"link to a full device", [] { symlink("/dev/full", "results.fic"); }, "it is not a regular file"},
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
        std::string errors;
        EXPECT_EQ(run_tool(1, &errors), expected) << c.name;
        EXPECT_EQ(errors, std::string("brovanten: record not written to results.fic: ") + c.why + "\n")
            << c.name;
        // Nothing is ever created through a link.
        EXPECT_EQ(read_file("target.fic"), "<missing>") << c.name;
        EXPECT_EQ(read_file("missing/results.fic"), "<missing>") << c.name;
    }
}

// After a record that was cut short inside a line, the next one starts a
// line of its own, and the parser sees the cut one as incomplete.
TEST(results_log, record_after_a_cut_one_starts_a_line)
{
    time_zone utc("UTC");
    scratch_dir dir;
    const std::string cut = header + "Number = 6178246534322281  (53 bi";
    write_file("results.fic", cut);
    write_file("number.fic", "100003");
    std::string errors;
    run_tool(1, &errors);
    EXPECT_EQ(errors, "");
    std::string log = read_file("results.fic");
    EXPECT_EQ(log, cut + "\n" + header + prime_body);
    parsed_log parsed = parse_log(log, "", true);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.incomplete, 1);
    EXPECT_EQ(parsed.records.size(), 1u);
    EXPECT_FALSE(parse_log(log, "").ok);
}

// A log that may be written but not read (mode 0222, as another user's
// run sees it): its last byte is unknown, so a record that is not the
// first starts with a line feed, whether the file ends inside a cut record
// or after a whole one (a blank line there is harmless).
TEST(results_log, log_that_cannot_be_read)
{
    time_zone utc("UTC");
    const std::string cut = header + "Number = 6178246534322281  (53 bi";
    const struct {
        const char *name;
        std::string earlier, gap;
    } cases[] = {
        {"empty log", "", ""},
        {"log ending after a whole record", header + prime_body, "\n"},
        {"log ending inside a cut record", cut, "\n"},
    };
    for (const auto &c : cases) {
        scratch_dir dir;
        write_file("results.fic", c.earlier);
        write_file("number.fic", "100003");
        as_unprivileged_user([&c] {
            ASSERT_EQ(chmod("results.fic", 0222), 0);
            std::string errors;
            run_tool(1, &errors);
            EXPECT_EQ(errors, "") << c.name;
            ASSERT_EQ(chmod("results.fic", 0644), 0);
            EXPECT_EQ(read_file("results.fic"), c.earlier + c.gap + header + prime_body) << c.name;
        });
    }
}

// A FIFO without a reader that may be written but not read: opened for
// appending only, it is refused at once, never waited on.
TEST(results_log, fifo_that_cannot_be_read)
{
    scratch_dir dir;
    ASSERT_EQ(mkfifo("results.fic", 0644), 0);
    write_file("number.fic", "100003");
    as_unprivileged_user([] {
        ASSERT_EQ(chmod("results.fic", 0222), 0);
        std::string errors;
        run_tool(1, &errors);
        EXPECT_EQ(errors, "brovanten: record not written to results.fic: it is not a regular file\n");
    });
}

// The words on standard error that no short test of the binary shows: the
// wait for the lock that ran out, and a record whole in the file whose
// sync failed.
TEST(results_log, words_for_standard_error)
{
    const struct {
        log_result result;
        const char *word;
    } cases[] = {
        {{log_outcome::appended, 0}, ""},
        {{log_outcome::lock_held, 0},
         "brovanten: record not written to results.fic: another program kept it locked for 10 s\n"},
        {{log_outcome::lock_wait_over, 0},
         "brovanten: record not written to results.fic: it was still locked after 120 s of waiting\n"},
        {{log_outcome::not_synced, EIO},
         "brovanten: the record in results.fic is whole but may not be on the disk (Input/output "
         "error)\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(log_warning("results.fic", c.result), c.word);
}

TEST(results_log, appended_record_gives_no_word)
{
    scratch_dir dir;
    write_file("number.fic", carmichael);
    std::string errors;
    run_tool(1, &errors);
    EXPECT_EQ(errors, "");
    EXPECT_NE(read_file("results.fic"), "<missing>");
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
