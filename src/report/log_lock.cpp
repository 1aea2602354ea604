// SPDX-License-Identifier: BSD-2-Clause
#include "report/log_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>

namespace {

// A write lock on the whole file, for programs that lock with fcntl() or
// lockf(); F_SETLK and F_UNLCK.
int posix_lock(int fd, short type)
{
    struct flock range{};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 0;
    return fcntl(fd, F_SETLK, &range);
}

// The process holding a POSIX lock that keeps ours out, or 0.
pid_t posix_holder(int fd)
{
    struct flock range{};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    if (fcntl(fd, F_GETLK, &range) == -1 || range.l_type == F_UNLCK)
        return 0;
    return range.l_pid;
}

// Nanoseconds on the monotonic clock, so that a limit of n ms is never
// taken as reached a fraction of a millisecond early.
long long monotonic_ns()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

constexpr long long ns_per_ms = 1000000;

} // namespace

bool lock_log(int fd, const log_wait_limits &limits, log_result &result)
{
    const timespec pause = {0, 10 * 1000 * 1000};
    const long long start = monotonic_ns();
    long long last_progress = start;
    off_t last_size = -1;
    pid_t last_holder = -1;
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (posix_lock(fd, F_WRLCK) == 0)
                return true;
            int error = errno;
            flock(fd, LOCK_UN);
            if (error != EACCES && error != EAGAIN && error != EINTR) {
                result = {log_outcome::cannot_lock, error};
                return false;
            }
        } else if (errno != EWOULDBLOCK && errno != EINTR) {
            result = {log_outcome::cannot_lock, errno};
            return false;
        }
        // Progress: the file grew (or shrank) or the fcntl lock changed
        // hands. A holder that takes only flock() shows nothing but the
        // growth of the file.
        struct stat st;
        off_t size = fstat(fd, &st) == 0 ? st.st_size : last_size;
        pid_t holder = posix_holder(fd);
        long long now = monotonic_ns();
        if (size != last_size || holder != last_holder) {
            last_size = size;
            last_holder = holder;
            last_progress = now;
        } else if (now - last_progress >= limits.quiet_ms * ns_per_ms) {
            result = {log_outcome::lock_held, 0};
            return false;
        }
        if (now - start >= limits.total_ms * ns_per_ms) {
            result = {log_outcome::lock_wait_over, 0};
            return false;
        }
        nanosleep(&pause, nullptr);
    }
}

void unlock_log(int fd)
{
    posix_lock(fd, F_UNLCK);
    flock(fd, LOCK_UN);
}
