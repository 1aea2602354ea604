// SPDX-License-Identifier: BSD-2-Clause
// Waiting for the two locks of the results log: an exclusive flock() and
// an fcntl() write lock on the whole file, both tried without blocking
// every 10 ms, so that the wait can watch for progress and give up by the
// limits of log_wait_limits, measured on the monotonic clock (not by
// counting turns, which run late on a loaded machine). Each turn costs
// four system calls.
#pragma once

#include "report/log_append.h"

// Takes both locks on fd, or says why not in result (cannot_lock,
// lock_held, lock_wait_over) and returns false. No signal is held: an
// interrupt while it waits ends the run at once.
bool lock_log(int fd, const log_wait_limits &limits, log_result &result);

// Gives both up.
void unlock_log(int fd);
