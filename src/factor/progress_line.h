// SPDX-License-Identifier: BSD-2-Clause
// The text of brovanten-factor's progress line, from the notes of the
// steps (factor_note.h): which part, which method, how far it is (the
// attempt among the part's attempts, the curve among the level's, the
// relations found of those needed, the primes tried), and the time left
// where the pace so far tells it: for the attempts left on the part, the
// curves left in the level, the relations still needed and the primes
// still to try. An estimate assumes nothing is found meanwhile, which
// would end the attempts or the level sooner. Pure functions of the notes
// and the clock, so that they can be tested alone.
#pragma once

#include "factor/factor_note.h"

#include <chrono>
#include <cstddef>
#include <string>

using progress_clock = std::chrono::steady_clock;

// What the line shows, kept from note to note.
struct progress_state {
    factor_note last;   // the last note that says where the work is
    std::string method; // its method, kept: the note's text may not outlive it
    progress_clock::time_point step_since; // when the step at hand started
    // The pace: a run of attempts on one part, of curves of one level, of
    // a method's own progress, measured from `since` (with count_since
    // done there) to `unit_since`, when the unit at hand (an attempt, a
    // curve) started.
    factor_event measure;
    int measure_part;
    std::size_t measure_bits;
    int measure_round;
    progress_clock::time_point since, unit_since;
    unsigned long count_since, unit;
};

// A new number, started now.
void progress_state_start(progress_state &s, progress_clock::time_point now);

// Takes a note in; false if the line has nothing new to show from it.
bool progress_state_take(progress_state &s, const factor_note &note,
                         progress_clock::time_point now);

// The line, without "\r" and the clearing of the rest of it.
std::string progress_line_text(const progress_state &s, progress_clock::time_point now);

// Seconds left, or a negative number when the pace does not tell it yet.
double progress_seconds_left(const progress_state &s, progress_clock::time_point now);

// "5 s", "3 min", "2 h": a duration as the line says it.
std::string duration_text(double seconds);
