// SPDX-License-Identifier: BSD-2-Clause
#include "report/results_log.h"

#include "report/number_text.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

const char *const weekday_names[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char *const month_names[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void append_number_line(std::string &record, const char *label, const mpz_t x)
{
    record += label;
    append_decimal(record, x);
    record += "  (";
    record += std::to_string(bit_count(x));
    record += " bits)\n";
}

// The log opened for appending, or -1 unless it is (or links to) a regular
// file. O_NONBLOCK makes a FIFO without a reader fail at once instead of
// blocking the open; one with a reader is refused by the check after.
int open_log(const char *path)
{
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd == -1)
        return -1;
    struct stat st;
    if (fstat(fd, &st) == -1 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

// An exclusive lock on fd, waiting at most lock_wait_ms for another run's
// append to finish.
bool lock_log(int fd)
{
    const timespec pause = {0, 10 * 1000 * 1000};
    for (int waited = 0;; waited += 10) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= lock_wait_ms)
            return false;
        nanosleep(&pause, nullptr);
    }
}

// The record at the end of the locked log in one write(), made durable; on
// any failure the file is cut back to its earlier length.
bool write_whole(int fd, const std::string &record)
{
    struct stat st;
    if (fstat(fd, &st) == -1)
        return false;
    ssize_t written = write(fd, record.data(), record.size());
    if (written == static_cast<ssize_t>(record.size()) && fsync(fd) == 0)
        return true;
    // Nothing, part or all of it may be there; none of it stays.
    if (written != 0 && ftruncate(fd, st.st_size) == 0)
        fsync(fd);
    return false;
}

} // namespace

void format_timestamp(char out[timestamp_size], std::time_t t)
{
    std::tm parts{};
    if (localtime_r(&t, &parts) == nullptr)
        parts = std::tm{};
    // Out-of-range fields can only come from a broken C library; keep the
    // name lookups inside their tables regardless.
    int wday = parts.tm_wday >= 0 && parts.tm_wday < 7 ? parts.tm_wday : 0;
    int mon = parts.tm_mon >= 0 && parts.tm_mon < 12 ? parts.tm_mon : 0;
    std::snprintf(out, timestamp_size, "%s %s %02d %02d:%02d:%02d %04d\n",
                  weekday_names[wday], month_names[mon], parts.tm_mday,
                  parts.tm_hour, parts.tm_min, parts.tm_sec, parts.tm_year + 1900);
}

void record_begin(std::string &record, const mpz_t n, std::time_t stamp)
{
    char text[timestamp_size];
    format_timestamp(text, stamp);
    record = "Brovanten V1.1r     T.Osbervan      ";
    record += text;
    record += " \n\n";
    append_number_line(record, "Number = ", n);
}

void record_add_factors(std::string &record, const mpz_t factors[], int count)
{
    for (int k = 0; k < count; ++k)
        append_number_line(record, "Factor = ", factors[k]);
}

void record_close(std::string &record, bool found, const mpz_t certificate)
{
    if (found) {
        record += "\n\nSecondary certificate : ";
        append_decimal(record, certificate);
        record += "\n";
    }
    record += "\n-------------------------------------------------------------------------------- \n";
}

bool log_append(const char *path, const std::string &record)
{
    // An interrupt between the write and the cut back would leave part of
    // a record; it is held until the append is over.
    sigset_t held, previous;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigaddset(&held, SIGHUP);
    sigaddset(&held, SIGQUIT);
    sigprocmask(SIG_BLOCK, &held, &previous);

    bool appended = false;
    int fd = open_log(path);
    if (fd != -1) {
        if (lock_log(fd)) {
            appended = write_whole(fd, record);
            flock(fd, LOCK_UN);
        }
        close(fd);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return appended;
}
