// SPDX-License-Identifier: BSD-2-Clause
// The append of a record on the real binary, held or failed at one step by
// the preloaded shim: every deadly signal sent in the middle of the record,
// and random ones at random moments; another program that creates the log
// just as the run finds it missing; a sync that fails, with the word on
// standard error matching what is in the file.
#include "support/harness.h"
#include "support/process.h"
#include "support/record_parser.h"

#include "report/log_append.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string prime = "100003\n";

bool exited_normally(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string how_it_ended(int status)
{
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return "exit status " + std::to_string(WEXITSTATUS(status));
}

// Every signal whose default action ends the process, sent by another
// program (the faults among them too: sent, they are no fault of the
// run's). The tool ignores SIGPIPE and SIGXFSZ from the start.
struct deadly_signal {
    const char *name;
    int number;
    bool ends_the_run;
};

const deadly_signal deadly_signals[] = {
    {"SIGHUP", SIGHUP, true},
    {"SIGINT", SIGINT, true},
    {"SIGQUIT", SIGQUIT, true},
    {"SIGILL sent", SIGILL, true},
    {"SIGTRAP sent", SIGTRAP, true},
    {"SIGABRT", SIGABRT, true},
    {"SIGBUS sent", SIGBUS, true},
    {"SIGFPE sent", SIGFPE, true},
    {"SIGUSR1", SIGUSR1, true},
    {"SIGSEGV sent", SIGSEGV, true},
    {"SIGUSR2", SIGUSR2, true},
    {"SIGPIPE", SIGPIPE, false},
    {"SIGALRM", SIGALRM, true},
    {"SIGTERM", SIGTERM, true},
    {"SIGSTKFLT", SIGSTKFLT, true},
    {"SIGXCPU", SIGXCPU, true},
    {"SIGXFSZ", SIGXFSZ, false},
    {"SIGVTALRM", SIGVTALRM, true},
    {"SIGPROF", SIGPROF, true},
    {"SIGIO", SIGIO, true},
    {"SIGPWR", SIGPWR, true},
    {"SIGSYS sent", SIGSYS, true},
    // The first two real-time signals, which the C library keeps for its
    // threads and will not put in a mask itself, then its own range.
    {"signal 32", 32, true},
    {"signal 33", 33, true},
    {"SIGRTMIN", SIGRTMIN, true},
    {"SIGRTMIN+1", SIGRTMIN + 1, true},
    {"SIGRTMAX-1", SIGRTMAX - 1, true},
    {"SIGRTMAX", SIGRTMAX, true},
};

void PrintTo(const deadly_signal &s, std::ostream *os)
{
    *os << s.name;
}

class signal_inside_the_append : public ::testing::TestWithParam<deadly_signal> {};

// Sent when half the record is written: it takes effect once the record
// is whole and synced.
TEST_P(signal_inside_the_append, waits_for_the_whole_record)
{
    const deadly_signal &s = GetParam();
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", prime);
    held_run run("write");
    ASSERT_TRUE(run.reached());
    ASSERT_EQ(kill(run.pid(), s.number), 0);
    int status = run.finish();
    if (s.ends_the_run)
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == s.number) << how_it_ended(status);
    else
        EXPECT_TRUE(exited_normally(status)) << how_it_ended(status);
    parsed_log parsed = parse_log(read_file("results.fic"), earlier_record);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(process, signal_inside_the_append, ::testing::ValuesIn(deadly_signals),
                         [](const auto &info) { return test_name(info.param.name); });

// Runs killed by a random deadly signal at a random moment, with the write
// of each record paused half-way so that a good share of the moments fall
// inside it: no record is ever cut. The moments span the time a whole run
// takes here and now, measured first, so that a loaded machine moves them
// with the run. BROVANTEN_SIGNAL_RUNS sets the number of runs (60 by
// default).
TEST(process, random_deadly_signals_cut_no_record)
{
    const char *runs_setting = std::getenv("BROVANTEN_SIGNAL_RUNS");
    const int runs = runs_setting != nullptr ? std::atoi(runs_setting) : 60;
    unsigned long seed = test_seed(1);
    SCOPED_TRACE(seed_note(seed));
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
    std::uniform_int_distribution<std::size_t> which(0, std::size(deadly_signals) - 1);

    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", prime);
    process_options o;
    o.out = stdout_setup::discarded;
    o.environment = shim_environment(
        {"BROVANTEN_SHIM_WRITE_PAUSE_MS=20", "BROVANTEN_SHIM_PENDING_NOTE=" + dir.path() + "/held"});
    double longest = 0;
    for (int calibration = 0; calibration < 3; ++calibration)
        longest = std::max(longest, run_binary(o).seconds);
    std::uniform_int_distribution<int> moment_ms(0, static_cast<int>(1200 * longest) + 1);
    const std::string earlier = read_file("results.fic");

    int signalled = 0;
    for (int run = 0; run < runs; ++run) {
        o.kill_after_ms = moment_ms(random);
        const deadly_signal &s = deadly_signals[which(random)];
        o.kill_signal = s.number;
        process_result r = run_binary(o);
        ASSERT_TRUE(r.ended);
        signalled += WIFSIGNALED(r.status);
        parsed_log parsed = parse_log(read_file("results.fic"), earlier);
        ASSERT_TRUE(parsed.ok) << "run " << run << ", " << s.name << " after " << o.kill_after_ms
                               << " ms: " << parsed.fault;
    }
    // The signals that came while a record was half-written, held until it
    // was whole: the moments must put some there for the test to mean
    // anything.
    std::string held = read_file("held");
    int held_inside = held == "<missing>" ? 0 : static_cast<int>(held.size());
    EXPECT_GT(held_inside, 0) << "no signal came inside an append";
    parsed_log parsed = parse_log(read_file("results.fic"), earlier);
    RecordProperty("runs", runs);
    RecordProperty("ended_by_the_signal", signalled);
    RecordProperty("held_inside_the_append", held_inside);
    RecordProperty("records", static_cast<int>(parsed.records.size()));
}

// Another program puts something at the log's name just after the run's
// open found nothing there: before the run looks at what is there (lstat),
// or before it creates the file itself. The run opens what is there now,
// or skips a link to nothing, and never creates a file through a link.
struct race_case {
    const char *name;
    const char *step;
    void (*make)();
    const char *log; // where the record goes, or nullptr when skipped
};

const std::string made_text = "a line of another run\n";

const race_case race_cases[] = {
    {"plain file made before the look", "lstat", [] { write_file("results.fic", made_text); },
     "results.fic"},
    {"link to a file made before the look", "lstat",
     [] {
         write_file("target.fic", made_text);
         symlink("target.fic", "results.fic");
     },
     "target.fic"},
    {"link to nothing made before the look", "lstat", [] { symlink("target.fic", "results.fic"); },
     nullptr},
    {"plain file made before the create", "create", [] { write_file("results.fic", made_text); },
     "results.fic"},
};

void PrintTo(const race_case &c, std::ostream *os)
{
    *os << c.name;
}

class log_made_meanwhile : public ::testing::TestWithParam<race_case> {};

TEST_P(log_made_meanwhile, is_opened_again)
{
    const race_case &c = GetParam();
    scratch_dir dir;
    write_file("number.fic", prime);
    process_options o;
    o.err_path = dir.path() + "/err";
    held_run run(c.step, {}, o);
    ASSERT_TRUE(run.reached()) << "the run never got to " << c.step;
    c.make();
    EXPECT_TRUE(exited_normally(run.finish()));
    if (c.log == nullptr) {
        EXPECT_EQ(read_file("err"), "brovanten: record not written to results.fic: it is a link to nothing\n");
        EXPECT_EQ(read_file("target.fic"), "<missing>");
        return;
    }
    EXPECT_EQ(read_file("err"), "");
    parsed_log parsed = parse_log(read_file(c.log), made_text);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(process, log_made_meanwhile, ::testing::ValuesIn(race_cases),
                         [](const auto &info) { return test_name(info.param.name); });

// The sync of a whole record fails (a disk that lost the data). A plain
// file gets the record taken back; an append-only one, or one where
// another program wrote after the record while it was being synced, keeps
// it whole, and the word says so.
struct sync_case {
    const char *name;
    bool append_only;
    bool writer_during_the_sync;
    bool record_stays;
    const char *word;
};

const char not_written_word[] = "brovanten: record not written to results.fic: Input/output error\n";
const char not_synced_word[] =
    "brovanten: the record in results.fic is whole but may not be on the disk (Input/output error)\n";

const sync_case sync_cases[] = {
    {"plain file", false, false, false, not_written_word},
    {"append-only file", true, false, true, not_synced_word},
    {"another writer's line after the record", false, true, true, not_synced_word},
};

void PrintTo(const sync_case &c, std::ostream *os)
{
    *os << c.name;
}

class failed_sync : public ::testing::TestWithParam<sync_case> {};

TEST_P(failed_sync, word_matches_the_file)
{
    const sync_case &c = GetParam();
    scratch_dir dir;
    write_file("results.fic", earlier_record);
    write_file("number.fic", prime);
    std::optional<append_only_file> guard;
    if (c.append_only) {
        guard.emplace("results.fic");
        if (!guard->set)
            GTEST_SKIP() << "cannot make a file append-only here (" << std::strerror(errno) << ")";
    }
    process_options o;
    o.err_path = dir.path() + "/err";
    held_run run("fsync", {"BROVANTEN_SHIM_FSYNC_ERROR=1"}, o);
    ASSERT_TRUE(run.reached());
    const std::string line = "a line of a program that takes no lock\n";
    if (c.writer_during_the_sync) {
        int fd = open("results.fic", O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_EQ(write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        close(fd);
    }
    EXPECT_TRUE(exited_normally(run.finish()));
    EXPECT_EQ(read_file("err"), c.word);
    std::string log = read_file("results.fic");
    if (c.writer_during_the_sync) {
        ASSERT_GE(log.size(), line.size());
        EXPECT_EQ(log.substr(log.size() - line.size()), line);
        log.resize(log.size() - line.size());
    }
    parsed_log parsed = parse_log(log, earlier_record);
    ASSERT_TRUE(parsed.ok) << parsed.fault;
    EXPECT_EQ(parsed.records.size(), c.record_stays ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(process, failed_sync, ::testing::ValuesIn(sync_cases),
                         [](const auto &info) { return test_name(info.param.name); });

} // namespace
