// SPDX-License-Identifier: BSD-2-Clause
#include "factor/progress_line.h"

#include <cmath>
#include <cstring>

namespace {

double seconds_between(progress_clock::time_point from, progress_clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

bool measured(factor_event e)
{
    return e == factor_event::test || e == factor_event::power || e == factor_event::curve ||
           e == factor_event::method_progress;
}

// Attempts and their matrix powers are one measure.
factor_event measure_of(factor_event e)
{
    return e == factor_event::power ? factor_event::test : e;
}

bool is_sieve(const progress_state &s)
{
    return std::strcmp(s.method.c_str(), "sieve") == 0;
}

} // namespace

void progress_state_start(progress_state &s, progress_clock::time_point now)
{
    s.last = {factor_event::step, 1, 1, 0, "", round_unit::none, 0, 0, 0, 0};
    s.method.clear();
    s.step_since = s.since = s.unit_since = now;
    s.measure = factor_event::step;
    s.measure_part = 0;
    s.measure_bits = 0;
    s.measure_round = 0;
    s.count_since = s.unit = 0;
}

bool progress_state_take(progress_state &s, const factor_note &note,
                         progress_clock::time_point now)
{
    switch (note.event) {
    case factor_event::step:
        s.step_since = now;
        break;
    case factor_event::method:
    case factor_event::ecm:
    case factor_event::test:
    case factor_event::power:
    case factor_event::curve:
    case factor_event::method_progress:
        break;
    default:
        return false;
    }
    s.last = note;
    s.method = note.method;
    s.last.method = nullptr; // s.method holds it
    if (!measured(note.event))
        return true;
    factor_event measure = measure_of(note.event);
    bool same_run = s.measure == measure && s.measure_part == note.part &&
                    s.measure_bits == note.bits && s.measure_round == note.round &&
                    note.count >= s.unit;
    // The attempts on one part are one run, whatever the number each has
    // among the tests of its own method.
    if (measure == factor_event::test)
        same_run = s.measure == measure && s.measure_part == note.part &&
                   s.measure_bits == note.bits && note.count >= s.unit;
    if (!same_run) {
        s.measure = measure;
        s.measure_part = note.part;
        s.measure_bits = note.bits;
        s.measure_round = note.round;
        // A method's own progress counts from the start of its step.
        s.since = measure == factor_event::method_progress ? s.step_since : now;
        s.count_since = measure == factor_event::method_progress ? 0 : note.count;
        s.unit = note.count;
        s.unit_since = now;
    } else if (note.count != s.unit) {
        s.unit = note.count;
        s.unit_since = now;
    }
    return true;
}

double progress_seconds_left(const progress_state &s, progress_clock::time_point now)
{
    const factor_note &n = s.last;
    if (!measured(n.event) || n.of == 0)
        return -1;
    if (n.event == factor_event::method_progress) {
        double elapsed = seconds_between(s.since, now);
        if (n.done <= 0 || n.done >= 1 || elapsed < 0.5)
            return -1;
        return elapsed * (1 - n.done) / n.done;
    }
    // Attempts and curves: the pace of the units finished in this run.
    if (s.unit <= s.count_since)
        return -1;
    double per_unit = seconds_between(s.since, s.unit_since) /
                      static_cast<double>(s.unit - s.count_since);
    double left = per_unit * static_cast<double>(n.of - s.unit + 1) -
                  seconds_between(s.unit_since, now);
    return left > 0 ? left : 0;
}

std::string duration_text(double seconds)
{
    if (seconds < 90)
        return std::to_string(static_cast<long>(std::ceil(seconds))) + " s";
    if (seconds < 90 * 60)
        return std::to_string(std::lround(seconds / 60)) + " min";
    if (seconds < 48 * 3600)
        return std::to_string(std::lround(seconds / 3600)) + " h";
    return std::to_string(std::lround(seconds / 86400)) + " days";
}

std::string progress_line_text(const progress_state &s, progress_clock::time_point now)
{
    const factor_note &n = s.last;
    std::string text = "brovanten-factor: part " + std::to_string(n.part) + " of " +
                       std::to_string(n.parts) + " (" + std::to_string(n.bits) + " bits), ";
    switch (n.event) {
    case factor_event::test:
    case factor_event::power:
        text += s.method + " test " + std::to_string(n.round) + ", attempt " +
                std::to_string(n.count) + " of " + std::to_string(n.of);
        if (n.event == factor_event::power)
            text += ", power " + std::to_string(std::lround(100 * n.done)) + "%";
        break;
    case factor_event::curve:
        text += "ECM " + std::to_string(n.round) + " digits, curve " + std::to_string(n.count) +
                " of " + std::to_string(n.of);
        break;
    case factor_event::ecm:
        text += "ECM " + std::to_string(n.round) + " digits";
        break;
    case factor_event::method_progress:
        if (is_sieve(s))
            text += "sieve, " + std::to_string(n.count) + " of " + std::to_string(n.of) +
                    " relations";
        else
            text += s.method + " below " + std::to_string(n.of) + ", at " +
                    std::to_string(n.count);
        text += " (" + std::to_string(static_cast<long>(100 * n.done)) + "%)";
        break;
    default: {
        // A step or method that tells nothing of its progress: how long
        // it has run.
        text += s.method.empty() ? "starting" : s.method;
        double running = seconds_between(s.step_since, now);
        if (running >= 1)
            text += ", " + duration_text(running) + " so far";
        break;
    }
    }
    double left = progress_seconds_left(s, now);
    if (left >= 0)
        text += ", about " + duration_text(left) + " left";
    return text;
}
