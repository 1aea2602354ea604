// The results log: record text, appending, and logs that cannot be written.
#include "harness.h"

#include "report/results_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string carmichael = "6178246534322281";

const std::string header_pattern =
    "Brovanten V1\\.1r     T\\.Osbervan      "
    "(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
    "[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\n \n\n";

const std::string carmichael_body = "Number = 6178246534322281  (53 bits)\n"
                                    "Factor = 302941  (19 bits)\n"
                                    "\n\nSecondary certificate : 9341732956540616235605375\n" +
                                    log_separator;

const std::string prime_body = "Number = 100003  (17 bits)\n" + log_separator;

bool matches(const std::string &text, const std::string &pattern)
{
    return std::regex_match(text, std::regex(pattern));
}

std::string literal(const std::string &text)
{
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

// Sets TZ for the lifetime of the object.
class time_zone {
public:
    explicit time_zone(const char *zone)
    {
        const char *old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~time_zone()
    {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool had_;
    std::string old_;
};

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
    scratch_dir dir;
    write_file("number.fic", carmichael);
    run_tool(1);
    EXPECT_TRUE(matches(read_file("results.fic"), header_pattern + literal(carmichael_body)))
        << read_file("results.fic");
}

TEST(results_log, record_of_an_unsplit_number)
{
    scratch_dir dir;
    write_file("number.fic", "100003");
    run_tool(1);
    EXPECT_TRUE(matches(read_file("results.fic"), header_pattern + literal(prime_body)))
        << read_file("results.fic");
}

TEST(results_log, runs_append_and_never_rewrite)
{
    scratch_dir dir;
    const std::string earlier = "records from an earlier version\nwith no final line feed";
    write_file("results.fic", earlier);
    write_file("number.fic", carmichael);
    run_tool(1);
    std::string after_first = read_file("results.fic");
    write_file("number.fic", "100003");
    run_tool(1);
    std::string after_second = read_file("results.fic");

    ASSERT_EQ(after_second.compare(0, after_first.size(), after_first), 0);
    EXPECT_TRUE(matches(after_second, literal(earlier) + header_pattern + literal(carmichael_body) +
                                          header_pattern + literal(prime_body)))
        << after_second;
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
        expected = mask_timings(run_tool(1));
    }
    for (const auto &c : unwritable_logs) {
        scratch_dir dir;
        c.prepare();
        write_file("number.fic", carmichael);
        EXPECT_EQ(mask_timings(run_tool(1)), expected) << c.name;
    }
}

TEST(results_log, read_only_folder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    scratch_dir dir;
    write_file("number.fic", carmichael);
    chmod(".", 0555);
    std::string transcript = run_tool(1);
    chmod(".", 0755);
    EXPECT_NE(transcript.find("302941  (19 bits)"), std::string::npos);
    EXPECT_EQ(read_file("results.fic"), "<missing>");
}

} // namespace
