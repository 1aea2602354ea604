// SPDX-License-Identifier: BSD-2-Clause
// Numbers factored by several workers (std::thread), printed in input
// order. The reader hands out tokens one at a time; at most a few jobs per
// worker are in flight, so an endless standard input is read as it comes,
// and each answer is printed as soon as it and every one before it are done.
#pragma once

#include "factor/number_job.h"

#include <functional>

// Fills t with the next token; false at the end of the input. Before the
// reading waits for input, before_wait is called.
using token_source = std::function<bool(input_token &t, const wait_hook &before_wait)>;
// Prints a finished job; false stops the batch (a write error).
using job_sink = std::function<bool(const number_job &job)>;
// Flushes what was printed; false stops the batch.
using output_flush = std::function<bool()>;

// With --verbose each job's steps are kept and printed with its result, so
// that the transcript is in input order too. There is no progress line.
// Printed lines are flushed when the next one keeps the printer waiting,
// and every number in flight is finished and printed before the reading
// waits for input.
void run_batch(unsigned threads, const job_settings &settings, bool verbose,
               const token_source &next, const job_sink &print, const output_flush &flush);
