// SPDX-License-Identifier: BSD-2-Clause
// The results log "results.fic": one record per number that passed the
// screening. The record is built in memory while the run goes on and
// appended whole at its end, so that runs at once in one folder, a full
// disk or a run killed half-way never leave part of a record.
//
// Record layout:
//   "Brovanten V1.1r     T.Osbervan      Www Mmm dd hh:mm:ss yyyy\n \n\n"
//   "Number = <N>  (<bits> bits)\n"
//   "Factor = <c>  (<bits> bits)\n"          one per reported factor
//   "\n\nSecondary certificate : <C>\n"      only when factors were found
//   "\n" 80 hyphens " \n"
//
// A record that cannot be appended is skipped without a word: the console
// transcript never depends on the log.
#pragma once

#include <ctime>
#include <gmp.h>
#include <string>

inline constexpr char results_log_name[] = "results.fic";

// Longest timestamp text plus its terminator, with room for odd years.
inline constexpr int timestamp_size = 40;

// Local time t as "Www Mmm dd hh:mm:ss yyyy\n": English names and a
// zero-padded day whatever the locale, unlike asctime's blank-padded day.
void format_timestamp(char out[timestamp_size], std::time_t t);

// record = the header for n, stamped with the calendar time stamp, and the
// "Number = " line.
void record_begin(std::string &record, const mpz_t n, std::time_t stamp);

// Adds one "Factor = " line for each of factors[0 .. count-1].
void record_add_factors(std::string &record, const mpz_t factors[], int count);

// Adds the certificate line (only if found) and the closing hyphen line.
void record_close(std::string &record, bool found, const mpz_t certificate);

// Appends record to the log at path in one write() or not at all, and
// returns whether it is now in the file, on the disk.
//
// path must be a regular file or a link to one (it is created if missing);
// anything else is skipped, and opening never blocks. The append holds an exclusive flock() on the file, so runs
// at once each add a whole record; a run waits for the lock at most
// lock_wait_ms. A short or failed write (full disk, size limit) is undone by
// cutting the file back to where the record began, still under the lock.
// SIGINT and SIGTERM wait until the append is over.
bool log_append(const char *path, const std::string &record);

inline constexpr int lock_wait_ms = 10000;
