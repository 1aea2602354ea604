// SPDX-License-Identifier: BSD-2-Clause
// Appending one record (see log_record.h) to the results log "results.fic"
// whole or not at all, and the word for standard error when it is not
// whole there. It rests on three facts: an exclusive flock() and an fcntl()
// write lock on the whole file keep out every program that takes either
// kind (or lockf()); a write() to a regular file stops early only on an
// error or a signal that kills the process, so with every signal that can
// be held held, only SIGKILL, a fault of the program itself or a failing
// disk can cut a record; and a record that fails half-way can be cut back when the
// file holds exactly the earlier bytes plus ours. Cost: a dozen system
// calls and one fsync() per record, plus the wait for the lock, which is
// bounded (see log_wait_limits).
//
// A record that cannot be appended is skipped with a word on standard
// error: the console transcript on standard output never depends on the
// log. A record whose append was cut short and could not be taken back (an
// append-only file, or another writer's bytes after it) stays as an
// incomplete record: the text from its header line to the next header
// line, or to the end of the file, without the closing hyphen line.
#pragma once

#include <string>

inline constexpr char results_log_name[] = "results.fic";

// How long a run waits for the lock. It goes on waiting while others make
// progress (the file grows or the fcntl lock changes hands), so that a
// queue of runs is no fault, but gives up after quiet_ms without progress,
// and after total_ms in all whatever happens, so that a holder that drips
// a byte now and then cannot keep it for good. Both are measured on the
// monotonic clock.
struct log_wait_limits {
    long quiet_ms;
    long total_ms;
};

inline constexpr long lock_quiet_limit_ms = 10000;  // ten seconds without progress
inline constexpr long lock_total_limit_ms = 120000; // two minutes in all
inline constexpr log_wait_limits default_wait_limits = {lock_quiet_limit_ms, lock_total_limit_ms};

// What became of a record.
enum class log_outcome {
    appended,        // whole, in the file, on the disk
    not_regular,     // a folder, FIFO, device or socket: skipped, never waited on
    dangling_link,   // a link to nothing: skipped, nothing is created through it
    cannot_open,     // error says why
    cannot_lock,     // the lock is not to be had here (error says why)
    lock_held,       // the lock stayed taken and the file still for quiet_ms
    lock_wait_over,  // the lock was still taken after total_ms of waiting
    past_size_limit, // the record would pass the file size limit (ulimit -f)
    not_written,     // no room, or the write or sync failed; the file is as it was
    not_synced,      // whole in the file, but the sync failed and it could not be taken back
    cut_short,       // part of the record stays and could not be taken back
};

struct log_result {
    log_outcome outcome;
    int error; // errno behind it, or 0
};

// Appends record to the log at path, whole or not at all (but see
// cut_short and not_synced), and says what became of it.
//
// path must be a regular file or a link to one. A missing file is created
// as a plain new file, never through a link; when another program creates
// it (or a link) at the same moment, the open is tried again. The file is
// opened once, for reading and appending (for appending only when it may
// not be read), and every step goes through that one descriptor: closing
// another descriptor of the file would give up the fcntl lock.
//
// The append holds an exclusive flock() and an fcntl() write lock on the
// whole file, so that runs at once, and programs that use either kind of
// lock, each add whole records. While it waits for the lock (see
// log_wait_limits), SIGINT and the like end the run at once. Once it holds
// the lock, every signal that can be held is held until the append is
// over: the record is checked against the file size limit, its room
// reserved where the file system can, written and synced; a record that
// fails half-way is cut back to where it began when the file is exactly
// the earlier bytes plus ours. A record always begins a line: if the file
// does not end with a line feed (an earlier record was cut short), or its
// last byte cannot be read, one comes first.
log_result log_append(const char *path, const std::string &record,
                      const log_wait_limits &limits = default_wait_limits);

// The word for standard error when a record is not whole in the log at
// path, naming the file and the reason; "" when it was appended.
std::string log_warning(const char *path, const log_result &result);
