// SPDX-License-Identifier: BSD-2-Clause
// The results log under faults, on the real binary: size limits, a full
// disk, runs at once, runs killed at any moment, odd standard streams and
// logs that are not files. Whatever happens, results.fic must hold its
// earlier bytes plus whole records, and the console must not change.
#include "support/harness.h"
#include "support/process.h"
#include "support/record_parser.h"

#include "report/log_append.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const std::string carmichael = "6178246534322281\n"; // 100981 * 201961 * 302941
const std::string prime = "100003\n";
// Its record: header (64 bytes), "Number = 100003  (17 bits)\n" (27) and
// the hyphen line (83).
constexpr long prime_record_size = 174;

// The console transcript of a run on number, timings masked, from the
// driver run in a folder of its own.
std::string transcript_of(const std::string &number)
{
    scratch_dir elsewhere;
    write_file("number.fic", number);
    return mask_timings(run_tool(1));
}

std::string first_line(const std::string &path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line + "\n";
}

bool exited_normally(const process_result &r)
{
    return r.ended && WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0;
}

std::string how_it_ended(const process_result &r)
{
    if (!r.ended)
        return "did not end in time";
    if (WIFSIGNALED(r.status))
        return "killed by signal " + std::to_string(WTERMSIG(r.status));
    return "exit status " + std::to_string(WEXITSTATUS(r.status));
}

// A log that ends inside a record cut short: the next record needs a line
// feed first, one byte more.
const std::string cut_log = earlier_record + "Brovanten V1.1r     T.Osbervan      Tue";

// A size limit (ulimit -f) that ends inside the record: the record is
// skipped and the log keeps exactly its earlier bytes. One that the record
// reaches exactly: the record is appended whole.
struct limit_case {
    const char *name;
    const std::string *number;
    const std::string *earlier;
    long room; // bytes the limit leaves past the earlier log; -1: ulimit -f 0
    bool appended;
};

const limit_case limit_cases[] = {
    {"ulimit -f 0", &prime, &earlier_record, -1, false},
    {"no room past the earlier log", &prime, &earlier_record, 0, false},
    {"room for one byte", &prime, &earlier_record, 1, false},
    {"room for the header", &prime, &earlier_record, 64, false},
    {"room for header and number line", &prime, &earlier_record, 91, false},
    {"one byte short", &prime, &earlier_record, prime_record_size - 1, false},
    {"room for the whole record exactly", &prime, &earlier_record, prime_record_size, true},
    {"after a cut record, room for the record but not its line feed", &prime, &cut_log,
     prime_record_size, false},
    {"after a cut record, room for the line feed and the record exactly", &prime, &cut_log,
     prime_record_size + 1, true},
    {"split run, room for the header", &carmichael, &earlier_record, 64, false},
    {"split run, room into the factor line", &carmichael, &earlier_record, 110, false},
    {"split run, room into the certificate", &carmichael, &earlier_record, 150, false},
};

void PrintTo(const limit_case &c, std::ostream *os)
{
    *os << c.name;
}

class size_limit : public ::testing::TestWithParam<limit_case> {};

TEST_P(size_limit, record_is_whole_or_not_there)
{
    const limit_case &c = GetParam();
    std::string expected = transcript_of(*c.number);
    scratch_dir dir;
    write_file("results.fic", *c.earlier);
    write_file("number.fic", *c.number);

    process_options o;
    o.file_size_limit = c.room < 0 ? 0 : static_cast<long>(c.earlier->size()) + c.room;
    process_result r = run_binary(o);
    EXPECT_TRUE(exited_normally(r)) << how_it_ended(r);
    std::string log = read_file("results.fic");
    if (c.appended) {
        EXPECT_EQ(static_cast<long>(log.size()), o.file_size_limit);
        std::string before = *c.earlier;
        if (before.back() != '\n')
            before += "\n";
        parsed_log parsed = parse_log(log, before);
        ASSERT_TRUE(parsed.ok) << parsed.fault;
        EXPECT_EQ(parsed.records.size(), 1u);
    } else {
        EXPECT_EQ(log, *c.earlier);
    }
    if (c.number == &prime) {
        EXPECT_EQ(mask_timings(r.output), expected);
    } else {
        EXPECT_NE(r.output.find("\nFactors :\n"), std::string::npos) << r.output;
        EXPECT_EQ(r.output.substr(r.output.size() - closing_prompt.size()), closing_prompt);
    }
}

INSTANTIATE_TEST_SUITE_P(process, size_limit, ::testing::ValuesIn(limit_cases),
                         [](const auto &info) { return test_name(info.param.name); });

// A full disk, where the machine lets us mount a small tmpfs: the log ends
// `slack` bytes before a page boundary, so the write fills those bytes and
// then meets ENOSPC (slack 0: no byte fits at all).
TEST(process, full_tmpfs_leaves_the_earlier_log)
{
    std::string expected = transcript_of(prime);
    scratch_dir dir;
    mkdir("disk", 0755);
    if (mount("tmpfs", "disk", "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno)
                     << "): the full-disk case is not run";
    ASSERT_EQ(chdir("disk"), 0);
    for (long slack : {0L, 1L, 40L}) {
        SCOPED_TRACE("slack " + std::to_string(slack));
        write_file("number.fic", prime);
        std::string earlier = earlier_record;
        earlier.resize(8192 - slack - 1, '.');
        earlier += "\n";
        write_file("results.fic", earlier);
        {
            // Fill every free page.
            int fd = open("filler", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            std::string page(4096, 'f');
            while (write(fd, page.data(), page.size()) > 0) {
            }
            while (write(fd, page.data(), 1) > 0) {
            }
            close(fd);
        }
        process_result r = run_binary();
        EXPECT_TRUE(exited_normally(r)) << how_it_ended(r);
        EXPECT_EQ(mask_timings(r.output), expected);
        std::string log = read_file("results.fic");
        EXPECT_EQ(log.size(), earlier.size());
        EXPECT_TRUE(log == earlier) << "the log changed";
        unlink("filler");

        // With room again, the next run appends its whole record.
        r = run_binary();
        parsed_log parsed = parse_log(read_file("results.fic"), earlier);
        EXPECT_TRUE(parsed.ok) << parsed.fault;
        EXPECT_EQ(parsed.records.size(), 1u);
        unlink("results.fic");
    }
    ASSERT_EQ(chdir(".."), 0);
    umount2("disk", MNT_DETACH);
}

// Runs at once in one folder, each on the number that number.fic held when
// it started: every run adds one whole record, and every factor divides
// its own record's N.
TEST(process, runs_at_once_add_whole_records)
{
    const std::string dir_of_numbers = BROVANTEN_BENCH_NUMBERS_DIR;
    std::vector<std::string> numbers = {carmichael, prime};
    for (const char *name : {"carmichael-256", "carmichael-512", "carmichael-1024",
                             "carmichael-2048", "prime-1024", "prime-2048"})
        numbers.push_back(first_line(dir_of_numbers + "/" + name + ".txt"));

    scratch_dir dir;
    write_file("results.fic", earlier_record);
    std::vector<pid_t> runs;
    for (int round = 0; round < 3; ++round) {
        for (const auto &number : numbers) {
            write_file("number.fic.new", number);
            ASSERT_EQ(rename("number.fic.new", "number.fic"), 0);
            runs.push_back(start_binary());
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    for (pid_t pid : runs) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), runs.size());
    int split = 0;
    for (const auto &record : parsed.records) {
        bool ours = false;
        for (const auto &number : numbers)
            ours = ours || number == record.n + "\n";
        EXPECT_TRUE(ours) << record.n;
        split += !record.factors.empty();
    }
    EXPECT_GT(split, 0);
}

// Killed at many moments with each of SIGKILL, SIGTERM and SIGINT: the log
// holds the earlier bytes and the records of the runs that got to the end.
TEST(process, runs_killed_at_any_moment_leave_whole_records)
{
    std::string number = first_line(std::string(BROVANTEN_BENCH_NUMBERS_DIR) + "/prime-2048.txt");
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", number);
    const int signals[] = {SIGKILL, SIGTERM, SIGINT};
    int moment = 0;
    for (int ms : {0, 1, 2, 3, 5, 8, 12, 20, 30, 50, 80, 120, 160, 200, 240, 280, 350, 500}) {
        process_options o;
        o.out = stdout_setup::discarded;
        o.kill_after_ms = ms;
        o.kill_signal = signals[moment++ % 3];
        process_result r = run_binary(o);
        ASSERT_TRUE(r.ended);
        parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
        ASSERT_TRUE(parsed.ok) << "killed after " << ms << " ms with signal " << o.kill_signal
                               << ": " << parsed.fault;
        for (const auto &record : parsed.records)
            EXPECT_EQ(record.n + "\n", number);
    }
}

TEST(process, standard_output_closed_with_line_buffering)
{
    if (system("stdbuf --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "stdbuf is not installed";
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", carmichael);
    process_options o;
    o.out = stdout_setup::closed;
    o.line_buffered = true;
    process_result r = run_binary(o);
    EXPECT_TRUE(exited_normally(r)) << how_it_ended(r);
    parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    ASSERT_EQ(parsed.records.size(), 1u);
    EXPECT_FALSE(parsed.records[0].factors.empty());
}

TEST(process, fifo_log_with_a_reader_that_never_reads)
{
    scratch_dir dir;
    write_file("number.fic", carmichael);
    ASSERT_EQ(mkfifo("results.fic", 0644), 0);
    int reader = open("results.fic", O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_NE(reader, -1);
    process_options o;
    o.seconds_limit = 10;
    process_result r = run_binary(o);
    EXPECT_TRUE(exited_normally(r)) << how_it_ended(r);
    EXPECT_NE(r.output.find("\nFactors :\n"), std::string::npos) << r.output;
    char byte;
    EXPECT_LE(read(reader, &byte, 1), 0) << "the record went into the FIFO";
    close(reader);
}

// While another holder keeps the log locked, the run waits at its end:
// the failure message is on the console by then, and the record goes in
// once the lock is free.
TEST(process, failure_message_is_out_before_the_log_is_written)
{
    const std::string failure =
        "\nBe sure that it is a Carmichael, a PSP or a SPSP number and try again !!!";
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", prime);
    int holder = open("results.fic", O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);

    bool seen_while_locked = false;
    process_options o;
    o.watch = [&](const std::string &output) {
        if (holder != -1 && output.size() >= failure.size() &&
            output.compare(output.size() - failure.size(), failure.size(), failure) == 0) {
            seen_while_locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            EXPECT_EQ(read_file("results.fic"), earlier_record) << "written under the lock";
            close(holder);
            holder = -1;
        }
    };
    process_result r = run_binary(o);
    if (holder != -1)
        close(holder);
    EXPECT_TRUE(exited_normally(r)) << how_it_ended(r);
    EXPECT_TRUE(seen_while_locked) << r.output;
    parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), 1u);
}

// A lock that is never given up costs the record, not the run. The ten
// seconds are read on the clock: here every pause of the wait lasts four
// times as long as asked, as on a loaded machine, and the run still gives
// up after ten seconds, not forty.
TEST(process, log_locked_for_good_is_skipped)
{
    std::string expected = transcript_of(prime);
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", prime);
    int holder = open("results.fic", O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    process_options o;
    o.environment = shim_environment({"BROVANTEN_SHIM_SLEEP_FACTOR=4"});
    o.seconds_limit = 2 * lock_quiet_limit_ms / 1000 + 10;
    o.err_path = dir.path() + "/err";
    process_result r = run_binary(o);
    close(holder);
    EXPECT_TRUE(exited_normally(r)) << how_it_ended(r);
    EXPECT_EQ(mask_timings(r.output), expected);
    EXPECT_EQ(read_file("results.fic"), earlier_record);
    EXPECT_EQ(read_file("err"),
              "brovanten: record not written to results.fic: another program kept it locked for 10 s\n");
}

} // namespace
