// SPDX-License-Identifier: BSD-2-Clause
#include "report/log_append.h"

#include "report/log_lock.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Tries to open a log that others create, remove or replace by a link at
// the same moment; beyond them something keeps changing it, and the record
// is skipped.
constexpr int open_attempts = 4;

// The log opened for appending, without ever creating a file through a
// link: an existing name is opened as it is, and only a name that is not
// there at all becomes a plain new file. It is opened for reading too, so
// that its last byte can be read through the descriptor that holds the
// locks; a file that may be written but not read is opened for appending
// only, and readable says which. O_NONBLOCK makes a FIFO without a reader
// fail at once instead of blocking the open, O_NOCTTY keeps a terminal
// from becoming ours; anything but a regular file is refused after.
int open_log(const char *path, bool &readable, log_result &result)
{
    const int flags = O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int error = 0;
    for (int attempt = 0; attempt < open_attempts; ++attempt) {
        readable = true;
        int fd = open(path, O_RDWR | flags);
        if (fd == -1 && errno == EACCES) {
            readable = false;
            fd = open(path, O_WRONLY | flags);
        }
        if (fd == -1 && errno == ENOENT) {
            // Either nothing is there, or a link to nothing, or another
            // program made the file (or a link) since the open.
            struct stat entry;
            if (lstat(path, &entry) == 0) {
                if (S_ISLNK(entry.st_mode) && stat(path, &entry) == -1 && errno == ENOENT) {
                    result = {log_outcome::dangling_link, 0};
                    return -1;
                }
                error = ENOENT;
                continue;
            }
            readable = true;
            fd = open(path, O_RDWR | flags | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
            if (fd == -1 && errno == EEXIST) {
                error = EEXIST;
                continue; // another run made it just now
            }
        }
        if (fd == -1) {
            error = errno;
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
    result = {log_outcome::cannot_open, error};
    return -1;
}

// Whether the file behind fd ends with a line feed, read through fd
// itself. A last byte that cannot be read counts as no line feed: a blank
// line before a record is harmless, a record glued to a cut one is not.
bool ends_with_line_feed(int fd, bool readable, off_t size)
{
    char last = 0;
    return readable && pread(fd, &last, 1, size - 1) == 1 && last == '\n';
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
// fails is taken back when nobody else wrote since, or left in place.
log_result write_whole(int fd, bool readable, const std::string &record)
{
    struct stat st;
    if (fstat(fd, &st) == -1)
        return {log_outcome::not_written, errno};
    const off_t before = st.st_size;

    // After a record that was cut short, the next one starts a line.
    std::string text = before > 0 && !ends_with_line_feed(fd, readable, before) ? "\n" : "";
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
    // earlier bytes plus ours, someone else wrote after them. The size is
    // read just before the cut; a program that takes no lock and appends
    // between the two loses its bytes, a window no lock can close.
    if (fstat(fd, &st) == 0 && st.st_size == before + static_cast<off_t>(written) &&
        ftruncate(fd, before) == 0) {
        fsync(fd);
        return {log_outcome::not_written, error};
    }
    return {written == text.size() ? log_outcome::not_synced : log_outcome::cut_short, error};
}

// Holds every signal that can be held, or as many as the system lets us:
// the kernel keeps SIGKILL and SIGSTOP out of any mask, and a fault of the
// program itself (SIGSEGV, SIGBUS, SIGFPE, SIGILL from the instruction
// that failed) is delivered all the same. The C library's sigprocmask()
// leaves out the two real-time signals it keeps for its threads (32 and
// 33), which kill a process like any other, so the mask is set through the
// system call where there is one.
void hold_signals(sigset_t &previous)
{
    sigset_t all;
    std::memset(&all, 0xff, sizeof all);
    sigemptyset(&previous);
#ifdef SYS_rt_sigprocmask
    if (syscall(SYS_rt_sigprocmask, SIG_BLOCK, &all, &previous, _NSIG / 8) == 0)
        return;
#endif
    sigprocmask(SIG_BLOCK, &all, &previous);
}

// Puts the mask back; a signal that came meanwhile takes effect now.
void release_signals(const sigset_t &previous)
{
#ifdef SYS_rt_sigprocmask
    if (syscall(SYS_rt_sigprocmask, SIG_SETMASK, &previous, nullptr, _NSIG / 8) == 0)
        return;
#endif
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace

log_result log_append(const char *path, const std::string &record, const log_wait_limits &limits)
{
    log_result result{log_outcome::appended, 0};
    bool readable = false;
    int fd = open_log(path, readable, result);
    if (fd == -1)
        return result;
    if (!lock_log(fd, limits, result)) {
        close(fd);
        return result;
    }
    // A signal between the first byte and the last, or between the write
    // and the cut back, would leave part of a record.
    sigset_t previous;
    hold_signals(previous);
    result = write_whole(fd, readable, record);
    unlock_log(fd);
    close(fd);
    release_signals(previous);
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
        reason = "another program kept it locked for " +
                 std::to_string(lock_quiet_limit_ms / 1000) + " s";
        break;
    case log_outcome::lock_wait_over:
        reason = "it was still locked after " + std::to_string(lock_total_limit_ms / 1000) +
                 " s of waiting";
        break;
    case log_outcome::past_size_limit:
        reason = "it would pass the file size limit";
        break;
    case log_outcome::not_synced:
        return std::string("brovanten: the record in ") + path +
               " is whole but may not be on the disk (" + std::strerror(result.error) + ")\n";
    case log_outcome::cut_short:
        return std::string("brovanten: the record in ") + path + " was cut short (" +
               std::strerror(result.error) + ") and could not be taken back\n";
    }
    return std::string("brovanten: record not written to ") + path + ": " + reason + "\n";
}
