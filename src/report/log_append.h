// SPDX-License-Identifier: BSD-2-Clause
// Appending one record (see log_record.h) to the results log "results.fic",
// whole at the end of the run, so that runs at once in one folder, a full
// disk or a run killed half-way never leave part of a record.
//
// A record that cannot be appended is skipped with a word on standard error:
// the console transcript on standard output never depends on the log.
//
// A record whose append was cut short and could not be taken back (an
// append-only file, or another writer's bytes after it) stays as an
// incomplete record: the text from its header line to the next header line,
// or to the end of the file, without the closing hyphen line.
#pragma once

#include <string>

inline constexpr char results_log_name[] = "results.fic";

// What became of a record.
enum class log_outcome {
    appended,        // whole, in the file, on the disk
    not_regular,     // a folder, FIFO, device or socket: skipped, never waited on
    dangling_link,   // a link to nothing: skipped, nothing is created through it
    cannot_open,     // error says why
    cannot_lock,     // the lock is not to be had here (error says why)
    lock_held,       // one holder kept the lock past lock_wait_ms
    past_size_limit, // the record would pass the file size limit (ulimit -f)
    not_written,     // no room, or the write failed; the file is as it was
    cut_short,       // part of the record stays and could not be taken back
};

struct log_result {
    log_outcome outcome;
    int error; // errno behind it, or 0
};

// Appends record to the log at path, whole or not at all (but see
// cut_short), and says what became of it.
//
// path must be a regular file or a link to one. A missing file is created as
// a plain new file, never through a link. The append holds an exclusive
// flock() and an fcntl() write lock on the whole file, so that runs at once,
// and programs that use either kind of lock, each add whole records. A run
// waits for the lock as long as others make progress (the file grows, or the
// lock changes hands) and gives up when one holder keeps it for lock_wait_ms;
// SIGINT and the like end it at once while it waits. Once it holds the lock,
// the record is checked against the file size limit, its room reserved where
// the file system can, and written; a record that fails half-way is cut back
// to where it began when nobody else wrote since, and SIGINT, SIGTERM, SIGHUP
// and SIGQUIT wait until the append is over. A record always begins a line:
// if the file does not end with a line feed (an earlier record was cut
// short), one comes first.
log_result log_append(const char *path, const std::string &record);

inline constexpr int lock_wait_ms = 10000;

// The word for standard error when a record is not whole in the log at
// path, naming the file and the reason; "" when it was appended.
std::string log_warning(const char *path, const log_result &result);
