// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_line.h"

#include "report/number_text.h"

std::string factor_line_text(const mpz_t n, const std::vector<factor_part> &parts)
{
    std::string line;
    append_decimal(line, n);
    line += ':';
    for (const auto &p : parts) {
        const char *open = p.state == part_state::prime     ? " "
                           : p.state == part_state::unknown ? " ("
                                                            : " [";
        const char *close = p.state == part_state::prime     ? ""
                            : p.state == part_state::unknown ? ")"
                                                             : "]";
        for (unsigned long k = 0; k < p.power; ++k) {
            line += open;
            append_decimal(line, p.value);
            line += close;
        }
    }
    return line + "\n";
}

namespace {

void append_word(std::string &text, u64 x)
{
    char digits[20];
    char *start = digits + sizeof digits;
    do {
        *--start = static_cast<char>('0' + x % 10);
        x /= 10;
    } while (x != 0);
    text.append(start, digits + sizeof digits);
}

} // namespace

void append_word_line(std::string &line, u64 n, const word_factors &f)
{
    append_word(line, n);
    line += ':';
    for (int k = 0; k < f.count; ++k) {
        for (unsigned e = 0; e < f.powers[k]; ++e) {
            line += ' ';
            append_word(line, f.primes[k]);
        }
    }
    line += '\n';
}
