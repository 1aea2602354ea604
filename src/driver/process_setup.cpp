// SPDX-License-Identifier: BSD-2-Clause
#include "driver/process_setup.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

void prepare_process()
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // open() takes the lowest free number, which is fd itself.
        int null_fd = open("/dev/null", O_RDWR);
        if (null_fd != -1 && null_fd != fd)
            close(null_fd);
    }
}
