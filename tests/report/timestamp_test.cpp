// SPDX-License-Identifier: BSD-2-Clause
// The time stamp of a log record at ordinary times and at every extreme of
// a 64-bit clock. The known dates come from GNU date (`date -u -d @t`) as
// far as it reaches (the years of an int), and beyond it from PARI/GP by
// another algorithm (Richards' conversion from the Julian day number),
// checked against its own inverse (days counted year by year from 0).
#include "support/harness.h"

#include "report/timestamp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

struct stamp_case {
    std::time_t t;
    const char *text;
};

const stamp_case utc_cases[] = {
    {0, "Thu Jan 01 00:00:00 1970\n"},
    {986115907, "Sun Apr 01 09:05:07 2001\n"},
    {1796760221, "Tue Dec 08 20:03:41 2026\n"},
    {946684799, "Fri Dec 31 23:59:59 1999\n"},
    {2147483648, "Tue Jan 19 03:14:08 2038\n"},
    {-1, "Wed Dec 31 23:59:59 1969\n"},
    // Year 0 (1 BC) is a leap year of the proleptic calendar; the years
    // before it are negative, printed four wide as GNU date prints them.
    {-62135596801, "Sun Dec 31 23:59:59 0000\n"},
    {-62162035201, "Tue Feb 29 23:59:59 0000\n"},
    {-62167219200, "Sat Jan 01 00:00:00 0000\n"},
    {-62167219201, "Fri Dec 31 23:59:59 -001\n"},
    {-65320000000, "Sat Feb 03 11:33:20 -100\n"},
    // The last second localtime() converts (its year is INT_MAX + 1900),
    // and past it the date worked out without it: a year of ten digits
    // and more, checked by 400-year cycles of 146097 days.
    {67768036191676799, "Wed Dec 31 23:59:59 2147485547\n"},
    {67768036191676800, "Thu Jan 01 00:00:00 2147485548\n"},
    {4611686018427387904, "Tue Jun 19 07:45:04 146138514283\n"},
    {std::numeric_limits<std::int64_t>::max(), "Sun Dec 04 15:30:07 292277026596\n"},
    // The same on the negative side: the first second localtime()
    // converts (its year is INT_MIN + 1900), the second before it, leap
    // days of years divisible by 4 and by 400 but none in a year divisible
    // by 100 only, and the first second of the clock.
    {-67768040609740800, "Thu Jan 01 00:00:00 -2147481748\n"},
    {-67768040609740801, "Wed Dec 31 23:59:59 -2147481749\n"},
    {-67768040730830400, "Tue Feb 29 12:00:00 -2147481752\n"},
    {-67768042245595200, "Fri Feb 28 12:00:00 -2147481800\n"},
    {-67768042245508800, "Sat Mar 01 12:00:00 -2147481800\n"},
    {-67768048556942400, "Tue Feb 29 12:00:00 -2147482000\n"},
    {-9223372036820376000, "Sat Feb 29 12:00:00 -292277022656\n"},
    {std::numeric_limits<std::int64_t>::min(), "Sun Jan 27 08:29:52 -292277022657\n"},
};

TEST(timestamp, layout_in_utc)
{
    time_zone utc("UTC");
    for (const auto &c : utc_cases) {
        char stamp[timestamp_size];
        format_timestamp(stamp, c.t);
        EXPECT_STREQ(stamp, c.text) << c.t;
    }
}

// Local time where localtime() converts; where the zone's offset takes
// the year past an int, the UTC date.
TEST(timestamp, local_time)
{
    time_zone tokyo("JST-9");
    const stamp_case cases[] = {
        {1796760221, "Wed Dec 09 05:03:41 2026\n"},
        {-62167219201, "Sat Jan 01 08:59:59 0000\n"},
        {67768036191644399, "Wed Dec 31 23:59:59 2147485547\n"},
        {67768036191644400, "Wed Dec 31 15:00:00 2147485547\n"},
    };
    for (const auto &c : cases) {
        char stamp[timestamp_size];
        format_timestamp(stamp, c.t);
        EXPECT_STREQ(stamp, c.text) << c.t;
    }
}

} // namespace
