// SPDX-License-Identifier: BSD-2-Clause
// The JSON objects of --json output, one per line, read back with a parser.
#pragma once

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

inline std::vector<nlohmann::json> json_objects(const std::string &out)
{
    std::vector<nlohmann::json> parsed;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        parsed.push_back(nlohmann::json::parse(line));
    return parsed;
}
