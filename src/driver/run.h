// One run of the tool: banner, the number from "number.fic", screening,
// matrix tests, log record, closing prompt. Everything the run prints goes
// to out, and the closing prompt reads one character from in.
#pragma once

#include <cstdio>
#include <ctime>

inline constexpr char number_file_name[] = "number.fic";

// now is the calendar time that seeds the random source (taken mod 2^32).
// The return value is the process exit status; it is always 0.
int run_driver(std::time_t now, std::FILE *in, std::FILE *out);
