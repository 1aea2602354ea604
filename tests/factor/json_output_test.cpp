// SPDX-License-Identifier: BSD-2-Clause
// --json: every line of standard output is one JSON object, read back here
// with a JSON parser, for each kind of line.
#include "support/factor_harness.h"
#include "support/harness.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <vector>

namespace {

using json = nlohmann::json;

std::vector<json> objects(const std::string &out)
{
    std::vector<json> parsed;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        parsed.push_back(json::parse(line));
    return parsed;
}

const std::string semiprime = "332306998946229619626601867938758453";

TEST(json_output, every_kind_of_line)
{
    std::string too_long(1000001, '7');
    cli_result r = run_factor({"--json", "--effort=0", "--seed=7", "1024", "12x", "1", semiprime,
                               "18446744073709551617", too_long});
    EXPECT_EQ(r.status, 2);
    std::vector<json> lines = objects(r.out);
    ASSERT_EQ(lines.size(), 6u) << r.out;

    // 2^10: one prime with its exponent, proven (below 2^64).
    EXPECT_EQ(lines[0]["number"], "1024");
    EXPECT_EQ(lines[0]["factors"], json::parse(R"([{"prime":"2","exponent":10,"proven":true}])"));
    EXPECT_EQ(lines[0]["complete"], true);
    EXPECT_EQ(lines[0]["composite_parts"], json::array());
    EXPECT_EQ(lines[0]["seed"], 7);
    EXPECT_TRUE(lines[0]["seconds"].is_number());
    EXPECT_FALSE(lines[0].contains("kind"));

    EXPECT_EQ(lines[1], json::parse(R"({"input":"12x","length":3,
                                        "error":"not a non-negative decimal integer"})"));

    EXPECT_EQ(lines[2]["number"], "1");
    EXPECT_EQ(lines[2]["factors"], json::array());
    EXPECT_EQ(lines[2]["complete"], true);

    EXPECT_EQ(lines[3]["complete"], false);
    EXPECT_EQ(lines[3]["factors"], json::array());
    EXPECT_EQ(lines[3]["composite_parts"],
              json::parse(R"([{"value":")" + semiprime + R"(","exponent":1}])"));

    // 2^64 + 1: both primes are below 2^64, where Baillie-PSW is a proof.
    EXPECT_EQ(lines[4]["factors"], json::parse(R"([{"prime":"274177","exponent":1,"proven":true},
        {"prime":"67280421310721","exponent":1,"proven":true}])"));

    EXPECT_EQ(lines[5]["error"], "more than 1000000 digits");
    EXPECT_EQ(lines[5]["length"], 1000001);
    EXPECT_EQ(lines[5]["input"], std::string(40, '7'));
}

// --trial: the cofactor left untested is neither a prime nor a composite
// part, and the bound is given (factor(561, 11) = [3; 187]).
TEST(json_output, untested_parts_after_trial_division)
{
    cli_result r = run_factor({"--json", "--trial=11", "561", "385"});
    std::vector<json> lines = objects(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0]["factors"], json::parse(R"([{"prime":"3","exponent":1,"proven":true}])"));
    EXPECT_EQ(lines[0]["untested_parts"], json::parse(R"([{"value":"187","exponent":1}])"));
    EXPECT_EQ(lines[0]["composite_parts"], json::array());
    EXPECT_EQ(lines[0]["complete"], false);
    EXPECT_EQ(lines[0]["trial_bound"], 11);
    // 385 = 5 7 11: 11 is left, below 11^2, so prime; nothing untested.
    EXPECT_EQ(lines[1]["complete"], true);
    EXPECT_FALSE(lines[1].contains("untested_parts"));
    EXPECT_EQ(r.status, 1);
}

// An expression keeps its text beside its value; a number has none.
TEST(json_output, expressions_keep_their_text)
{
    cli_result r = run_factor({"--json", "2^64+1", "561", "7/2"});
    std::vector<json> lines = objects(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0]["expression"], "2^64+1");
    EXPECT_EQ(lines[0]["number"], "18446744073709551617");
    EXPECT_FALSE(lines[1].contains("expression"));
    EXPECT_EQ(lines[2], json::parse(R"({"input":"7/2","length":3,
        "error":"not an integer: the division at character 2 leaves a remainder"})"));
    EXPECT_EQ(r.status, 2);
}

// Above 64 bits a prime is proven with --prove only.
TEST(json_output, probable_primes_above_64_bits)
{
    for (bool prove : {false, true}) {
        std::vector<std::string> args = {"--json", "170141183460469231731687303715884105727"};
        if (prove)
            args.push_back("--prove");
        json line = json::parse(run_factor(args).out);
        EXPECT_EQ(line["factors"][0]["proven"], prove);
        EXPECT_EQ(line["factors"][0]["prime"], "170141183460469231731687303715884105727");
    }
}

// Bytes that are no text are shown as '?', so that the line stays valid JSON.
TEST(json_output, odd_bytes_in_a_bad_token)
{
    cli_result r = run_factor({"--json"}, std::string("1\x01\xff\"\\", 5) + "\n");
    json line = json::parse(r.out);
    EXPECT_EQ(line["input"], "1??\"\\");
    EXPECT_EQ(r.status, 2);
}

TEST(json_output, kind_object)
{
    cli_result r = run_factor({"--json", "--effort=0", "--kind", "561", "7", "0", semiprime});
    std::vector<json> lines = objects(r.out);
    ASSERT_EQ(lines.size(), 4u);
    const json &k = lines[0]["kind"];
    EXPECT_EQ(k["composite"], true);
    EXPECT_EQ(k["carmichael"], true);
    EXPECT_EQ(k["lucas_carmichael"], false);
    EXPECT_EQ(k["lucas_carmichael_why"], "3 + 1 does not divide N + 1");
    EXPECT_EQ(k["fermat_liars"], "320");
    EXPECT_EQ(k["strong_liars"], "10");
    EXPECT_EQ(k["phi"], "320");
    EXPECT_EQ(k["fermat_run"], "2");
    EXPECT_EQ(k["strong_run"], nullptr);
    EXPECT_EQ(k["strong_bases"], json::array());
    EXPECT_EQ(k["passes_screening"], false);
    EXPECT_EQ(k["screening_why"], "divisible by 3");

    EXPECT_EQ(lines[1]["kind"]["prime"], true);
    EXPECT_EQ(lines[2]["kind"]["prime"], false);
    EXPECT_EQ(lines[2]["kind"]["composite"], false);
    // An incomplete factorisation: the criteria and liars are null.
    EXPECT_EQ(lines[3]["kind"]["carmichael"], nullptr);
    EXPECT_EQ(lines[3]["kind"]["fermat_liars"], nullptr);
    EXPECT_EQ(lines[3]["kind"]["fermat_bases"], json::array());
}

} // namespace
