// SPDX-License-Identifier: BSD-2-Clause
// What the process sets up before a run: a closed standard descriptor is
// reopened on /dev/null, and the signals that would kill a run half-way
// are ignored.
#include "driver/process_setup.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(process_setup, closed_standard_descriptors_point_to_dev_null)
{
    struct stat null_st;
    ASSERT_EQ(stat("/dev/null", &null_st), 0);
    for (int fd = 0; fd <= 2; ++fd) {
        int saved = dup(fd);
        ASSERT_NE(saved, -1);
        close(fd);
        prepare_process();
        struct stat st;
        bool reopened = fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == null_st.st_rdev;
        dup2(saved, fd);
        close(saved);
        EXPECT_TRUE(reopened) << "descriptor " << fd;
    }
}

TEST(process_setup, pipe_and_file_size_signals_are_ignored)
{
    prepare_process();
    for (int sig : {SIGPIPE, SIGXFSZ}) {
        struct sigaction now;
        ASSERT_EQ(sigaction(sig, nullptr, &now), 0);
        EXPECT_EQ(now.sa_handler, SIG_IGN) << "signal " << sig;
    }
}

} // namespace
