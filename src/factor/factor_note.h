// SPDX-License-Identifier: BSD-2-Clause
// What the steps of brovanten-factor's method say while they work, for a
// caller that shows progress (progress.h): one note per event, with the
// part it is about among the parts of the moment.
#pragma once

#include <cstddef>
#include <functional>

enum class factor_event {
    small_primes,    // trial division is over; count = prime factors found
    test,            // a splitting attempt starts on a part
    power,           // share `done` of a matrix test's power is done
    split,           // a step split its part; count = divisors it found
    prime,           // a part is a probable prime
    perfect_power,   // a part was a perfect power; count = the exponent
    method,          // a method of one round starts on a part: method = its title
    method_summary,  // what such a method did, in words: method = them
    ecm,             // a level of elliptic curves starts; round = its digits,
                     // count = its curves
    curve,           // curve `count` of that level starts
    method_progress, // a long method's own progress: count = what it has done,
                     // of = what it needs, done = the share
    unsplit,         // a part stays composite
    word_number,     // a number below 2^64 was factored at once: count = its
                     // prime factors, method = how they were found
    step,            // a step of the table starts on a part: method = its name
};

// What a note's round counts, as the steps shown say it: "strong test 3",
// "ECM at 25 digits", or nothing for a method of one round.
enum class round_unit { none, test, digits };

struct factor_note {
    factor_event event;
    int part;          // 1-based among the parts of the moment
    int parts;
    std::size_t bits;  // of the part (for perfect_power, before its root was taken)
    const char *method; // the step's name: "strong base 2", "matrix N+1", "rho",
                        // "p-1", "ECM", "word-size rho"...; for `method`, its title
    round_unit unit;
    int round;
    unsigned long count;
    double done;
    unsigned long of; // for test: the part's attempts in all (count: this
                      // one's place, from 1); for curve: the level's curves
};

// Called from the thread that called factorize(), never from a helper.
using factor_observer = std::function<void(const factor_note &note)>;
