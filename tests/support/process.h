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

// The test library preloaded into the binary (LD_PRELOAD), with its
// settings: BROVANTEN_SHIM_FSYNC_MS makes each fsync() that much slower,
// BROVANTEN_SHIM_FSYNC_COUNT names a file that gets one byte per fsync(),
// BROVANTEN_SHIM_SIGNAL_IN_WRITE makes the first write() of a log record
// write half of it and raise SIGTERM, and BROVANTEN_SHIM_SHORT_WRITE=k
// makes it write k bytes only, with the disk full at the next write();
// BROVANTEN_SHIM_INTRUDER=text then has another writer append text just
// after those k bytes.
std::vector<std::string> shim_environment(const std::vector<std::string> &settings);
