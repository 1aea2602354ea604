// SPDX-License-Identifier: BSD-2-Clause
#include "factor/json_output.h"

#include "report/number_text.h"

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;

// Text as read, which may not be UTF-8: any byte outside printable ASCII
// becomes '?', as in the messages.
std::string shown_text(std::string text)
{
    for (char &c : text)
        if (c < 0x20 || c > 0x7e)
            c = '?';
    return text;
}

// The token as read: its first bytes.
std::string shown_input(const input_token &token)
{
    return shown_text(token.shown);
}

json tri(verdict v)
{
    if (v == verdict::unknown)
        return nullptr;
    return v == verdict::yes;
}

json text_or_null(const std::string &text)
{
    return text.empty() ? json(nullptr) : json(text);
}

json run_or_null(unsigned long last)
{
    return last == 0 ? json(nullptr) : json(base_run_text(last));
}

json kind_object(const number_kind &k, const mpz_t n)
{
    json o;
    o["prime"] = k.prime;
    o["composite"] = k.composite;
    if (mpz_cmp_ui(n, 1) <= 0)
        return o;
    o["passes_screening"] = k.passes_screening;
    o["screening_why"] = text_or_null(k.screening_why);
    if (!k.composite)
        return o;
    o["squarefree"] = tri(k.squarefree);
    o["carmichael"] = tri(k.carmichael);
    o["carmichael_why"] = text_or_null(k.carmichael_why);
    o["lucas_carmichael"] = tri(k.lucas_carmichael);
    o["lucas_carmichael_why"] = text_or_null(k.lucas_why);
    o["phi"] = text_or_null(k.phi);
    o["fermat_liars"] = text_or_null(k.fermat_liars);
    o["strong_liars"] = text_or_null(k.strong_liars);
    o["fermat_share"] = k.phi.empty() ? json(nullptr) : json(k.fermat_share);
    o["strong_share"] = k.phi.empty() ? json(nullptr) : json(k.strong_share);
    o["base_bound"] = k.base_bound;
    o["fermat_bases"] = k.fermat_bases;
    o["strong_bases"] = k.strong_bases;
    o["fermat_run"] = run_or_null(k.fermat_run);
    o["strong_run"] = run_or_null(k.strong_run);
    return o;
}

} // namespace

std::string json_number_line(const mpz_t n, const std::vector<factor_part> &parts, bool complete,
                             const json_run &run)
{
    json factors = json::array(), composite = json::array(), untested = json::array();
    for (const auto &p : parts) {
        std::string value = decimal_text(p.value);
        if (p.state == part_state::prime) {
            // Baillie-PSW has no counterexample below 2^64: there it is a proof.
            bool proven = run.proved || mpz_sizeinbase(p.value, 2) <= 64;
            factors.push_back({{"prime", value}, {"exponent", p.power}, {"proven", proven}});
        } else if (p.state == part_state::unknown) {
            untested.push_back({{"value", value}, {"exponent", p.power}});
        } else {
            composite.push_back({{"value", value}, {"exponent", p.power}});
        }
    }
    json o;
    if (run.expression != nullptr)
        o["expression"] = shown_text(*run.expression);
    o["number"] = decimal_text(n);
    o["factors"] = factors;
    o["complete"] = complete;
    o["composite_parts"] = composite;
    if (!untested.empty())
        o["untested_parts"] = untested;
    o["seed"] = run.seed;
    o["seconds"] = run.seconds;
    if (run.trial != 0)
        o["trial_bound"] = run.trial;
    if (run.interrupted)
        o["interrupted"] = true;
    if (run.kind != nullptr)
        o["kind"] = kind_object(*run.kind, n);
    return o.dump() + "\n";
}

std::string json_error_line(const input_token &token, const std::string &error)
{
    json o;
    o["input"] = shown_input(token);
    o["length"] = token.length;
    o["error"] = error;
    return o.dump() + "\n";
}
