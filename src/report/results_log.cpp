#include "report/results_log.h"

#include "report/files.h"
#include "report/number_text.h"

namespace {

const char *const weekday_names[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char *const month_names[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

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

void log_header(const mpz_t n)
{
    std::FILE *log = open_for_append(results_log_name);
    if (log == nullptr)
        return;
    char stamp[timestamp_size];
    format_timestamp(stamp, std::time(nullptr));
    std::fprintf(log, "Brovanten V1.1r     T.Osbervan      %s \n\n", stamp);
    std::fputs("Number = ", log);
    write_decimal(log, n);
    write_bits_line(log, n);
    std::fclose(log);
}

void log_factor(std::FILE *log, const mpz_t c)
{
    if (log == nullptr)
        return;
    std::fputs("Factor = ", log);
    write_decimal(log, c);
    write_bits_line(log, c);
}

void log_close_record(bool found, const mpz_t certificate)
{
    std::FILE *log = open_for_append(results_log_name);
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
