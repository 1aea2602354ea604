// SPDX-License-Identifier: BSD-2-Clause
#include "report/timestamp.h"

#include <cstdio>
#include <time.h>

namespace {

const char *const weekday_names[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char *const month_names[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// t in UTC as "Www Mmm dd hh:mm:ss y...y\n", for the times localtime()
// cannot convert: days since 1970 to a proleptic Gregorian date in 64 bits,
// by eras of 400 years (146097 days each).
void write_utc_stamp(char out[timestamp_size], std::time_t t)
{
    long long seconds = static_cast<long long>(t);
    long long days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    long long shifted = days + 719468; // days since 0000-03-01
    long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    long long day_of_era = shifted - era * 146097;
    long long year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    long long day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    long long month_from_march = (5 * day_of_year + 2) / 153;
    int day = static_cast<int>(day_of_year - (153 * month_from_march + 2) / 5 + 1);
    int month = static_cast<int>(month_from_march < 10 ? month_from_march + 2 : month_from_march - 10);
    long long year = year_of_era + era * 400 + (month < 2 ? 1 : 0);
    int weekday = static_cast<int>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    std::snprintf(out, timestamp_size, "%s %s %02d %02lld:%02lld:%02lld %04lld\n",
                  weekday_names[weekday], month_names[month], day, rest / 3600, rest / 60 % 60,
                  rest % 60, year);
}

} // namespace

void format_timestamp(char out[timestamp_size], std::time_t t)
{
    std::tm parts{};
    if (localtime_r(&t, &parts) == nullptr) {
        write_utc_stamp(out, t);
        return;
    }
    // Out-of-range fields can only come from a broken C library; keep the
    // name lookups inside their tables regardless.
    int wday = parts.tm_wday >= 0 && parts.tm_wday < 7 ? parts.tm_wday : 0;
    int mon = parts.tm_mon >= 0 && parts.tm_mon < 12 ? parts.tm_mon : 0;
    std::snprintf(out, timestamp_size, "%s %s %02d %02d:%02d:%02d %04lld\n",
                  weekday_names[wday], month_names[mon], parts.tm_mday, parts.tm_hour,
                  parts.tm_min, parts.tm_sec, static_cast<long long>(parts.tm_year) + 1900);
}
