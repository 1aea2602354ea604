// Opening the tool's two files without ever waiting on them.
//
// A plain fopen() blocks forever on a FIFO that has no writer (for reading)
// or no reader (for writing), so both openings go through open() with
// O_NONBLOCK and switch back to blocking I/O once the descriptor is ours.
#pragma once

#include <cstdio>

// The file at path for reading, or nullptr unless it is (or links to) a
// regular file that can be opened: a directory, FIFO, socket or device is
// refused without being read.
std::FILE *open_regular_for_reading(const char *path);

// The file at path for appending, created if missing, or nullptr if it
// cannot be opened (a directory, a read-only folder, a FIFO nobody reads).
// Writes always go to the current end; nothing is ever truncated.
std::FILE *open_for_append(const char *path);
