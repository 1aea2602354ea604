// SPDX-License-Identifier: BSD-2-Clause
// The time stamp of a log record, "Www Mmm dd hh:mm:ss yyyy\n", for any
// 64-bit time. Local time through localtime_r() where it converts (years
// that fit an int once 1900 is taken off); beyond that, in either
// direction, the UTC date worked out here: days since 1970 to a proleptic
// Gregorian date by eras of 400 years, which always have 146097 days, so
// the arithmetic stays in 64 bits out to +-2^63 seconds. Years before 1
// are astronomical (0 is 1 BC) and printed as printf's "%04lld" prints
// them ("0000", "-001"). A few divisions per stamp.
#pragma once

#include <ctime>

// Longest stamp text plus its terminator, with room to spare: the longest,
// at -2^63 seconds, takes 35 bytes.
inline constexpr int timestamp_size = 40;

// Local time t as "Www Mmm dd hh:mm:ss yyyy\n": English names and a
// zero-padded day whatever the locale, unlike asctime's blank-padded day.
// A time that localtime() cannot convert (a year beyond an int) is written
// in UTC, with the year in as many digits as it takes.
void format_timestamp(char out[timestamp_size], std::time_t t);
