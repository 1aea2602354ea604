// SPDX-License-Identifier: BSD-2-Clause
// The --json output of brovanten-factor: one JSON object per number (JSON
// Lines), written with nlohmann::json so that every string is escaped as
// JSON wants it. Big integers are decimal strings, since JSON numbers lose
// digits past 2^53. The schema is in the man page.
#pragma once

#include "factor/factor_parts.h"
#include "factor/input_tokens.h"
#include "factor/kind.h"

#include <gmp.h>
#include <string>
#include <vector>

// What one number's object holds besides its factorisation.
struct json_run {
    unsigned long seed;
    double seconds;
    const number_kind *kind; // nullptr without --kind
    bool proved;             // --prove proved every prime
    const std::string *expression = nullptr; // the token, when it was an expression
    unsigned long trial = 0;  // --trial's bound, 0 without it
    bool interrupted = false; // a signal stopped the work
};

// {["expression",] "number", "factors": [{"prime", "exponent", "proven"}],
//  "complete", "composite_parts": [{"value", "exponent"}],
//  ["untested_parts": [{"value", "exponent"}],] "seed", "seconds"
//  [, "trial_bound"][, "interrupted": true][, "kind"]} and a line feed.
// The bracketed keys appear only when they say something: untested parts
// (not known to be prime or composite) are left by --trial or a signal.
std::string json_number_line(const mpz_t n, const std::vector<factor_part> &parts, bool complete,
                             const json_run &run);

// {"input", "length", "error"} and a line feed, for a token that is no
// number or too long.
std::string json_error_line(const input_token &token, const std::string &error);
