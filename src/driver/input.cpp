// SPDX-License-Identifier: BSD-2-Clause
#include "driver/input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE *open_regular_for_reading(const char *path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1)
        return nullptr;
    struct stat st;
    // O_NONBLOCK only matters for the FIFOs and devices refused here; a
    // regular file reads the same either way.
    if (fstat(fd, &st) == -1 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    std::FILE *stream = fdopen(fd, "r");
    if (stream == nullptr)
        close(fd);
    return stream;
}

bool read_number(mpz_t n)
{
    std::FILE *in = open_regular_for_reading(number_file_name);
    if (in == nullptr)
        return false;
    // Base 10, not 0: a leading zero must not turn the rest into octal.
    mpz_inp_str(n, in, 10);
    std::fclose(in);
    return true;
}
