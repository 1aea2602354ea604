// SPDX-License-Identifier: BSD-2-Clause
// Preloaded into the real brovanten binary by the results-log tests (see
// shim_environment in process.h): a slow, counted fsync(), and a write() of
// a log record that stops half-way, with a SIGTERM, or short with the disk
// then full, and another writer's text after it.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

template <typename F> F real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" ssize_t write(int fd, const void *buffer, size_t size)
{
    static auto next = real<ssize_t (*)(int, const void *, size_t)>("write");
    static bool record_seen = false;
    static int full_fd = -1; // the next write to it fails: the disk is full
    if (fd == full_fd) {
        full_fd = -1;
        errno = ENOSPC;
        return -1;
    }
    const char marker[] = "Brovanten V1.1r";
    if (record_seen || size <= 100 || memmem(buffer, size, marker, sizeof marker - 1) == nullptr)
        return next(fd, buffer, size);
    record_seen = true;
    if (std::getenv("BROVANTEN_SHIM_SIGNAL_IN_WRITE") != nullptr) {
        ssize_t half = next(fd, buffer, size / 2);
        raise(SIGTERM);
        return half;
    }
    if (const char *bytes = std::getenv("BROVANTEN_SHIM_SHORT_WRITE")) {
        ssize_t written = next(fd, buffer, std::min(size, static_cast<size_t>(std::atol(bytes))));
        full_fd = fd;
        if (const char *text = std::getenv("BROVANTEN_SHIM_INTRUDER")) {
            char path[64];
            std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
            int other = open(path, O_WRONLY | O_APPEND | O_CLOEXEC);
            next(other, text, std::strlen(text));
            close(other);
        }
        return written;
    }
    return next(fd, buffer, size);
}

extern "C" int fsync(int fd)
{
    static auto next = real<int (*)(int)>("fsync");
    if (const char *ms = std::getenv("BROVANTEN_SHIM_FSYNC_MS"))
        usleep(static_cast<useconds_t>(std::atoi(ms)) * 1000);
    if (const char *count = std::getenv("BROVANTEN_SHIM_FSYNC_COUNT")) {
        int counter = open(count, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (counter != -1) {
            write(counter, ".", 1);
            close(counter);
        }
    }
    return next(fd);
}
