// SPDX-License-Identifier: BSD-2-Clause
#include "report/log_append.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

// The log opened for appending, without ever creating a file through a
// link: an existing name is opened as it is, and only a name that is not
// there at all becomes a plain new file. O_NONBLOCK makes a FIFO without a
// reader fail at once instead of blocking the open; anything but a regular
// file is refused after.
int open_log(const char *path, log_result &result)
{
    const int flags = O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC;
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = open(path, flags);
        if (fd == -1 && errno == ENOENT) {
            struct stat entry;
            if (lstat(path, &entry) == 0) {
                result = {log_outcome::dangling_link, 0};
                return -1;
            }
            fd = open(path, flags | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
            if (fd == -1 && errno == EEXIST)
                continue; // another run made it just now
        }
        if (fd == -1) {
            int error = errno;
            struct stat st;
            result = stat(path, &st) == 0 && !S_ISREG(st.st_mode)
                         ? log_result{log_outcome::not_regular, 0}
                         : log_result{log_outcome::cannot_open, error};
            return -1;
        }
        struct stat st;
        if (fstat(fd, &st) == -1 || !S_ISREG(st.st_mode)) {
            close(fd);
            result = {log_outcome::not_regular, 0};
            return -1;
        }
        return fd;
    }
    result = {log_outcome::cannot_open, EEXIST};
    return -1;
}

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

// Both locks on fd, or false: the lock is not to be had, or one holder kept
// it for lock_wait_ms. The wait starts again whenever the file grows or the
// lock changes hands, so that a queue of runs is no fault.
bool lock_log(int fd, log_result &result)
{
    const timespec pause = {0, 10 * 1000 * 1000};
    off_t last_size = -1;
    pid_t last_holder = -1;
    for (int quiet_ms = 0;; quiet_ms += 10) {
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
        struct stat st;
        off_t size = fstat(fd, &st) == 0 ? st.st_size : last_size;
        pid_t holder = posix_holder(fd);
        if (size != last_size || holder != last_holder) {
            last_size = size;
            last_holder = holder;
            quiet_ms = 0;
        } else if (quiet_ms >= lock_wait_ms) {
            result = {log_outcome::lock_held, 0};
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

// Whether the file behind fd (opened for writing only) ends inside a line.
// It is read through a second descriptor, checked to be the same file; a
// file that cannot be read counts as ending with a line feed.
bool ends_inside_a_line(const char *path, int fd, off_t size)
{
    if (size == 0)
        return false;
    int reader = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (reader == -1)
        return false;
    struct stat ours, theirs;
    bool same = fstat(fd, &ours) == 0 && fstat(reader, &theirs) == 0 &&
                ours.st_dev == theirs.st_dev && ours.st_ino == theirs.st_ino;
    char last = '\n';
    if (!same || pread(reader, &last, 1, size - 1) != 1)
        last = '\n';
    close(reader);
    return last != '\n';
}

// All of text at the end of fd, in as few write() calls as it takes; the
// bytes written are counted even when it fails.
bool write_all(int fd, const std::string &text, std::size_t &written, int &error)
{
    written = 0;
    while (written < text.size()) {
        ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n == -1 && errno == EINTR) {
            continue;
        } else {
            error = n == -1 ? errno : EIO;
            return false;
        }
    }
    return true;
}

// The record at the end of the locked log, made durable; a record that
// fails is taken back when nobody else wrote since, or left cut short.
log_result write_whole(const char *path, int fd, const std::string &record)
{
    struct stat st;
    if (fstat(fd, &st) == -1)
        return {log_outcome::not_written, errno};
    const off_t before = st.st_size;

    // After a record that was cut short, the next one starts a line.
    std::string text = ends_inside_a_line(path, fd, before) ? "\n" : "";
    text += record;

    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(before) + text.size() > limit.rlim_cur)
        return {log_outcome::past_size_limit, EFBIG};
    // Room reserved first, where the file system can: a full disk then
    // fails here, before a byte is written.
    if (fallocate(fd, FALLOC_FL_KEEP_SIZE, before, static_cast<off_t>(text.size())) == -1 &&
        (errno == ENOSPC || errno == EDQUOT))
        return {log_outcome::not_written, errno};

    std::size_t written = 0;
    int error = 0;
    if (write_all(fd, text, written, error)) {
        if (fsync(fd) == 0)
            return {log_outcome::appended, 0};
        error = errno;
    }
    if (written == 0)
        return {log_outcome::not_written, error};
    // Only our own bytes are taken back: if the file is not exactly the
    // earlier bytes plus ours, someone else wrote after them.
    if (fstat(fd, &st) == 0 && st.st_size == before + static_cast<off_t>(written) &&
        ftruncate(fd, before) == 0) {
        fsync(fd);
        return {log_outcome::not_written, error};
    }
    return {log_outcome::cut_short, error};
}

} // namespace

log_result log_append(const char *path, const std::string &record)
{
    log_result result{log_outcome::appended, 0};
    int fd = open_log(path, result);
    if (fd == -1)
        return result;
    // While it waits for the lock, an interrupt ends the run at once.
    if (!lock_log(fd, result)) {
        close(fd);
        return result;
    }
    // An interrupt between the write and the cut back would leave part of
    // a record; it is held until the append is over.
    sigset_t held, previous;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigaddset(&held, SIGHUP);
    sigaddset(&held, SIGQUIT);
    sigprocmask(SIG_BLOCK, &held, &previous);
    result = write_whole(path, fd, record);
    unlock_log(fd);
    close(fd);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return result;
}

std::string log_warning(const char *path, const log_result &result)
{
    std::string reason;
    switch (result.outcome) {
    case log_outcome::appended:
        return "";
    case log_outcome::not_regular:
        reason = "it is not a regular file";
        break;
    case log_outcome::dangling_link:
        reason = "it is a link to nothing";
        break;
    case log_outcome::cannot_open:
    case log_outcome::cannot_lock:
    case log_outcome::not_written:
        reason = std::strerror(result.error);
        break;
    case log_outcome::lock_held:
        reason = "another program kept it locked for " + std::to_string(lock_wait_ms / 1000) + " s";
        break;
    case log_outcome::past_size_limit:
        reason = "it would pass the file size limit";
        break;
    case log_outcome::cut_short:
        return std::string("brovanten: the record in ") + path + " was cut short (" +
               std::strerror(result.error) + ") and could not be taken back\n";
    }
    return std::string("brovanten: record not written to ") + path + ": " + reason + "\n";
}
