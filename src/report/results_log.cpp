#include "report/results_log.h"

#include "report/number_text.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

const char *const weekday_names[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char *const month_names[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The log for appending, created if missing, or nullptr if it cannot be
// opened. O_NONBLOCK keeps a FIFO nobody reads from blocking the open; it is
// cleared once the descriptor is ours.
std::FILE *open_log()
{
    int fd = open(results_log_name, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd == -1)
        return nullptr;
    int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        close(fd);
        return nullptr;
    }
    std::FILE *log = fdopen(fd, "a");
    if (log == nullptr)
        close(fd);
    return log;
}

void write_bits_line(std::FILE *log, const mpz_t x)
{
    std::fprintf(log, "  (%zu bits)\n", bit_count(x));
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

void log_header(const mpz_t n, std::time_t stamp)
{
    std::FILE *log = open_log();
    if (log == nullptr)
        return;
    char text[timestamp_size];
    format_timestamp(text, stamp);
    std::fprintf(log, "Brovanten V1.1r     T.Osbervan      %s \n\n", text);
    std::fputs("Number = ", log);
    write_decimal(log, n);
    write_bits_line(log, n);
    std::fclose(log);
}

void log_factors(const mpz_t factors[], int count)
{
    std::FILE *log = open_log();
    if (log == nullptr)
        return;
    for (int k = 0; k < count; ++k) {
        std::fputs("Factor = ", log);
        write_decimal(log, factors[k]);
        write_bits_line(log, factors[k]);
    }
    std::fclose(log);
}

void log_close_record(bool found, const mpz_t certificate)
{
    std::FILE *log = open_log();
    if (log == nullptr)
        return;
    if (found) {
        std::fputs("\n\nSecondary certificate : ", log);
        write_decimal(log, certificate);
        std::fputs("\n", log);
    }
    std::fputs("\n-------------------------------------------------------------------------------- \n", log);
    std::fclose(log);
}
