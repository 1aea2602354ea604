// The results log "results.fic": one record per number that passed the
// screening, written in three pieces (header, factor lines, closing lines).
// The file is only ever appended to, and each piece opens and closes it, so
// a run that dies half-way leaves every earlier record as it was.
//
// Record layout:
//   "Brovanten V1.1r     T.Osbervan      Www Mmm dd hh:mm:ss yyyy\n \n\n"
//   "Number = <N>  (<bits> bits)\n"
//   "Factor = <c>  (<bits> bits)\n"          one per reported factor
//   "\n\nSecondary certificate : <C>\n"      only when factors were found
//   "\n" 80 hyphens " \n"
//
// A log that cannot be opened is skipped without a word: the console
// transcript never depends on it.
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

// Appends the header and the "Number = " line for n, stamped with now.
void log_header(const mpz_t n);

// Appends one "Factor = " line to a log the caller opened with
// open_for_append(results_log_name); a null log (failed opening) is skipped.
void log_factor(std::FILE *log, const mpz_t c);

// Appends the certificate line (only if found) and the closing hyphen line.
void log_close_record(bool found, const mpz_t certificate);
