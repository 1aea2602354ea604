// SPDX-License-Identifier: BSD-2-Clause
#include "support/record_parser.h"

#include <gmp.h>

#include <algorithm>
#include <cctype>
#include <regex>

namespace {

const std::string header_start = "Brovanten V1.1r     T.Osbervan      ";
const std::string separator =
    "\n-------------------------------------------------------------------------------- \n";

struct cursor {
    const std::string &text;
    std::size_t at;

    bool take(const std::string &literal)
    {
        if (text.compare(at, literal.size(), literal) != 0)
            return false;
        at += literal.size();
        return true;
    }
    std::string digits()
    {
        std::size_t start = at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
            ++at;
        return text.substr(start, at - start);
    }
    bool at_end() const { return at == text.size(); }
};

// "<label><decimal>  (<bits> bits)\n" with the right bit count.
bool number_line(cursor &c, const std::string &label, std::string &value)
{
    if (!c.take(label))
        return false;
    value = c.digits();
    if (value.empty() || (value.size() > 1 && value[0] == '0') || !c.take("  ("))
        return false;
    std::string bits = c.digits();
    if (!c.take(" bits)\n"))
        return false;
    mpz_t x;
    mpz_init_set_str(x, value.c_str(), 10);
    bool right = std::to_string(mpz_sizeinbase(x, 2)) == bits;
    mpz_clear(x);
    return right;
}

bool divides_properly(const std::string &d_text, const std::string &n_text)
{
    mpz_t d, n;
    mpz_init_set_str(d, d_text.c_str(), 10);
    mpz_init_set_str(n, n_text.c_str(), 10);
    bool ok = mpz_cmp_ui(d, 1) > 0 && mpz_cmp(d, n) < 0 && mpz_divisible_p(n, d);
    mpz_clears(d, n, nullptr);
    return ok;
}

// C = P * 10041982 + 670301591 with P below 2^60.
bool decodes(const std::string &c_text)
{
    mpz_t c;
    mpz_init_set_str(c, c_text.c_str(), 10);
    bool ok = mpz_cmp_ui(c, 670301591) >= 0;
    if (ok) {
        mpz_sub_ui(c, c, 670301591);
        ok = mpz_divisible_ui_p(c, 10041982) != 0;
        mpz_divexact_ui(c, c, 10041982);
        ok = ok && mpz_sizeinbase(c, 2) <= 60;
    }
    mpz_clear(c);
    return ok;
}

std::string parse_record(cursor &c, log_record &r)
{
    static const std::regex stamp_pattern(
        "(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
        "(0[1-9]|[12][0-9]|3[01]) ([01][0-9]|2[0-3]):[0-5][0-9]:[0-6][0-9] ([0-9]{4,}|-[0-9]{3,})");
    if (!c.take(header_start))
        return "no header";
    std::size_t end = c.text.find('\n', c.at);
    r.stamp = c.text.substr(c.at, end == std::string::npos ? std::string::npos : end - c.at);
    if (!std::regex_match(r.stamp, stamp_pattern))
        return "bad timestamp";
    c.at += r.stamp.size();
    if (!c.take("\n \n\n"))
        return "header does not end in \"\\n \\n\\n\"";
    if (!number_line(c, "Number = ", r.n))
        return "bad Number line";
    std::string factor;
    while (number_line(c, "Factor = ", factor)) {
        if (!divides_properly(factor, r.n))
            return "factor " + factor + " is no proper divisor of " + r.n;
        r.factors.push_back(factor);
    }
    if (c.take("\n\nSecondary certificate : ")) {
        r.certificate = c.digits();
        if (r.certificate.empty() || !c.take("\n"))
            return "bad certificate line";
        if (!decodes(r.certificate))
            return "certificate " + r.certificate + " does not decode";
    }
    if (r.factors.empty() != r.certificate.empty())
        return "factor lines and certificate do not go together";
    if (!c.take(separator))
        return "no closing hyphen line";
    return "";
}

// The length of the incomplete record at start: up to the next header at
// the start of a line, or to the end; 0 if it does not begin like a record.
std::size_t incomplete_length(const std::string &log, std::size_t start)
{
    std::size_t shown = std::min(header_start.size(), log.size() - start);
    if (log.compare(start, shown, header_start, 0, shown) != 0)
        return 0;
    std::size_t next = log.find("\n" + header_start, start);
    return next == std::string::npos ? log.size() - start : next + 1 - start;
}

} // namespace

parsed_log parse_log(const std::string &log, const std::string &earlier, bool allow_incomplete)
{
    parsed_log p{true, "", {}, 0};
    if (log.compare(0, earlier.size(), earlier) != 0) {
        p.ok = false;
        p.fault = "the earlier bytes changed";
        return p;
    }
    cursor c{log, earlier.size()};
    while (!c.at_end()) {
        std::size_t start = c.at;
        log_record r;
        std::string fault = parse_record(c, r);
        std::size_t cut = fault.empty() || !allow_incomplete ? 0 : incomplete_length(log, start);
        if (cut > 0) {
            c.at = start + cut;
            ++p.incomplete;
            continue;
        }
        if (!fault.empty()) {
            p.ok = false;
            p.fault = "record " + std::to_string(p.records.size() + 1) + " at byte " +
                      std::to_string(start) + ": " + fault + "; the text from there:\n" +
                      log.substr(start, 400);
            return p;
        }
        p.records.push_back(r);
    }
    return p;
}
