// SPDX-License-Identifier: BSD-2-Clause
// The results log against other writers and lockers, on the real binary:
// append-only files, a writer that takes no lock, a queue of runs whose
// appends are slow, locks of every kind held by the test, and signals that
// arrive during or after the append.
#include "support/harness.h"
#include "support/process.h"
#include "support/record_parser.h"

#include "report/log_append.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const std::string carmichael = "6178246534322281\n";
const std::string prime = "100003\n";

bool exited_normally(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// An append-only log under a size limit that ends inside the record: the
// record cannot be cut back there, so it must never be started. With the
// limit gone, the next run appends its whole record.
TEST(process, append_only_log_under_a_size_limit)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", carmichael);
    append_only_file guard("results.fic");
    if (!guard.set)
        GTEST_SKIP() << "cannot make a file append-only here (" << std::strerror(errno) << ")";
    for (long room : {0L, 1L, 64L, 150L}) {
        process_options o;
        o.file_size_limit = static_cast<long>(earlier_record.size()) + room;
        o.err_path = dir.path() + "/err";
        process_result r = run_binary(o);
        EXPECT_TRUE(r.ended && exited_normally(r.status)) << "room " << room;
        EXPECT_EQ(read_file("results.fic"), earlier_record) << "room " << room;
        EXPECT_EQ(read_file("err"),
                  "brovanten: record not written to results.fic: it would pass the file size limit\n");
    }
    process_result r = run_binary();
    parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), 1u);
}

// An append-only log on a full disk: the room for the record is asked for
// before a byte is written, so the file stays as it was, whether its last
// page is full (slack 0) or has room for the start of the record, which
// could then not be cut back.
TEST(process, append_only_log_on_a_full_tmpfs)
{
    scratch_dir dir;
    mkdir("disk", 0755);
    if (mount("tmpfs", "disk", "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << ")";
    ASSERT_EQ(chdir("disk"), 0);
    write_file("number.fic", carmichael);
    bool attribute = true;
    for (long slack : {0L, 40L}) {
        SCOPED_TRACE("slack " + std::to_string(slack));
        std::string earlier = earlier_record;
        earlier.resize(static_cast<std::size_t>(8192 - slack - 1), '.');
        earlier += "\n";
        write_file("results.fic", earlier);
        append_only_file guard("results.fic");
        attribute = guard.set;
        if (!attribute)
            break;
        int fd = open("filler", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::string page(4096, 'f');
        while (write(fd, page.data(), page.size()) > 0) {
        }
        close(fd);
        process_result r = run_binary();
        EXPECT_TRUE(r.ended && exited_normally(r.status));
        EXPECT_EQ(read_file("results.fic"), earlier);
        unlink("filler");
        run_binary();
        parsed_log parsed = parse_log(read_file("results.fic"), earlier);
        EXPECT_TRUE(parsed.ok) << parsed.fault;
        EXPECT_EQ(parsed.records.size(), 1u);
        set_append_only("results.fic", false);
        unlink("results.fic");
    }
    ASSERT_EQ(chdir(".."), 0);
    umount2("disk", MNT_DETACH);
    if (!attribute)
        GTEST_SKIP() << "this tmpfs has no append-only attribute";
}

// A writer that takes no lock appends lines while runs fail for lack of
// room: not one of its lines may be lost.
TEST(process, other_writer_keeps_its_lines_while_runs_fail)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", carmichael);
    std::atomic<bool> stop{false};
    std::atomic<long> lines{0};
    std::thread writer([&] {
        int fd = open("results.fic", O_WRONLY | O_APPEND | O_CLOEXEC);
        while (!stop) {
            std::string line = "other writer, line " + std::to_string(lines.load()) + "\n";
            if (write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()))
                ++lines;
        }
        close(fd);
    });
    process_options o;
    o.file_size_limit = static_cast<long>(earlier_record.size());
    std::vector<pid_t> runs;
    for (int i = 0; i < 50; ++i)
        runs.push_back(start_binary(o));
    for (pid_t pid : runs) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(exited_normally(status));
    }
    stop = true;
    writer.join();

    RecordProperty("other_writer_lines", std::to_string(lines.load()));
    std::string log = read_file("results.fic");
    ASSERT_EQ(log.compare(0, earlier_record.size(), earlier_record), 0);
    std::string expected = earlier_record;
    for (long k = 0; k < lines; ++k)
        expected += "other writer, line " + std::to_string(k) + "\n";
    EXPECT_EQ(log.size(), expected.size()) << lines << " lines written";
    EXPECT_TRUE(log == expected) << "lines of the other writer were lost or changed";
}

// Fifty runs at once, each append slowed by a quarter of a second in
// fsync(): the queue takes longer than the ten seconds one holder may keep
// the lock, but it moves, so every run waits its turn and adds its record.
// Each record is synced to the disk.
TEST(process, a_slow_queue_loses_no_record)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", prime);
    process_options o;
    o.environment = shim_environment({"BROVANTEN_SHIM_FSYNC_MS=250",
                                      "BROVANTEN_SHIM_FSYNC_COUNT=" + dir.path() + "/fsyncs"});
    const int count = 50;
    std::vector<pid_t> runs;
    for (int i = 0; i < count; ++i)
        runs.push_back(start_binary(o));
    for (pid_t pid : runs) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(exited_normally(status));
    }
    parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), static_cast<std::size_t>(count));
    EXPECT_GE(read_file("fsyncs").size(), static_cast<std::size_t>(count));
}

// A lock of any kind held by another program for two seconds: the run
// waits for it, writes nothing meanwhile, and appends once it is free.
struct held_lock {
    const char *name;
    void (*take)(int fd);
};

const held_lock held_locks[] = {
    {"fcntl write lock",
     [](int fd) {
         struct flock range{};
         range.l_type = F_WRLCK;
         range.l_whence = SEEK_SET;
         ASSERT_EQ(fcntl(fd, F_SETLK, &range), 0);
     }},
    {"lockf", [](int fd) { ASSERT_EQ(lockf(fd, F_TLOCK, 0), 0); }},
    {"shared flock", [](int fd) { ASSERT_EQ(flock(fd, LOCK_SH), 0); }},
    {"exclusive flock", [](int fd) { ASSERT_EQ(flock(fd, LOCK_EX), 0); }},
};

void PrintTo(const held_lock &l, std::ostream *os)
{
    *os << l.name;
}

class lock_held_by_another : public ::testing::TestWithParam<held_lock> {};

TEST_P(lock_held_by_another, run_waits_then_appends)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", carmichael);
    int holder = open("results.fic", O_RDWR | O_CLOEXEC);
    ASSERT_NE(holder, -1);
    GetParam().take(holder);
    pid_t run = start_binary();
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    EXPECT_EQ(read_file("results.fic"), earlier_record) << "written under the lock";
    close(holder); // gives up every lock this process holds on the file
    int status = 0;
    waitpid(run, &status, 0);
    EXPECT_TRUE(exited_normally(status));
    parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(process, lock_held_by_another, ::testing::ValuesIn(held_locks),
                         [](const auto &info) { return test_name(info.param.name); });

// SIGTERM in the middle of the record's write: it waits until the append is
// over, so the record is whole, and then ends the run.
TEST(process, terminate_during_the_write_waits_for_the_record)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", carmichael);
    process_options o;
    o.environment = shim_environment({"BROVANTEN_SHIM_SIGNAL_IN_WRITE=" + std::to_string(SIGTERM)});
    process_result r = run_binary(o);
    ASSERT_TRUE(r.ended);
    EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGTERM) << r.status;
    parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), 1u);
}

// After the append, Ctrl-C works again: at the closing prompt it ends the
// run. It is sent once the prompt is out, not at a fixed moment: one that
// came during the append would wait, by design, until the record is whole
// and synced, which a loaded disk can make long. The run gets default
// signal handling whatever the caller had: a shell's background job, for
// one, ignores SIGINT.
struct caller_case {
    const char *name;
    void (*before)();
    void (*after)();
};

const caller_case caller_cases[] = {
    {"default handling", [] {}, [] {}},
    {"SIGINT ignored by the caller", [] { std::signal(SIGINT, SIG_IGN); },
     [] { std::signal(SIGINT, SIG_DFL); }},
    {"SIGINT held by the caller",
     [] {
         sigset_t held;
         sigemptyset(&held);
         sigaddset(&held, SIGINT);
         sigprocmask(SIG_BLOCK, &held, nullptr);
     },
     [] {
         sigset_t held;
         sigemptyset(&held);
         sigaddset(&held, SIGINT);
         sigprocmask(SIG_UNBLOCK, &held, nullptr);
     }},
};

void PrintTo(const caller_case &c, std::ostream *os)
{
    *os << c.name;
}

class interrupt_at_the_closing_prompt : public ::testing::TestWithParam<caller_case> {};

TEST_P(interrupt_at_the_closing_prompt, ends_the_run)
{
    scratch_dir dir;
    write_file("number.fic", carmichael);
    process_options o;
    o.in = stdin_setup::held_open;
    o.kill_after_output = "press a key to exit...";
    o.kill_signal = SIGINT;
    o.seconds_limit = 30;
    GetParam().before();
    process_result r = run_binary(o);
    GetParam().after();
    ASSERT_TRUE(r.ended) << "still waiting at the prompt after SIGINT";
    EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGINT) << r.status;
    EXPECT_NE(r.output.find("press a key"), std::string::npos) << r.output;
    parsed_log parsed = parse_log(read_file("results.fic"), "");
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(process, interrupt_at_the_closing_prompt, ::testing::ValuesIn(caller_cases),
                         [](const auto &info) { return test_name(info.param.name); });

// Ctrl-C while the run waits for another's lock ends it at once, with no
// record.
TEST(process, interrupt_while_waiting_for_the_lock)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", carmichael);
    int holder = open("results.fic", O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    process_options o;
    o.kill_after_ms = 1000;
    o.kill_signal = SIGINT;
    o.seconds_limit = 5;
    process_result r = run_binary(o);
    close(holder);
    ASSERT_TRUE(r.ended) << "SIGINT did not end the wait";
    EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGINT) << r.status;
    EXPECT_EQ(read_file("results.fic"), earlier_record);
}

// A write that stops short with the disk full: the bytes of the record
// that got in are taken back, and the file is as it was.
TEST(process, short_write_is_taken_back)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", carmichael);
    for (const char *bytes : {"1", "70", "120"}) {
        process_options o;
        o.environment = shim_environment({std::string("BROVANTEN_SHIM_SHORT_WRITE=") + bytes});
        o.err_path = dir.path() + "/err";
        process_result r = run_binary(o);
        EXPECT_TRUE(r.ended && exited_normally(r.status)) << bytes;
        EXPECT_EQ(read_file("results.fic"), earlier_record) << bytes << " bytes";
        EXPECT_EQ(read_file("err"),
                  "brovanten: record not written to results.fic: No space left on device\n");
    }
}

// Another writer appends just after the short write: cutting back would
// take its text too, so the record stays cut short, an incomplete record,
// and the next run's record starts on a line of its own after the text.
TEST(process, short_write_before_another_writer_stays)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", carmichael);
    process_options o;
    o.environment = shim_environment({"BROVANTEN_SHIM_SHORT_WRITE=70",
                                      "BROVANTEN_SHIM_INTRUDER=another writer's line"});
    o.err_path = dir.path() + "/err";
    process_result r = run_binary(o);
    EXPECT_TRUE(r.ended && exited_normally(r.status));
    EXPECT_EQ(read_file("err"), "brovanten: the record in results.fic was cut short (No space left "
                                "on device) and could not be taken back\n");
    std::string log = read_file("results.fic");
    std::string record_start = log.substr(earlier_record.size(), 70);
    EXPECT_EQ(log, earlier_record + record_start + "another writer's line");
    EXPECT_EQ(record_start.compare(0, 15, "Brovanten V1.1r"), 0) << record_start;

    run_binary();
    log = read_file("results.fic");
    parsed_log parsed = parse_log(log, earlier_record, true);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.incomplete, 1);
    EXPECT_EQ(parsed.records.size(), 1u);
    EXPECT_FALSE(parse_log(log, earlier_record).ok);
}

} // namespace
