// SPDX-License-Identifier: BSD-2-Clause
#include "factor/progress.h"

#include <cstring>

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
        if (std::strcmp(note.method, "ECM") == 0)
            std::fprintf(v.err, "  part %d of %d (%zu bits): ECM at %d digits found %lu divisors\n",
                         note.part, note.parts, note.bits, note.test, note.count);
        else if (note.test == 0) // rho, the sieve, word-size rho
            std::fprintf(v.err, "  part %d of %d (%zu bits): %s found %lu divisors\n", note.part,
                         note.parts, note.bits, note.method, note.count);
        else
            std::fprintf(v.err, "  part %d of %d (%zu bits): %s test %d found %lu divisors\n",
                         note.part, note.parts, note.bits, note.method, note.test, note.count);
        break;
    case factor_event::rho:
        say_part(v, "  part %d of %d (%zu bits): Pollard-Brent rho\n", note);
        break;
    case factor_event::ecm:
        progress_clear(v);
        std::fprintf(v.err, "  part %d of %d (%zu bits): ECM to %d digits, up to %lu curves\n",
                     note.part, note.parts, note.bits, note.test, note.count);
        break;
    case factor_event::sieve:
        say_part(v, "  part %d of %d (%zu bits): quadratic sieve\n", note);
        break;
    case factor_event::unsplit:
        say_part(v, "  part %d of %d (%zu bits) stays composite\n", note);
        break;
    case factor_event::test:
    case factor_event::power:
    case factor_event::curve:
        break;
    }
}

void show_line(progress_view &v, const factor_note &note)
{
    auto now = std::chrono::steady_clock::now();
    if (v.line_shown && now - v.last_update < std::chrono::milliseconds(100))
        return;
    v.last_update = now;
    if (note.event == factor_event::curve)
        std::fprintf(v.err, "\rbrovanten-factor: part %d of %d (%zu bits), ECM %d digits, curve %lu",
                     note.part, note.parts, note.bits, note.test, note.count);
    else
        std::fprintf(v.err, "\rbrovanten-factor: part %d of %d (%zu bits), %s test %d", note.part,
                     note.parts, note.bits, note.method, note.test);
    if (note.event == factor_event::power)
        std::fprintf(v.err, ", power %.0f%%", 100 * note.done);
    std::fputs("\033[K", v.err);
    std::fflush(v.err);
    v.line_shown = true;
}

void observe(void *context, const factor_note &note)
{
    auto &v = *static_cast<progress_view *>(context);
    if (v.verbose)
        say_step(v, note);
    if (v.line_wanted && (note.event == factor_event::test || note.event == factor_event::power ||
                          note.event == factor_event::curve))
        show_line(v, note);
}

} // namespace

void progress_start(progress_view &v, std::FILE *err, bool verbose, bool err_is_terminal)
{
    v = {err, verbose, err_is_terminal, false, false, {}};
}

const factor_observer *progress_for_number(progress_view &v, const mpz_t n,
                                           factor_observer &observer)
{
    v.line_wanted = v.line_allowed && mpz_sizeinbase(n, 2) >= progress_min_bits;
    if (!v.verbose && !v.line_wanted)
        return nullptr;
    observer = {observe, &v};
    return &observer;
}

void progress_clear(progress_view &v)
{
    if (v.line_shown) {
        std::fputs("\r\033[K", v.err);
        v.line_shown = false;
    }
}
