// SPDX-License-Identifier: BSD-2-Clause
// Reading N from "number.fic" without ever waiting on the file.
//
// A plain fopen() blocks forever on a FIFO that has no writer, so the file
// is opened with O_NONBLOCK and checked to be a regular file (or a link to
// one) before a byte is read.
#pragma once

#include <cstdio>
#include <gmp.h>

inline constexpr char number_file_name[] = "number.fic";

// The file at path for reading, or nullptr unless it is (or links to) a
// regular file that can be opened: a directory, FIFO, socket or device is
// refused without being read.
std::FILE *open_regular_for_reading(const char *path);

// n = the decimal integer at the start of the number file: white space
// skipped, a "-" only directly before a digit, reading up to the first
// non-digit. A file without one leaves n at 0. False if there is no file
// to read.
bool read_number(mpz_t n);
