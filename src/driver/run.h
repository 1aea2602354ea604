// SPDX-License-Identifier: BSD-2-Clause
// One run of the tool: banner, the number from "number.fic", screening,
// matrix tests, log record, closing prompt. Everything the run prints goes
// to out, and the closing prompt reads one character from in. A record that
// does not make it whole into the log gets a word on err, never on out.
#pragma once

#include "driver/clock.h"

#include <cstdio>

// The calendar clock seeds the random source (mod 2^32) at the start and
// stamps the log record; the elapsed clock times the tests. The return
// value is the process exit status; it is always 0.
int run_driver(const run_clock &clock, std::FILE *in, std::FILE *out, std::FILE *err);
