// SPDX-License-Identifier: BSD-2-Clause
#include "support/published_table.h"

#include <fstream>
#include <sstream>

std::vector<published_number> read_published_table(const std::string &path)
{
    std::ifstream in(path);
    std::vector<published_number> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line.compare(0, 2, "n\t") == 0)
            continue;
        std::stringstream fields(line);
        published_number row;
        std::string factors;
        std::getline(fields, row.n, '\t');
        std::getline(fields, row.bits, '\t');
        std::getline(fields, row.kind, '\t');
        std::getline(fields, factors, '\t');
        std::stringstream split(factors);
        for (std::string f; split >> f;)
            row.factors.push_back(f);
        rows.push_back(row);
    }
    return rows;
}
