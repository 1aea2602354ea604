// SPDX-License-Identifier: BSD-2-Clause
#include "factor/progress.h"

#include "factor/stop_signals.h"

#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Redraws: at most this often for news, and at least this often for the
// time left to move on.
constexpr std::chrono::milliseconds draw_every{100};
constexpr std::chrono::milliseconds redraw_after{1000};

const char *plural(unsigned long count, const char *one, const char *many)
{
    return count == 1 ? one : many;
}

// The line off the screen. The caller holds the lock.
void clear_line(progress_view &v)
{
    if (!v.line_shown)
        return;
    std::fputs("\r\033[K", v.err);
    std::fflush(v.err);
    v.line_shown = false;
    stop_note_line(v.fd, false);
}

void say_part(progress_view &v, const char *format, const factor_note &note)
{
    clear_line(v);
    std::fprintf(v.err, format, note.part, note.parts, note.bits);
}

void say_step(progress_view &v, const factor_note &note)
{
    switch (note.event) {
    case factor_event::small_primes:
        clear_line(v);
        std::fprintf(v.err, "brovanten-factor: %zu bits, %lu %s below 100000\n", note.bits,
                     note.count, plural(note.count, "prime factor", "prime factors"));
        break;
    case factor_event::word_number:
        clear_line(v);
        std::fprintf(v.err, "brovanten-factor: %zu bits, below 2^64: %lu %s by %s\n", note.bits,
                     note.count, plural(note.count, "prime factor", "prime factors"),
                     note.method);
        break;
    case factor_event::prime:
        // Below 2^64 the test is a proof.
        if (note.bits <= 64)
            say_part(v, "  part %d of %d (%zu bits) is prime\n", note);
        else
            say_part(v, "  part %d of %d (%zu bits) is a probable prime\n", note);
        break;
    case factor_event::perfect_power:
        clear_line(v);
        std::fprintf(v.err, "  part %d of %d (%zu bits) was a perfect power, exponent %lu\n",
                     note.part, note.parts, note.bits, note.count);
        break;
    case factor_event::split: {
        clear_line(v);
        const char *divisors = plural(note.count, "divisor", "divisors");
        switch (note.unit) {
        case round_unit::test:
            std::fprintf(v.err, "  part %d of %d (%zu bits): %s test %d found %lu %s\n",
                         note.part, note.parts, note.bits, note.method, note.round, note.count,
                         divisors);
            break;
        case round_unit::digits:
            std::fprintf(v.err, "  part %d of %d (%zu bits): %s at %d digits found %lu %s\n",
                         note.part, note.parts, note.bits, note.method, note.round, note.count,
                         divisors);
            break;
        case round_unit::none:
            std::fprintf(v.err, "  part %d of %d (%zu bits): %s found %lu %s\n", note.part,
                         note.parts, note.bits, note.method, note.count, divisors);
            break;
        }
        break;
    }
    case factor_event::method:
    case factor_event::method_summary:
        clear_line(v);
        std::fprintf(v.err, "  part %d of %d (%zu bits): %s\n", note.part, note.parts, note.bits,
                     note.method);
        break;
    case factor_event::ecm:
        clear_line(v);
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
    case factor_event::step:
        break;
    }
}

// The line, cut to the terminal's width so that it never wraps (a
// wrapped line would not be cleared). The caller holds the lock.
void draw(progress_view &v, progress_clock::time_point now)
{
    std::string text = progress_line_text(v.state, now);
    if (v.width > 1 && text.size() >= static_cast<std::size_t>(v.width))
        text.resize(static_cast<std::size_t>(v.width) - 1);
    std::fprintf(v.err, "\r%s\033[K", text.c_str());
    std::fflush(v.err);
    v.line_shown = true;
    v.changed = false;
    v.last_draw = now;
    stop_note_line(v.fd, true);
}

// Whether the line is due now. The caller holds the lock.
bool line_due(const progress_view &v, progress_clock::time_point now)
{
    if (!v.line_allowed || !v.number_active ||
        std::chrono::duration<double>(now - v.number_start).count() < v.after)
        return false;
    if (!v.line_shown)
        return true;
    auto since = now - v.last_draw;
    return (v.changed && since >= draw_every) || since >= redraw_after;
}

void observe(progress_view &v, const factor_note &note)
{
    auto now = progress_clock::now();
    std::lock_guard<std::mutex> hold(v.lock);
    if (v.verbose)
        say_step(v, note);
    if (!v.line_allowed || !progress_state_take(v.state, note, now))
        return;
    v.changed = true;
    if (line_due(v, now))
        draw(v, now);
}

void tick(progress_view &v)
{
    std::unique_lock<std::mutex> hold(v.lock);
    while (!v.closing) {
        v.wake.wait_for(hold, draw_every);
        auto now = progress_clock::now();
        if (!v.closing && line_due(v, now))
            draw(v, now);
    }
}

int terminal_width(int fd)
{
    winsize size{};
    if (fd < 0 || ioctl(fd, TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}

} // namespace

void progress_start(progress_view &v, std::FILE *err, bool verbose, bool err_is_terminal,
                    double after)
{
    v.err = err;
    v.verbose = verbose;
    v.line_allowed = err_is_terminal;
    v.after = after;
    int fd = err_is_terminal && err != nullptr ? fileno(err) : -1;
    v.fd = fd >= 0 && isatty(fd) ? fd : -1;
    v.width = terminal_width(v.fd);
    v.closing = false;
    v.number_active = false;
    v.changed = false;
    v.line_shown = false;
    progress_state_start(v.state, progress_clock::now());
    if (v.line_allowed)
        v.ticker = std::thread(tick, std::ref(v));
}

void progress_finish(progress_view &v)
{
    {
        std::lock_guard<std::mutex> hold(v.lock);
        v.closing = true;
        v.number_active = false;
        clear_line(v);
    }
    v.wake.notify_all();
    if (v.ticker.joinable())
        v.ticker.join();
}

factor_observer progress_for_number(progress_view &v, const mpz_t n)
{
    {
        std::lock_guard<std::mutex> hold(v.lock);
        v.number_active = true;
        v.number_start = progress_clock::now();
        progress_state_start(v.state, v.number_start);
        v.state.last.bits = mpz_sizeinbase(n, 2);
        v.changed = false;
    }
    if (!v.verbose && !v.line_allowed)
        return {};
    return [&v](const factor_note &note) { observe(v, note); };
}

void progress_number_done(progress_view &v)
{
    std::lock_guard<std::mutex> hold(v.lock);
    v.number_active = false;
    clear_line(v);
}
