// SPDX-License-Identifier: BSD-2-Clause
// The grammar of the results log, for tests that must show the log holds
// its earlier bytes plus whole, well-formed records and nothing else.
//
//   record  = header number factor* closing
//   header  = "Brovanten V1.1r     T.Osbervan      " stamp "\n \n\n"
//   stamp   = Www " " Mmm " " dd " " hh ":" mm ":" ss " " yyyy
//   number  = "Number = " N "  (" bits(N) " bits)\n"
//   factor  = "Factor = " d "  (" bits(d) " bits)\n"      1 < d < N, d | N
//   closing = ["\n\nSecondary certificate : " C "\n"] "\n" 80*"-" " \n"
//
// The certificate line is there exactly when there are factor lines, and C
// must decode to four entries below 2^15.
#pragma once

#include <string>
#include <vector>

struct log_record {
    std::string stamp;
    std::string n;
    std::vector<std::string> factors;
    std::string certificate; // empty when there is none
};

struct parsed_log {
    bool ok;
    std::string fault; // where and why parsing failed, when !ok
    std::vector<log_record> records;
};

// Parses log as the bytes earlier followed by whole records.
parsed_log parse_log(const std::string &log, const std::string &earlier);
