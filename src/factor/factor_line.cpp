// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_line.h"

#include "report/number_text.h"

void write_factor_line(std::FILE *out, const mpz_t n, const std::vector<factor_part> &parts)
{
    write_decimal(out, n);
    std::fputc(':', out);
    for (const auto &p : parts) {
        bool prime = p.state == part_state::prime;
        for (unsigned long k = 0; k < p.power; ++k) {
            std::fputs(prime ? " " : " [", out);
            write_decimal(out, p.value);
            if (!prime)
                std::fputc(']', out);
        }
    }
    std::fputc('\n', out);
}
