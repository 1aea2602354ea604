// SPDX-License-Identifier: BSD-2-Clause
// The progress line's text from the notes and the clock: which method, how
// far (attempts, curves of the level, relations of those needed, primes
// tried) and the time left from the pace so far, worked by hand.
#include "factor/progress_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct timed_note {
    double at; // seconds after the start
    factor_note note;
};

struct line_case {
    const char *name;
    std::vector<timed_note> notes;
    double now;
    const char *line;
};

progress_clock::time_point at(double seconds)
{
    return progress_clock::time_point{} +
           std::chrono::duration_cast<progress_clock::duration>(std::chrono::duration<double>(seconds));
}

const line_case line_cases[] = {
    // Curve 1 started at 0 and curve 3 at 2: a second a curve, so 88 curves
    // (3 to 90) less the 0.5 s that curve 3 has run.
    {"curves of a level",
     {{0, {factor_event::curve, 1, 2, 300, "ECM", round_unit::digits, 20, 1, 0, 90}},
      {2, {factor_event::curve, 1, 2, 300, "ECM", round_unit::digits, 20, 3, 0, 90}}},
     2.5,
     "brovanten-factor: part 1 of 2 (300 bits), ECM 20 digits, curve 3 of 90, about 88 s left"},
    // No curve finished yet: no pace, no estimate.
    {"the first curve",
     {{0, {factor_event::curve, 1, 1, 300, "ECM", round_unit::digits, 25, 1, 0, 240}}},
     5,
     "brovanten-factor: part 1 of 1 (300 bits), ECM 25 digits, curve 1 of 240"},
    // A new level starts its own pace.
    {"a new level",
     {{0, {factor_event::curve, 1, 1, 300, "ECM", round_unit::digits, 20, 1, 0, 90}},
      {10, {factor_event::curve, 1, 1, 300, "ECM", round_unit::digits, 20, 90, 0, 90}},
      {20, {factor_event::curve, 1, 1, 300, "ECM", round_unit::digits, 25, 1, 0, 240}}},
     21,
     "brovanten-factor: part 1 of 1 (300 bits), ECM 25 digits, curve 1 of 240"},
    // The sieve from the start of its step: a quarter in 10 s, 30 s to go.
    {"relations of the sieve",
     {{0, {factor_event::step, 1, 1, 230, "sieve", round_unit::none, 0, 0, 0, 0}},
      {10, {factor_event::method_progress, 1, 1, 230, "sieve", round_unit::none, 0, 500, 0.25, 2000}}},
     10,
     "brovanten-factor: part 1 of 1 (230 bits), sieve, 500 of 2000 relations (25%), about 30 s left"},
    {"trial division",
     {{0, {factor_event::step, 1, 1, 330000, "trial division", round_unit::none, 0, 0, 0, 0}},
      {4, {factor_event::method_progress, 1, 1, 330000, "trial division", round_unit::none, 0,
           500000, 0.5, 1000000}}},
     4,
     "brovanten-factor: part 1 of 1 (330000 bits), trial division below 1000000, at 500000 (50%), "
     "about 4 s left"},
    // Attempts 1 and 2 started at 0 and 6: 6 s an attempt, 21 of them left
    // (2 to 22) less the 1 s of this one, 125 s, which is 2 min.
    {"attempts and their powers",
     {{0, {factor_event::test, 1, 1, 4096, "strong base 2", round_unit::test, 1, 1, 0, 22}},
      {6, {factor_event::power, 1, 1, 4096, "matrix N-1", round_unit::test, 1, 2, 0.4, 22}}},
     7,
     "brovanten-factor: part 1 of 1 (4096 bits), matrix N-1 test 1, attempt 2 of 22, power 40%, "
     "about 2 min left"},
    // A step that tells nothing of its progress: how long it has run.
    {"a step without progress",
     {{0, {factor_event::step, 2, 3, 700, "Pollard p-1", round_unit::none, 0, 0, 0, 0}}},
     3.2,
     "brovanten-factor: part 2 of 3 (700 bits), Pollard p-1, 4 s so far"},
};

void PrintTo(const line_case &c, std::ostream *os)
{
    *os << c.name;
}

class progress_line : public ::testing::TestWithParam<line_case> {};

TEST_P(progress_line, text)
{
    const line_case &c = GetParam();
    progress_state s;
    progress_state_start(s, at(0));
    for (const auto &t : c.notes)
        progress_state_take(s, t.note, at(t.at));
    EXPECT_EQ(progress_line_text(s, at(c.now)), c.line);
}

INSTANTIATE_TEST_SUITE_P(factor, progress_line, ::testing::ValuesIn(line_cases));

TEST(progress_line, durations)
{
    const struct {
        double seconds;
        const char *text;
    } rows[] = {{0.2, "1 s"}, {89, "89 s"}, {90, "2 min"}, {89 * 60, "89 min"},
                {90 * 60, "2 h"}, {47 * 3600, "47 h"}, {48 * 3600, "2 days"}};
    for (const auto &r : rows)
        EXPECT_EQ(duration_text(r.seconds), r.text) << r.seconds;
}

} // namespace
