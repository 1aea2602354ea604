// SPDX-License-Identifier: BSD-2-Clause
// Preloaded into the real brovanten binary by the results-log tests (see
// shim_environment in process.h): the system calls of the log's append,
// slowed, stopped, failed or held at a step until the test has looked, so
// that the test sees and does what another program would at that moment.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <typename F> F real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool is_log(const char *path)
{
    const char name[] = "results.fic";
    std::size_t length = std::strlen(path);
    return length >= sizeof name - 1 && std::strcmp(path + length - (sizeof name - 1), name) == 0;
}

void sleep_ms(long ms)
{
    static auto next = real<int (*)(const timespec *, timespec *)>("nanosleep");
    timespec pause = {ms / 1000, (ms % 1000) * 1000000};
    while (next(&pause, &pause) == -1 && errno == EINTR) {
    }
}

// BROVANTEN_SHIM_HOLD_AT=step: at the first such step of the append, the
// file BROVANTEN_SHIM_HOLD_FILE is created and the run waits (up to 30 s)
// until the test removes it.
void hold_at(const char *step)
{
    static bool held = false;
    const char *at = std::getenv("BROVANTEN_SHIM_HOLD_AT");
    const char *file = std::getenv("BROVANTEN_SHIM_HOLD_FILE");
    if (held || at == nullptr || file == nullptr || std::strcmp(at, step) != 0)
        return;
    held = true;
    int saved = errno;
    static auto open_next = real<int (*)(const char *, int, ...)>("open");
    close(open_next(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    for (int ms = 0; ms < 30000 && access(file, F_OK) == 0; ++ms)
        sleep_ms(1);
    errno = saved;
}

} // namespace

// The first write() of a record can write half of it and then raise
// BROVANTEN_SHIM_SIGNAL_IN_WRITE (a signal number), pause for
// BROVANTEN_SHIM_WRITE_PAUSE_MS (and note a signal that waits meanwhile in
// BROVANTEN_SHIM_PENDING_NOTE), or be held ("write"); or write
// BROVANTEN_SHIM_SHORT_WRITE bytes only, with the disk then full, and
// BROVANTEN_SHIM_INTRUDER's text appended just after them by another
// writer.
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
    if (const char *signal = std::getenv("BROVANTEN_SHIM_SIGNAL_IN_WRITE")) {
        ssize_t half = next(fd, buffer, size / 2);
        raise(std::atoi(signal));
        return half;
    }
    if (const char *ms = std::getenv("BROVANTEN_SHIM_WRITE_PAUSE_MS")) {
        ssize_t half = next(fd, buffer, size / 2);
        sleep_ms(std::atol(ms));
        // A signal that came meanwhile and waits is noted, one byte each.
        sigset_t pending;
        const char *note = std::getenv("BROVANTEN_SHIM_PENDING_NOTE");
        if (note != nullptr && sigpending(&pending) == 0 && !sigisemptyset(&pending)) {
            static auto open_next = real<int (*)(const char *, int, ...)>("open");
            int counter = open_next(note, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
            next(counter, ".", 1);
            close(counter);
        }
        return half;
    }
    const char *at = std::getenv("BROVANTEN_SHIM_HOLD_AT");
    if (at != nullptr && std::strcmp(at, "write") == 0) {
        ssize_t half = next(fd, buffer, size / 2);
        hold_at("write");
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

// BROVANTEN_SHIM_FSYNC_MS makes each fsync() that much slower,
// BROVANTEN_SHIM_FSYNC_COUNT names a file that gets one byte per fsync(),
// BROVANTEN_SHIM_FSYNC_ERROR makes the first one fail with EIO (a disk
// that lost the data); "fsync" holds the first.
extern "C" int fsync(int fd)
{
    static auto next = real<int (*)(int)>("fsync");
    static bool failed = false;
    hold_at("fsync");
    if (const char *ms = std::getenv("BROVANTEN_SHIM_FSYNC_MS"))
        sleep_ms(std::atol(ms));
    if (const char *count = std::getenv("BROVANTEN_SHIM_FSYNC_COUNT")) {
        int counter = open(count, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (counter != -1) {
            write(counter, ".", 1);
            close(counter);
        }
    }
    if (!failed && std::getenv("BROVANTEN_SHIM_FSYNC_ERROR") != nullptr) {
        failed = true;
        errno = EIO;
        return -1;
    }
    return next(fd);
}

extern "C" int fallocate(int fd, int mode, off_t offset, off_t length)
{
    static auto next = real<int (*)(int, int, off_t, off_t)>("fallocate");
    hold_at("fallocate");
    return next(fd, mode, offset, length);
}

extern "C" int ftruncate(int fd, off_t length)
{
    static auto next = real<int (*)(int, off_t)>("ftruncate");
    hold_at("ftruncate");
    return next(fd, length);
}

// "lstat": held when the run looks at what is at the log's name after an
// open that found nothing there.
extern "C" int lstat(const char *path, struct stat *entry)
{
    static auto next = real<int (*)(const char *, struct stat *)>("lstat");
    if (is_log(path))
        hold_at("lstat");
    return next(path, entry);
}

// "create": held just before the run creates the log.
extern "C" int open(const char *path, int flags, ...)
{
    static auto next = real<int (*)(const char *, int, ...)>("open");
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0) {
        va_list arguments;
        va_start(arguments, flags);
        mode = static_cast<mode_t>(va_arg(arguments, int));
        va_end(arguments);
        if ((flags & O_EXCL) != 0 && is_log(path))
            hold_at("create");
    }
    return next(path, flags, mode);
}

// BROVANTEN_SHIM_SLEEP_FACTOR=k: every pause lasts k times as long, as on a
// machine so loaded that each turn of a wait runs late.
extern "C" int nanosleep(const timespec *request, timespec *remaining)
{
    static auto next = real<int (*)(const timespec *, timespec *)>("nanosleep");
    const char *factor = std::getenv("BROVANTEN_SHIM_SLEEP_FACTOR");
    if (factor == nullptr)
        return next(request, remaining);
    long long ns = (static_cast<long long>(request->tv_sec) * 1000000000 + request->tv_nsec) *
                   std::atol(factor);
    timespec longer = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    return next(&longer, remaining);
}
