// SPDX-License-Identifier: BSD-2-Clause
// The text of one record of the results log "results.fic", built in memory
// while the run goes on and appended whole at its end (see log_append.h).
// Linear in the digits of N and its factors.
//
// Record layout:
//   "Brovanten V1.1r     T.Osbervan      Www Mmm dd hh:mm:ss yyyy\n \n\n"
//   "Number = <N>  (<bits> bits)\n"
//   "Factor = <c>  (<bits> bits)\n"          one per reported factor
//   "\n\nSecondary certificate : <C>\n"      only when factors were found
//   "\n" 80 hyphens " \n"
#pragma once

#include <ctime>
#include <gmp.h>
#include <string>

// record = the header for n, stamped with the calendar time stamp (see
// timestamp.h), and the "Number = " line.
void record_begin(std::string &record, const mpz_t n, std::time_t stamp);

// Adds one "Factor = " line for each of factors[0 .. count-1].
void record_add_factors(std::string &record, const mpz_t factors[], int count);

// Adds the certificate line (only if found) and the closing hyphen line.
void record_close(std::string &record, bool found, const mpz_t certificate);
