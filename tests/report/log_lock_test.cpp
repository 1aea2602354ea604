// SPDX-License-Identifier: BSD-2-Clause
// The locks of the results log as another program sees them: held by the
// run, on the whole file, at every step of its append whatever the file
// held before; a writer that takes the fcntl lock never gets its line cut
// away with a record that is taken back; and the wait for the lock ends by
// its two limits whatever the holder does.
#include "support/harness.h"
#include "support/process.h"
#include "support/record_parser.h"

#include "report/log_append.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

const std::string prime = "100003\n";

bool exited_normally(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What results.fic holds before the run: the first append of a log, a log
// of whole records, and one whose last record was cut short (the run then
// reads its last byte and writes a line feed first).
struct earlier_log {
    const char *name;
    std::string text;
};

const earlier_log earlier_logs[] = {
    {"empty log", ""},
    {"log of whole records", earlier_record},
    {"log ending inside a cut record", earlier_record + "Brovanten V1.1r     T.Osbervan      Tue"},
};

void PrintTo(const earlier_log &e, std::ostream *os)
{
    *os << e.name;
}

// The steps of the append at which the shim holds the run.
struct append_step {
    const char *name;
};

const append_step append_steps[] = {{"fallocate"}, {"write"}, {"fsync"}};

void PrintTo(const append_step &s, std::ostream *os)
{
    *os << s.name;
}

class lock_during_the_append
    : public ::testing::TestWithParam<std::tuple<earlier_log, append_step>> {};

// Held at each step, the run has its fcntl write lock on the whole file,
// from byte 0 to any length, and its flock: another program is kept out.
TEST_P(lock_during_the_append, is_held_on_the_whole_file)
{
    const earlier_log &earlier = std::get<0>(GetParam());
    const char *step = std::get<1>(GetParam()).name;
    scratch_dir dir;
    write_file("results.fic", earlier.text);
    write_file("number.fic", prime);
    held_run run(step);
    ASSERT_TRUE(run.reached()) << "the run never got to " << step;

    int other = open("results.fic", O_RDWR | O_CLOEXEC);
    ASSERT_NE(other, -1);
    struct flock range{};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 0;
    ASSERT_EQ(fcntl(other, F_GETLK, &range), 0);
    EXPECT_EQ(range.l_type, F_WRLCK) << "no fcntl lock at " << step;
    EXPECT_EQ(range.l_whence, SEEK_SET);
    EXPECT_EQ(range.l_start, 0);
    EXPECT_EQ(range.l_len, 0) << "the lock does not reach past every byte";
    EXPECT_EQ(range.l_pid, run.pid());
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), -1) << "no flock at " << step;
    close(other);

    EXPECT_TRUE(exited_normally(run.finish()));
    std::string before = earlier.text;
    if (!before.empty() && before.back() != '\n')
        before += "\n";
    parsed_log parsed = parse_log(read_file("results.fic"), before);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(process, lock_during_the_append,
                         ::testing::Combine(::testing::ValuesIn(earlier_logs),
                                            ::testing::ValuesIn(append_steps)),
                         [](const auto &info) {
                             return test_name((std::string(std::get<0>(info.param).name) + " at " +
                                               std::get<1>(info.param).name)
                                                  .c_str());
                         });

// A write stops short with the disk full and the run cuts its bytes back;
// meanwhile another program waits for the fcntl lock to append a line. It
// gets in after the cut, so its line is neither cut away nor glued to part
// of a record.
TEST(process, writer_with_the_fcntl_lock_waits_for_the_take_back)
{
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", prime);
    process_options o;
    o.err_path = dir.path() + "/err";
    held_run run("ftruncate", {"BROVANTEN_SHIM_SHORT_WRITE=70"}, o);
    ASSERT_TRUE(run.reached());
    const std::string line = "a line of another program\n";
    pid_t writer = fork();
    if (writer == 0) {
        int fd = open("results.fic", O_WRONLY | O_APPEND | O_CLOEXEC);
        struct flock range{};
        range.l_type = F_WRLCK;
        range.l_whence = SEEK_SET;
        bool locked = fcntl(fd, F_SETLKW, &range) == 0;
        bool written = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
        _exit(locked && written ? 0 : 1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(read_file("results.fic").size(), earlier_record.size() + 70)
        << "the other program wrote while the run held the lock";
    EXPECT_TRUE(exited_normally(run.finish()));
    int status = 0;
    waitpid(writer, &status, 0);
    EXPECT_TRUE(exited_normally(status));
    EXPECT_EQ(read_file("results.fic"), earlier_record + line);
    EXPECT_EQ(read_file("err"), "brovanten: record not written to results.fic: No space left on device\n");
}

// A holder of the lock, in a process of its own: it takes flock() or an
// fcntl() write lock, appends a byte every 100 ms if it drips, and lets go
// after hold_ms; a writer beside it, if there is one, appends a byte every
// 100 ms without any lock.
struct holder_case {
    const char *name;
    bool fcntl_lock;
    bool drips;
    bool writer_beside;
    long hold_ms;
    log_outcome outcome;
    long waited_at_least_ms;
};

// The run waits for at most quiet_ms without progress and total_ms in all.
constexpr log_wait_limits short_limits = {600, 2500};

const holder_case holder_cases[] = {
    {"flock holder that drips a byte every 100 ms", false, true, false, 15000,
     log_outcome::lock_wait_over, short_limits.total_ms},
    {"fcntl holder that drips a byte every 100 ms", true, true, false, 15000,
     log_outcome::lock_wait_over, short_limits.total_ms},
    {"silent holder beside a writer that takes no lock", false, false, true, 15000,
     log_outcome::lock_wait_over, short_limits.total_ms},
    {"silent fcntl holder", true, false, false, 15000, log_outcome::lock_held,
     short_limits.quiet_ms},
    {"silent flock holder", false, false, false, 15000, log_outcome::lock_held,
     short_limits.quiet_ms},
    {"holder that drips for 1.5 s and lets go", false, true, false, 1500, log_outcome::appended,
     1500},
};

void PrintTo(const holder_case &c, std::ostream *os)
{
    *os << c.name;
}

// Appends a byte every 100 ms for ms milliseconds, with the lock asked for
// first, and tells ready when it holds it.
[[noreturn]] void drip(int ready, bool take_lock, bool fcntl_lock, bool drips, long ms)
{
    int fd = open("results.fic", O_RDWR | O_APPEND | O_CLOEXEC);
    if (take_lock) {
        struct flock range{};
        range.l_type = F_WRLCK;
        range.l_whence = SEEK_SET;
        if (fcntl_lock ? fcntl(fd, F_SETLK, &range) : flock(fd, LOCK_EX | LOCK_NB))
            _exit(1);
    }
    if (write(ready, "+", 1) != 1)
        _exit(1);
    for (long waited = 0; waited < ms; waited += 100) {
        if (drips && write(fd, ".", 1) != 1)
            _exit(1);
        usleep(100 * 1000);
    }
    _exit(0);
}

class wait_for_the_lock : public ::testing::TestWithParam<holder_case> {};

TEST_P(wait_for_the_lock, ends_by_its_limits)
{
    const holder_case &c = GetParam();
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    if (holder == 0)
        drip(ready[1], true, c.fcntl_lock, c.drips, c.hold_ms);
    pid_t beside = -1;
    if (c.writer_beside) {
        beside = fork();
        if (beside == 0)
            drip(ready[1], false, false, true, c.hold_ms);
    }
    char byte;
    for (int started = 0; started < (c.writer_beside ? 2 : 1); ++started)
        ASSERT_EQ(read(ready[0], &byte, 1), 1) << "a helper did not start";
    close(ready[0]);
    close(ready[1]);

    const std::string record = "Brovanten V1.1r     T.Osbervan      a record\n";
    auto start = std::chrono::steady_clock::now();
    log_result r = log_append("results.fic", record, short_limits);
    long waited = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
    for (pid_t helper : {holder, beside}) {
        if (helper > 0) {
            kill(helper, SIGKILL);
            waitpid(helper, nullptr, 0);
        }
    }
    EXPECT_EQ(static_cast<int>(r.outcome), static_cast<int>(c.outcome)) << log_warning("results.fic", r);
    EXPECT_GE(waited, c.waited_at_least_ms);
    if (c.outcome == log_outcome::lock_held) {
        EXPECT_LT(waited, short_limits.total_ms) << "the quiet limit did not end the wait";
    }
    std::string log = read_file("results.fic");
    EXPECT_EQ(log.compare(0, earlier_record.size(), earlier_record), 0);
    bool appended = log.size() >= record.size() &&
                    log.compare(log.size() - record.size(), record.size(), record) == 0;
    EXPECT_EQ(appended, c.outcome == log_outcome::appended);
}

INSTANTIATE_TEST_SUITE_P(process, wait_for_the_lock, ::testing::ValuesIn(holder_cases),
                         [](const auto &info) { return test_name(info.param.name); });

} // namespace
