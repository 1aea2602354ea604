// SPDX-License-Identifier: BSD-2-Clause
// Faults around the tool's files and streams. In every case the run must
// end, say what it promises on the console, and leave the records already
// in results.fic exactly as they were.
#include "support/harness.h"
#include "support/process.h"
#include "support/record_parser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string carmichael = "6178246534322281\n";

enum class expect { split, not_found, any_end };

struct fault {
    const char *name;
    void (*prepare)();
    stdin_setup in;
    stdout_setup out;
    expect console;
    bool record_added; // a new record follows the earlier one
};

void with_number() { write_file("number.fic", carmichael); }

const fault faults[] = {
    {"log is a folder", [] { with_number(); unlink("results.fic"); mkdir("results.fic", 0755); },
     stdin_setup::end_of_file, stdout_setup::captured, expect::split, false},
    {"log links to a full device", [] { with_number(); unlink("results.fic"); symlink("/dev/full", "results.fic"); },
     stdin_setup::end_of_file, stdout_setup::captured, expect::split, false},
    {"number file is a fifo", [] { mkfifo("number.fic", 0644); },
     stdin_setup::end_of_file, stdout_setup::captured, expect::not_found, false},
    {"number file links to /dev/zero", [] { symlink("/dev/zero", "number.fic"); },
     stdin_setup::end_of_file, stdout_setup::captured, expect::not_found, false},
    {"number file links to /dev/null", [] { symlink("/dev/null", "number.fic"); },
     stdin_setup::end_of_file, stdout_setup::captured, expect::not_found, false},
    {"standard input closed", with_number,
     stdin_setup::closed, stdout_setup::captured, expect::split, true},
    {"reader of standard output gone", with_number,
     stdin_setup::end_of_file, stdout_setup::reader_gone, expect::any_end, true},
};

class faults_test : public ::testing::TestWithParam<fault> {};

TEST_P(faults_test, run_ends_and_earlier_records_stay)
{
    const fault &f = GetParam();
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    f.prepare();

    process_options o;
    o.in = f.in;
    o.out = f.out;
    process_result r = run_binary(o);
    ASSERT_TRUE(r.ended) << "the run did not end";
    ASSERT_TRUE(WIFEXITED(r.status)) << "ended by signal " << WTERMSIG(r.status);

    switch (f.console) {
    case expect::split:
        EXPECT_EQ(r.output.compare(0, banner.size(), banner), 0);
        EXPECT_NE(r.output.find("\nFactors :\n"), std::string::npos) << r.output;
        EXPECT_EQ(r.output.substr(r.output.size() - closing_prompt.size()), closing_prompt);
        break;
    case expect::not_found:
        EXPECT_EQ(r.output, banner + "File not found\n" + closing_prompt);
        break;
    case expect::any_end:
        break;
    }

    struct stat st;
    if (lstat("results.fic", &st) == 0 && S_ISREG(st.st_mode)) {
        parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
        ASSERT_TRUE(parsed.ok) << parsed.fault;
        ASSERT_EQ(parsed.records.size(), f.record_added ? 1u : 0u);
        if (f.record_added) {
            EXPECT_FALSE(parsed.records[0].certificate.empty());
        }
    }
}

void PrintTo(const fault &f, std::ostream *os)
{
    *os << f.name;
}

INSTANTIATE_TEST_SUITE_P(process, faults_test, ::testing::ValuesIn(faults),
                         [](const auto &info) { return test_name(info.param.name); });

// The record a real run writes checks against its own certificate, with
// the checker the README shows.
TEST(process, certificate_of_a_real_run_checks)
{
    scratch_dir dir;
    with_number();
    process_result r = run_binary();
    ASSERT_TRUE(r.ended);
    std::string command = std::string("python3 ") + BROVANTEN_SCRIPTS_DIR +
                          "/check-certificate results.fic >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << read_file("results.fic");
}

TEST(process, read_only_folder_with_an_earlier_log)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    with_number();
    // A copy of the binary in the folder, so that an unprivileged user can
    // start it wherever the build is.
    write_file("brovanten", read_file(BROVANTEN_BINARY));
    chmod("brovanten", 0755);
    process_options options;
    options.binary = dir.path() + "/brovanten";
    as_unprivileged_user([&] {
        chmod(".", 0555);
        process_result r = run_binary(options);
        chmod(".", 0755);
        ASSERT_TRUE(r.ended);
        EXPECT_NE(r.output.find("\nFactors :\n"), std::string::npos) << r.output;
        // The file itself stays writable, so the record is still appended.
        parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
        ASSERT_TRUE(parsed.ok) << parsed.fault;
        EXPECT_EQ(parsed.records.size(), 1u);
    });
}

// The real binary stamps its record with the calendar clock: the year in
// the record is this year (or the next, across New Year's Eve).
TEST(process, record_stamped_with_the_calendar_clock)
{
    scratch_dir dir;
    with_number();
    std::time_t before = std::time(nullptr);
    process_result r = run_binary();
    ASSERT_TRUE(r.ended);
    parsed_log parsed = parse_log(read_file("results.fic"), "");
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    ASSERT_EQ(parsed.records.size(), 1u);
    int year = std::stoi(parsed.records[0].stamp.substr(parsed.records[0].stamp.size() - 4));
    std::tm local{};
    localtime_r(&before, &local);
    EXPECT_GE(year, local.tm_year + 1900) << parsed.records[0].stamp;
    EXPECT_LE(year, local.tm_year + 1901) << parsed.records[0].stamp;
}

} // namespace
