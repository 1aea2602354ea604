// SPDX-License-Identifier: BSD-2-Clause
#include "report/log_record.h"

#include "report/number_text.h"
#include "report/timestamp.h"

namespace {

void append_number_line(std::string &record, const char *label, const mpz_t x)
{
    record += label;
    append_decimal(record, x);
    record += "  (";
    record += std::to_string(bit_count(x));
    record += " bits)\n";
}

} // namespace

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
