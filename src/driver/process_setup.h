// SPDX-License-Identifier: BSD-2-Clause
// What the process sets up before the run, so that no outside state can
// kill it half-way or send its output into its own log.
#pragma once

// Ignores SIGPIPE (a console reader that goes away) and SIGXFSZ (a file
// size limit: the log write then fails and is undone instead of killing the
// run), and opens /dev/null on any of descriptors 0, 1 and 2 that is closed,
// so that no file the tool opens later takes a standard stream's number.
void prepare_process();
