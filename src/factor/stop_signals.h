// SPDX-License-Identifier: BSD-2-Clause
// SIGINT and SIGTERM for brovanten-factor. The first asks the work to
// stop: each workspace at work gets its stop flag set, so the numbers in
// progress end as far as they got and are printed so, the command reads
// no more input, and once its output is out it ends by the same signal,
// as an interrupted command does (stop_signals_end). A second signal ends
// it at once, and so does the first while the command waits for input,
// when every answer is out already. The progress line is cleared either
// way.
//
// The handler only sets flags, posts a semaphore and, to end at once,
// writes the clearing of the progress line and raises the signal again
// with its default action. A thread of its own takes the request from the
// semaphore and sets the registered stop flags under a lock, so that a
// workspace can leave the register while a signal comes.
#pragma once

#include <atomic>

// Handlers for SIGINT and SIGTERM, unless the signal was ignored at the
// start (a job in the background of a shell), and the thread that passes
// requests on; a request from an earlier run is forgotten.
void stop_signals_install();
// The signals' earlier actions back, and the thread ended. What was
// received stays for stop_signals_end.
void stop_signals_remove();

// Whether a signal asked the work to stop.
bool stop_requested();

// The flag is set when a stop is asked, at once if one was asked already,
// until it is unregistered.
void stop_register(std::atomic<bool> *flag);
void stop_unregister(std::atomic<bool> *flag);

// Around a read that may wait for input: a signal then ends the command at
// once. Returns false (do not read) when a stop was asked already.
bool stop_wait_begins();
void stop_wait_ends();

// Whether the progress line is on the terminal fd, for a signal that ends
// the command at once.
void stop_note_line(int fd, bool shown);

// After the output is flushed: when a signal asked to stop, ends the
// process by that signal with its default action. Returns otherwise.
void stop_signals_end();
