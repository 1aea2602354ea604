// SPDX-License-Identifier: BSD-2-Clause
// Starting the real brovanten binary in the current directory, for faults
// that only a separate process can show: closed standard streams, a reader
// that goes away, a file size limit, signals, runs at once.
#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <vector>
#include <sys/types.h>

// held_open: a pipe that nobody writes to and that stays open until the
// run ends, so that the closing prompt waits.
enum class stdin_setup { end_of_file, closed, held_open };
enum class stdout_setup { captured, reader_gone, closed, discarded };

struct process_options {
    stdin_setup in = stdin_setup::end_of_file;
    stdout_setup out = stdout_setup::captured;
    long file_size_limit = -1;  // RLIMIT_FSIZE in bytes; -1 leaves it alone
    bool line_buffered = false; // started through `stdbuf -oL`
    int kill_after_ms = -1;     // sends kill_signal this long after the start
    std::string kill_after_output; // or once standard output holds this text
    int kill_signal = SIGKILL;
    int seconds_limit = 30;     // killed with SIGKILL after this
    // The binary to start; empty means the one that was built.
    std::string binary;
    // A file for standard error; empty leaves it as it is.
    std::string err_path;
    // NAME=value settings added to the run's environment.
    std::vector<std::string> environment;
    // Called while the run goes on, with standard output so far.
    std::function<void(const std::string &output)> watch;
};

struct process_result {
    bool ended;          // false if it had to be killed after the time limit
    int status;          // waitpid status when it ended
    std::string output;  // standard output, when captured
    double seconds;      // wall time from start to end
};

process_result run_binary(const process_options &options = {});

// Starts the binary with standard input at end of file and standard output
// discarded (or as options say, but for a captured output, which it
// discards), and returns at once; wait for it with waitpid.
pid_t start_binary(const process_options &options = {});

// The test library preloaded into the binary (LD_PRELOAD, see
// support/append_shim.cpp), with its settings:
//   BROVANTEN_SHIM_FSYNC_MS=ms         each fsync() that much slower
//   BROVANTEN_SHIM_FSYNC_COUNT=path    a file that gets one byte per fsync()
//   BROVANTEN_SHIM_FSYNC_ERROR=1       the first fsync() fails with EIO
//   BROVANTEN_SHIM_SIGNAL_IN_WRITE=sig the first write() of a log record
//                                      writes half of it and raises sig
//   BROVANTEN_SHIM_WRITE_PAUSE_MS=ms   it writes half and pauses
//   BROVANTEN_SHIM_PENDING_NOTE=path   a file that gets one byte when a
//                                      signal waits at the end of the pause
//   BROVANTEN_SHIM_SHORT_WRITE=k       it writes k bytes only, with the disk
//                                      then full at the next write()
//   BROVANTEN_SHIM_INTRUDER=text       another writer appends text just
//                                      after those k bytes
//   BROVANTEN_SHIM_SLEEP_FACTOR=k      every nanosleep() k times as long
//   BROVANTEN_SHIM_HOLD_AT=step and BROVANTEN_SHIM_HOLD_FILE=path: see
//                                      held_run
std::vector<std::string> shim_environment(const std::vector<std::string> &settings);

// A run of the binary (started as start_binary does, with the shim) that is
// held at one step of its append until the test has looked: "lstat" (what
// is at the log's name after an open found nothing), "create" (just before
// it creates the log), "fallocate", "write" (after half of the record),
// "fsync" or "ftruncate". The shim creates a file in the working directory
// when the run gets there and waits until it is removed.
class held_run {
public:
    held_run(const std::string &step, const std::vector<std::string> &settings = {},
             process_options options = {});
    ~held_run();
    held_run(const held_run &) = delete;
    held_run &operator=(const held_run &) = delete;
    // Waits until the run is held there; false if it never got there.
    bool reached(int seconds = 20) const;
    // Lets it go on.
    void release() const;
    // Waits for its end and returns its waitpid status.
    int finish();
    pid_t pid() const { return pid_; }

private:
    std::string hold_file_;
    pid_t pid_;
    bool finished_ = false;
};
