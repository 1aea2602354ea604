// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_parts.h"

#include <algorithm>
#include <cassert>

namespace {

factor_part new_part(const mpz_t value, unsigned long power, part_state state)
{
    factor_part p{};
    mpz_init_set(p.value, value);
    p.power = power;
    p.state = state;
    p.fresh = true;
    return p;
}

void drop_ones(std::vector<factor_part> &parts)
{
    for (std::size_t i = parts.size(); i-- > 0;) {
        if (mpz_cmp_ui(parts[i].value, 1) == 0) {
            mpz_clear(parts[i].value);
            parts.erase(parts.begin() + static_cast<long>(i));
        }
    }
}

// A part whose value changed is looked at again.
void changed(factor_part &p)
{
    p.state = part_state::unknown;
    p.fresh = true;
}

} // namespace

void parts_add(std::vector<factor_part> &parts, const mpz_t value, unsigned long power,
               part_state state, mpz_t scratch)
{
    assert(mpz_cmp_ui(value, 1) > 0 && power > 0);
    parts.push_back(new_part(value, power, state));
    parts_make_coprime(parts, scratch);
}

bool parts_split_by(std::vector<factor_part> &parts, const mpz_t d, mpz_t scratch)
{
    bool split = false;
    for (std::size_t i = 0, count = parts.size(); i < count; ++i) {
        if (parts[i].state == part_state::prime)
            continue;
        mpz_gcd(scratch, parts[i].value, d);
        if (mpz_cmp_ui(scratch, 1) == 0 || mpz_cmp(scratch, parts[i].value) == 0)
            continue;
        mpz_divexact(parts[i].value, parts[i].value, scratch);
        changed(parts[i]);
        parts.push_back(new_part(scratch, parts[i].power, part_state::unknown));
        split = true;
    }
    if (split)
        parts_make_coprime(parts, scratch);
    return split;
}

void parts_make_coprime(std::vector<factor_part> &parts, mpz_t scratch)
{
    for (bool again = true; again;) {
        again = false;
        for (std::size_t i = 0; i < parts.size() && !again; ++i) {
            if (!parts[i].fresh)
                continue;
            for (std::size_t j = 0; j < parts.size() && !again; ++j) {
                // Each pair once: a pair of fresh parts from its first.
                if (j == i || (j < i && parts[j].fresh))
                    continue;
                mpz_gcd(scratch, parts[i].value, parts[j].value);
                if (mpz_cmp_ui(scratch, 1) == 0)
                    continue;
                factor_part &u = parts[i], &v = parts[j];
                // A common part that is one of the two keeps what is known
                // of it; any other is looked at afresh.
                part_state state = mpz_cmp(scratch, u.value) == 0   ? u.state
                                   : mpz_cmp(scratch, v.value) == 0 ? v.state
                                                                    : part_state::unknown;
                if (state == part_state::unsplit)
                    state = part_state::composite;
                unsigned long power = u.power + v.power;
                mpz_divexact(u.value, u.value, scratch);
                mpz_divexact(v.value, v.value, scratch);
                changed(u);
                changed(v);
                parts.push_back(new_part(scratch, power, state));
                drop_ones(parts);
                again = true;
            }
        }
    }
    for (auto &p : parts)
        p.fresh = false;
}

bool parts_split_one(std::vector<factor_part> &parts, std::size_t i, const mpz_t *divisors,
                     int count, mpz_t scratch)
{
    // The divisors touch no other part, so the work is done on part i alone.
    std::vector<factor_part> pieces;
    pieces.push_back(new_part(parts[i].value, 1, part_state::unknown));
    bool split = false;
    for (int k = 0; k < count; ++k)
        split = parts_split_by(pieces, divisors[k], scratch) || split;
    if (!split) {
        parts_clear(pieces);
        return false;
    }
    const unsigned long power = parts[i].power;
    for (auto &piece : pieces) {
        piece.power *= power;
        piece.fresh = false;
    }
    mpz_swap(parts[i].value, pieces[0].value);
    mpz_clear(pieces[0].value);
    parts[i].power = pieces[0].power;
    changed(parts[i]);
    parts[i].fresh = false;
    parts.insert(parts.end(), pieces.begin() + 1, pieces.end());
    return true;
}

void parts_sort(std::vector<factor_part> &parts)
{
    std::sort(parts.begin(), parts.end(), [](const factor_part &a, const factor_part &b) {
        return mpz_cmp(a.value, b.value) < 0;
    });
}

void parts_clear(std::vector<factor_part> &parts)
{
    for (auto &p : parts)
        mpz_clear(p.value);
    parts.clear();
}
