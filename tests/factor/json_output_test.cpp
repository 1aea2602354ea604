// SPDX-License-Identifier: BSD-2-Clause
// --json: every line of standard output is one JSON object, read back here
// with a JSON parser, for each kind of line.
#include "support/factor_harness.h"
#include "support/harness.h"
#include "support/json_lines.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <vector>

namespace {

using json = nlohmann::json;

const std::string semiprime = "332306998946229619626601867938758453";

TEST(json_output, every_kind_of_line)
{
    std::string too_long(1000001, '7');
    cli_result r = run_factor({"--json", "--effort=0", "--seed=7", "1024", "12x", "1", semiprime,
                               "18446744073709551617", too_long});
    EXPECT_EQ(r.status, 2);
    std::vector<json> lines = json_objects(r.out);
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
    std::vector<json> lines = json_objects(r.out);
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
    std::vector<json> lines = json_objects(r.out);
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
    std::vector<json> lines = json_objects(r.out);
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


// Every field of the object against PARI/GP (factor, isprime, issquarefree,
// eulerphi; the liars as prod gcd(p - 1, N - 1) and by Monier's formula,
// checked base by base on small N; the bases by Mod(b, N)^(N-1) and the
// strong test written out). The rows are ordered so that each field takes
// another value in a neighbouring row: proven just below and above 2^64,
// with and without --prove, for N itself and for a factor of a larger N;
// squarefree or not; an even N, whose strong test is its Fermat test; a
// base just below the bound and at it. The shares are compared to a few
// units in the last place, the rest exactly.
struct json_kind_row {
    const char *name;
    std::vector<std::string> options;
    const char *n;
    const char *factors, *kind;
    double fermat_share, strong_share; // 0 where the object has none
};

const json_kind_row json_kind_rows[] = {
    {"the largest prime below 2^64", {}, "18446744073709551557",
     R"([{"prime":"18446744073709551557","exponent":1,"proven":true}])",
     R"({"prime":true,"composite":false,"passes_screening":true,"screening_why":null})",
     0, 0},
    {"the first prime above 2^64", {}, "18446744073709551629",
     R"([{"prime":"18446744073709551629","exponent":1,"proven":false}])",
     R"({"prime":true,"composite":false,"passes_screening":true,"screening_why":null})",
     0, 0},
    {"the first prime above 2^64, proven", {"--prove"}, "18446744073709551629",
     R"([{"prime":"18446744073709551629","exponent":1,"proven":true}])",
     R"({"prime":true,"composite":false,"passes_screening":true,"screening_why":null})",
     0, 0},
    {"3 times the first prime above 2^64", {}, "55340232221128654887",
     R"([{"prime":"3","exponent":1,"proven":true},{"prime":"18446744073709551629")"
     R"(,"exponent":1,"proven":false}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 3","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"18446744073709551629 - 1 does not divide N - 1")"
     R"(,"lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"18446744073709551629 + 1 does not divide N + 1")"
     R"(,"phi":"36893488147419103256","fermat_liars":"4","strong_liars":"2")"
     R"(,"base_bound":100,"fermat_bases":[],"strong_bases":[],"fermat_run":null)"
     R"(,"strong_run":null})",
     1.0842021724855044e-19, 5.421010862427522e-20},
    {"3 times the largest prime below 2^64", {}, "55340232221128654671",
     R"([{"prime":"3","exponent":1,"proven":true},{"prime":"18446744073709551557")"
     R"(,"exponent":1,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 3","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"18446744073709551557 - 1 does not divide N - 1")"
     R"(,"lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"18446744073709551557 + 1 does not divide N + 1")"
     R"(,"phi":"36893488147419103112","fermat_liars":"4","strong_liars":"2")"
     R"(,"base_bound":100,"fermat_bases":[],"strong_bases":[],"fermat_run":null)"
     R"(,"strong_run":null})",
     1.0842021724855044e-19, 5.421010862427522e-20},
    {"square of a base-3 Wieferich prime", {}, "1012042036009",
     R"([{"prime":"1006003","exponent":2,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":true,"screening_why":null)"
     R"(,"squarefree":false,"carmichael":false,"carmichael_why":"1006003^2 divides N")"
     R"(,"lucas_carmichael":false,"lucas_carmichael_why":"1006003^2 divides N")"
     R"(,"phi":"1012041030006","fermat_liars":"1006002","strong_liars":"1006002")"
     R"(,"base_bound":100,"fermat_bases":[3],"strong_bases":[3],"fermat_run":null)"
     R"(,"strong_run":null})",
     9.94032820975683e-07, 9.94032820975683e-07},
    {"cube of a prime times a prime", {}, "100028001980054000513",
     R"([{"prime":"100003","exponent":3,"proven":true},{"prime":"100019","exponent":1)"
     R"(,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"3^N mod N is not 3","squarefree":false,"carmichael":false)"
     R"(,"carmichael_why":"100003^2 divides N","lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"100003^2 divides N","phi":"100026001650039600324")"
     R"(,"fermat_liars":"4","strong_liars":"2","base_bound":100,"fermat_bases":[])"
     R"(,"strong_bases":[],"fermat_run":null,"strong_run":null})",
     3.998960204362439e-20, 1.9994801021812195e-20},
    {"even, a square, Fermat pseudoprime to 5", {}, "124",
     R"([{"prime":"2","exponent":2,"proven":true},{"prime":"31","exponent":1)"
     R"(,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 2","squarefree":false,"carmichael":false)"
     R"(,"carmichael_why":"2^2 divides N","lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"N is even","phi":"60","fermat_liars":"3")"
     R"(,"strong_liars":"3","base_bound":100,"fermat_bases":[5],"strong_bases":[5])"
     R"(,"fermat_run":null,"strong_run":null})",
     0.05, 0.05},
    {"Carmichael 561", {}, "561",
     R"([{"prime":"3","exponent":1,"proven":true},{"prime":"11","exponent":1)"
     R"(,"proven":true},{"prime":"17","exponent":1,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 3","squarefree":true,"carmichael":true)"
     R"(,"carmichael_why":null,"lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"3 + 1 does not divide N + 1","phi":"320")"
     R"(,"fermat_liars":"320","strong_liars":"10","base_bound":100,"fermat_bases":[2,5,7)"
     R"(,13,19,23,29,31,37,41,43,47,53,59,61,67,71,73,79,83,89,97],"strong_bases":[])"
     R"(,"fermat_run":"2","strong_run":null})",
     1.0, 0.03125},
    {"Lucas-Carmichael 399", {}, "399",
     R"([{"prime":"3","exponent":1,"proven":true},{"prime":"7","exponent":1)"
     R"(,"proven":true},{"prime":"19","exponent":1,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 3","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"7 - 1 does not divide N - 1","lucas_carmichael":true)"
     R"(,"lucas_carmichael_why":null,"phi":"216","fermat_liars":"8","strong_liars":"2")"
     R"(,"base_bound":100,"fermat_bases":[],"strong_bases":[],"fermat_run":null)"
     R"(,"strong_run":null})",
     0.037037037037037035, 0.009259259259259259},
    {"Carmichael 8911", {}, "8911",
     R"([{"prime":"7","exponent":1,"proven":true},{"prime":"19","exponent":1)"
     R"(,"proven":true},{"prime":"67","exponent":1,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 7","squarefree":true,"carmichael":true)"
     R"(,"carmichael_why":null,"lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"19 + 1 does not divide N + 1","phi":"7128")"
     R"(,"fermat_liars":"7128","strong_liars":"1782","base_bound":100,"fermat_bases":[2)"
     R"(,3,5,11,13,17,23,29,31,37,41,43,47,53,59,61,71,73,79,83,89,97],"strong_bases":[3)"
     R"(,13,23,31,41,97],"fermat_run":"2..5","strong_run":null})",
     1.0, 0.25},
    {"341 with the bound at its base 29", {"--bases=29"}, "341",
     R"([{"prime":"11","exponent":1,"proven":true},{"prime":"31","exponent":1)"
     R"(,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 11","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"31 - 1 does not divide N - 1","lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"11 + 1 does not divide N + 1","phi":"300")"
     R"(,"fermat_liars":"100","strong_liars":"50","base_bound":29,"fermat_bases":[2,23])"
     R"(,"strong_bases":[],"fermat_run":"2","strong_run":null})",
     0.3333333333333333, 0.16666666666666666},
    {"341 with the bound one past 29", {"--bases=30"}, "341",
     R"([{"prime":"11","exponent":1,"proven":true},{"prime":"31","exponent":1)"
     R"(,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 11","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"31 - 1 does not divide N - 1","lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"11 + 1 does not divide N + 1","phi":"300")"
     R"(,"fermat_liars":"100","strong_liars":"50","base_bound":30,"fermat_bases":[2,23)"
     R"(,29],"strong_bases":[29],"fermat_run":"2","strong_run":null})",
     0.3333333333333333, 0.16666666666666666},
};

void PrintTo(const json_kind_row &r, std::ostream *os)
{
    *os << r.name;
}

class json_kind : public ::testing::TestWithParam<json_kind_row> {};

TEST_P(json_kind, every_field_as_pari_gp_gives_it)
{
    const json_kind_row &row = GetParam();
    std::vector<std::string> args = {"--json", "--kind"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    args.push_back(row.n);
    cli_result r = run_factor(args);
    EXPECT_EQ(r.status, 0) << r.err;
    json line = json::parse(r.out);
    EXPECT_EQ(line["number"], row.n);
    EXPECT_EQ(line["factors"], json::parse(row.factors));
    EXPECT_EQ(line["complete"], true);
    EXPECT_EQ(line["composite_parts"], json::array());
    json kind = line["kind"];
    if (row.fermat_share == 0) {
        EXPECT_FALSE(kind.contains("fermat_share")) << kind;
        EXPECT_FALSE(kind.contains("strong_share")) << kind;
    } else {
        EXPECT_NEAR(kind["fermat_share"].get<double>(), row.fermat_share, 1e-12 * row.fermat_share);
        EXPECT_NEAR(kind["strong_share"].get<double>(), row.strong_share, 1e-12 * row.strong_share);
        kind.erase("fermat_share");
        kind.erase("strong_share");
    }
    EXPECT_EQ(kind, json::parse(row.kind));
}

INSTANTIATE_TEST_SUITE_P(factor, json_kind, ::testing::ValuesIn(json_kind_rows),
                         [](const auto &info) { return test_name(info.param.name); });

} // namespace
