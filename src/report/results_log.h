// The results log "results.fic": one record per number that passed the
// screening, written in three pieces (header, factor lines, closing lines).
// The file is only ever appended to, and each piece opens and closes it.
//
// Record layout:
//   "Brovanten V1.1r     T.Osbervan      Www Mmm dd hh:mm:ss yyyy\n \n\n"
//   "Number = <N>  (<bits> bits)\n"
//   "Factor = <c>  (<bits> bits)\n"          one per reported factor
//   "\n\nSecondary certificate : <C>\n"      only when factors were found
//   "\n" 80 hyphens " \n"
//
// A log that cannot be opened is skipped without a word: the console
// transcript never depends on it. Opening never waits: a FIFO without a
// reader fails at once instead of blocking the run.
#pragma once

#include <cstdio>
#include <ctime>
#include <gmp.h>

inline constexpr char results_log_name[] = "results.fic";

// Longest timestamp text plus its terminator, with room for odd years.
inline constexpr int timestamp_size = 40;

// Local time t as "Www Mmm dd hh:mm:ss yyyy\n": English names and a
// zero-padded day whatever the locale, unlike asctime's blank-padded day.
void format_timestamp(char out[timestamp_size], std::time_t t);

// Appends the header for n, stamped with the calendar time stamp, and the
// "Number = " line.
void log_header(const mpz_t n, std::time_t stamp);

// Appends one "Factor = " line for each of factors[0 .. count-1]. The log is
// opened even when count is 0.
void log_factors(const mpz_t factors[], int count);

// Appends the certificate line (only if found) and the closing hyphen line.
void log_close_record(bool found, const mpz_t certificate);
