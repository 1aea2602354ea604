// SPDX-License-Identifier: BSD-2-Clause
#include "factor/progress.h"

namespace {

void say_part(progress_view &v, const char *format, const factor_note &note)
{
    progress_clear(v);
    std::fprintf(v.err, format, note.part, note.parts, note.bits);
}

void say_step(progress_view &v, const factor_note &note)
{
    switch (note.event) {
    case factor_event::small_primes:
        progress_clear(v);
        std::fprintf(v.err, "brovanten-factor: %zu bits, %lu prime factors below 100000\n",
                     note.bits, note.count);
        break;
    case factor_event::prime:
        // Below 2^64 the test is a proof.
        if (note.bits <= 64)
            say_part(v, "  part %d of %d (%zu bits) is prime\n", note);
        else
            say_part(v, "  part %d of %d (%zu bits) is a probable prime\n", note);
        break;
    case factor_event::perfect_power:
        progress_clear(v);
        std::fprintf(v.err, "  part %d of %d (%zu bits) was a perfect power, exponent %lu\n",
                     note.part, note.parts, note.bits, note.count);
        break;
    case factor_event::split:
        progress_clear(v);
        switch (note.unit) {
        case round_unit::test:
            std::fprintf(v.err, "  part %d of %d (%zu bits): %s test %d found %lu divisors\n",
                         note.part, note.parts, note.bits, note.method, note.round, note.count);
            break;
        case round_unit::digits:
            std::fprintf(v.err, "  part %d of %d (%zu bits): %s at %d digits found %lu divisors\n",
                         note.part, note.parts, note.bits, note.method, note.round, note.count);
            break;
        case round_unit::none:
            std::fprintf(v.err, "  part %d of %d (%zu bits): %s found %lu divisors\n", note.part,
                         note.parts, note.bits, note.method, note.count);
            break;
        }
        break;
    case factor_event::method:
    case factor_event::method_summary:
        progress_clear(v);
        std::fprintf(v.err, "  part %d of %d (%zu bits): %s\n", note.part, note.parts, note.bits,
                     note.method);
        break;
    case factor_event::ecm:
        progress_clear(v);
        std::fprintf(v.err, "  part %d of %d (%zu bits): ECM to %d digits, up to %lu curves\n",
                     note.part, note.parts, note.bits, note.round, note.count);
        break;
    case factor_event::unsplit:
        say_part(v, "  part %d of %d (%zu bits) stays composite\n", note);
        break;
    case factor_event::test:
    case factor_event::power:
    case factor_event::curve:
    case factor_event::method_progress:
        break;
    }
}

void show_line(progress_view &v, const factor_note &note)
{
    auto now = std::chrono::steady_clock::now();
    if (v.line_shown && now - v.last_update < std::chrono::milliseconds(100))
        return;
    v.last_update = now;
    switch (note.event) {
    case factor_event::curve:
        std::fprintf(v.err, "\rbrovanten-factor: part %d of %d (%zu bits), ECM %d digits, curve %lu",
                     note.part, note.parts, note.bits, note.round, note.count);
        break;
    case factor_event::method_progress:
        std::fprintf(v.err, "\rbrovanten-factor: part %d of %d (%zu bits), %s %lu, %.0f%%",
                     note.part, note.parts, note.bits, note.method, note.count, 100 * note.done);
        break;
    default:
        std::fprintf(v.err, "\rbrovanten-factor: part %d of %d (%zu bits), %s test %d", note.part,
                     note.parts, note.bits, note.method, note.round);
        if (note.event == factor_event::power)
            std::fprintf(v.err, ", power %.0f%%", 100 * note.done);
        break;
    }
    std::fputs("\033[K", v.err);
    std::fflush(v.err);
    v.line_shown = true;
}

void observe(progress_view &v, const factor_note &note)
{
    if (v.verbose)
        say_step(v, note);
    if (v.line_wanted && (note.event == factor_event::test || note.event == factor_event::power ||
                          note.event == factor_event::curve ||
                          note.event == factor_event::method_progress))
        show_line(v, note);
}

} // namespace

void progress_start(progress_view &v, std::FILE *err, bool verbose, bool err_is_terminal)
{
    v = {err, verbose, err_is_terminal, false, false, {}};
}

factor_observer progress_for_number(progress_view &v, const mpz_t n)
{
    v.line_wanted = v.line_allowed && mpz_sizeinbase(n, 2) >= progress_min_bits;
    if (!v.verbose && !v.line_wanted)
        return {};
    return [&v](const factor_note &note) { observe(v, note); };
}

void progress_clear(progress_view &v)
{
    if (v.line_shown) {
        std::fputs("\r\033[K", v.err);
        v.line_shown = false;
    }
}
