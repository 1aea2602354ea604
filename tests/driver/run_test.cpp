// SPDX-License-Identifier: BSD-2-Clause
// Whole runs of the driver: console transcripts as exact text.
#include "support/harness.h"

#include "driver/run.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string number_line_1 = "Number -> Size in bits : 1\n\n";
const std::string trial = "Testing for divisors up to 100000...";
const std::string trial_done = trial + " Done\n\n";
const std::string fermat = "PSeudoPrimality test in base 3...";
const std::string not_found = banner + "File not found\n" + closing_prompt;
const std::string failure_message =
    "\nBe sure that it is a Carmichael, a PSP or a SPSP number and try again !!!";

std::string ten_empty_tests()
{
    std::string s;
    for (int k = 1; k <= 10; ++k)
        s += "* Test " + std::to_string(k) + " : Test made in 0.02 s.\n";
    return s;
}

struct golden_case {
    const char *name;
    std::function<void()> prepare; // lays out the working folder
    std::string transcript;        // every test timed at 15 ms
    bool writes_log;
};

std::function<void()> number_file(std::string contents)
{
    return [contents] { write_file("number.fic", contents); };
}

std::string screened(const std::string &bits_line, const std::string &rest)
{
    return banner + bits_line + rest + closing_prompt;
}

const golden_case golden_cases[] = {
    {"missing file", [] {}, not_found, false},
    {"folder", [] { mkdir("number.fic", 0755); }, not_found, false},
    {"fifo without writer", [] { mkfifo("number.fic", 0644); }, not_found, false},
    {"dangling link", [] { symlink("nowhere.txt", "number.fic"); }, not_found, false},
    {"device", [] { symlink("/dev/zero", "number.fic"); }, not_found, false},
    {"empty file", number_file(""),
     screened(number_line_1, trial + "Number divisible by 2\n"), false},
    {"blanks, 561, junk", number_file("  561xyz"),
     screened("Number -> Size in bits : 10\n\n", trial + "Number divisible by 3\n"), false},
    {"plus sign", number_file("+561"),
     screened(number_line_1, trial + "Number divisible by 2\n"), false},
    {"lone minus", number_file("-"),
     screened(number_line_1, trial + "Number divisible by 2\n"), false},
    {"minus blank digit", number_file("- 5"),
     screened(number_line_1, trial + "Number divisible by 2\n"), false},
    {"binary bytes", number_file(std::string("\x01\xff\x00" "7", 4)),
     screened(number_line_1, trial + "Number divisible by 2\n"), false},
    {"leading newline and tab", number_file("\n\t99991\n"),
     screened("Number -> Size in bits : 17\n\n", trial + "Number divisible by 99991\n"), false},
    {"one", number_file("1"),
     screened(number_line_1, trial_done + fermat + " FAILED\n\n"), false},
    {"three", number_file("3"),
     screened("Number -> Size in bits : 2\n\n", trial + "Number divisible by 3\n"), false},
    {"prime below the bound", number_file("99991"),
     screened("Number -> Size in bits : 17\n\n", trial + "Number divisible by 99991\n"), false},
    // Both factors are the two largest primes below 100000; 99989 = 1 mod 4.
    {"two primes just below the bound", number_file("9998000099"),
     screened("Number -> Size in bits : 34\n\n", trial + "Number divisible by 99989\n"), false},
    {"negative with small factor", number_file("-15"),
     screened("Number -> Size in bits : 4\n\n", trial + "Number divisible by 3\n"), false},
    {"negative without small factor", number_file("-100003"),
     screened("Number -> Size in bits : 17\n\n", trial_done + fermat + " FAILED\n\n"), false},
    {"even composite of 561", number_file("1122"),
     screened("Number -> Size in bits : 11\n\n", trial + "Number divisible by 2\n"), false},
    // 100003 is not a base-3 Wieferich prime, so its square fails.
    {"square of a prime", number_file("10000600009"),
     screened("Number -> Size in bits : 34\n\n", trial_done + fermat + " FAILED\n\n"), false},
    {"prime above the bound", number_file("100003"),
     screened("Number -> Size in bits : 17\n\n",
              trial_done + fermat + " Done\n\n" + ten_empty_tests() + failure_message),
     true},
    // Read in base 10: in base 0 the leading zero would make it octal 32771.
    {"leading zero", number_file("0100003"),
     screened("Number -> Size in bits : 17\n\n",
              trial_done + fermat + " Done\n\n" + ten_empty_tests() + failure_message),
     true},
    {"link to a regular file", [] {
         write_file("target.txt", "100003");
         symlink("target.txt", "number.fic");
     },
     screened("Number -> Size in bits : 17\n\n",
              trial_done + fermat + " Done\n\n" + ten_empty_tests() + failure_message),
     true},
};

void PrintTo(const golden_case &c, std::ostream *os)
{
    *os << c.name;
}

class golden : public ::testing::TestWithParam<golden_case> {};

TEST_P(golden, transcript_and_log)
{
    scratch_dir dir;
    GetParam().prepare();
    EXPECT_EQ(run_tool(1), GetParam().transcript);
    EXPECT_EQ(read_file("results.fic") != "<missing>", GetParam().writes_log);
}

INSTANTIATE_TEST_SUITE_P(driver, golden, ::testing::ValuesIn(golden_cases),
                         [](const auto &info) { return test_name(info.param.name); });

TEST(driver, carmichael_split_by_second_test_with_seed_one)
{
    // 6178246534322281 = 100981 * 201961 * 302941: test 2 finds 302941 in
    // all four candidates and prints it once.
    scratch_dir dir;
    write_file("number.fic", "6178246534322281\n");
    EXPECT_EQ(run_tool(1),
              banner + "Number -> Size in bits : 53\n\n" + trial_done + fermat + " Done\n\n" +
                  "* Test 1 : Test made in 0.02 s.\n"
                  "* Test 2 : \nFactors :\n302941  (19 bits)\n\nTest made in 0.02 s.\n" +
                  closing_prompt);
}

TEST(driver, one_test_reports_two_divisors_one_composite)
{
    // Seed 104982 draws [[21706, 15319], [11252, 22981]] first. Checked in
    // PARI/GP: R = M^(N-1) mod N gives the candidates 302941, 302941, 302941
    // and 100981 * 302941 = 30591285121, so test 1 reports two divisors, and
    // the certificate is (21706 + 15319*2^15 + 11252*2^30 + 22981*2^45)
    // * 10041982 + 670301591.
    time_zone utc("UTC");
    scratch_dir dir;
    write_file("number.fic", "6178246534322281\n");
    EXPECT_EQ(run_tool(104982),
              banner + "Number -> Size in bits : 53\n\n" + trial_done + fermat + " Done\n\n" +
                  "* Test 1 : \nFactors :\n"
                  "302941  (19 bits)\n\n"
                  "30591285121  (35 bits)\n\n"
                  "Test made in 0.02 s.\n" +
                  closing_prompt);
    EXPECT_EQ(read_file("results.fic"),
              "Brovanten V1.1r     T.Osbervan      Fri Jan 02 05:09:42 1970\n \n\n"
              "Number = 6178246534322281  (53 bits)\n"
              "Factor = 302941  (19 bits)\n"
              "Factor = 30591285121  (35 bits)\n"
              "\n\nSecondary certificate : 8119787351433170872859907\n" +
                  log_separator);
}

TEST(driver, closing_prompt_reads_one_character)
{
    scratch_dir dir;
    std::FILE *in = std::tmpfile();
    std::fputs("xy", in);
    std::rewind(in);
    std::FILE *out = std::tmpfile();
    run_driver(run_clock{[] { return std::time_t{1}; }, [] { return 0LL; }}, in, out, out);
    EXPECT_EQ(std::fgetc(in), 'y');
    std::fclose(in);
    std::fclose(out);
}

} // namespace
