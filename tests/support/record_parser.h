// SPDX-License-Identifier: BSD-2-Clause
// The grammar of the results log, for tests that must show the log holds
// its earlier bytes plus whole, well-formed records and nothing else.
//
//   record  = header number factor* closing
//   header  = "Brovanten V1.1r     T.Osbervan      " stamp "\n \n\n"
//   stamp   = Www " " Mmm " " dd " " hh ":" mm ":" ss " " yyyy    (4 digits or more,
//             or before the year 0 a minus sign and 3 digits or more)
//   number  = "Number = " N "  (" bits(N) " bits)\n"
//   factor  = "Factor = " d "  (" bits(d) " bits)\n"      1 < d < N, d | N
//   closing = ["\n\nSecondary certificate : " C "\n"] "\n" 80*"-" " \n"
//
// The certificate line is there exactly when there are factor lines, and C
// must decode to four entries below 2^15.
//
// An incomplete record is what an append that was cut short and could not
// be taken back leaves: the start of a record, up to the next header at the
// start of a line (a line feed comes first if it ended inside a line) or up
// to the end of the file.
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
    int incomplete; // incomplete records met, when they are allowed
};

// Parses log as the bytes earlier followed by whole records, and incomplete
// ones too when allow_incomplete is set.
parsed_log parse_log(const std::string &log, const std::string &earlier,
                     bool allow_incomplete = false);
