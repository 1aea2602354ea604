// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_line.h"

#include "report/number_text.h"

std::string factor_line_text(const mpz_t n, const std::vector<factor_part> &parts)
{
    std::string line;
    append_decimal(line, n);
    line += ':';
    for (const auto &p : parts) {
        bool prime = p.state == part_state::prime;
        for (unsigned long k = 0; k < p.power; ++k) {
            line += prime ? " " : " [";
            append_decimal(line, p.value);
            if (!prime)
                line += ']';
        }
    }
    return line + "\n";
}
