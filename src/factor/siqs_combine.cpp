// SPDX-License-Identifier: BSD-2-Clause
#include "factor/siqs_combine.h"

#include "factor/gf2_solve.h"

#include <algorithm>

using u32 = std::uint32_t;
using u64 = std::uint64_t;

namespace {

// The dependencies want a few more columns than rows.
constexpr std::size_t spare_columns = 96;

// The rows (base indices) with an odd exponent in each column.
void odd_rows(gf2_sparse &m, const siqs_columns &columns, const siqs_relations &r,
              std::size_t rows)
{
    m.rows = rows;
    m.start.assign(1, 0);
    m.entries.clear();
    std::vector<u32> all;
    for (std::size_t c = 0; c < columns.count(); ++c) {
        all.clear();
        for (u32 k = columns.start[c]; k < columns.start[c + 1]; ++k) {
            const auto &e = r.entries[columns.members[k]];
            all.insert(all.end(), r.factors.begin() + e.factor_start,
                       r.factors.begin() + e.factor_start + e.factor_count);
        }
        std::sort(all.begin(), all.end());
        for (std::size_t k = 0; k < all.size();) {
            std::size_t end = k;
            while (end < all.size() && all[end] == all[k])
                ++end;
            if ((end - k) % 2 == 1)
                m.entries.push_back(all[k]);
            k = end;
        }
        m.start.push_back(static_cast<u32>(m.entries.size()));
    }
}

// Drops singleton columns until none is left, then the surplus; renumbers
// the rows that are still used. kept[c] is the original index of column c.
void prune(gf2_sparse &m, std::vector<u32> &kept)
{
    std::size_t columns = m.columns();
    std::vector<u32> weight(m.rows, 0);
    std::vector<char> alive(columns, 1);
    for (u32 e : m.entries)
        ++weight[e];
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t c = 0; c < columns; ++c) {
            if (!alive[c])
                continue;
            bool single = false;
            for (u32 k = m.start[c]; k < m.start[c + 1] && !single; ++k)
                single = weight[m.entries[k]] == 1;
            if (!single)
                continue;
            alive[c] = 0;
            changed = true;
            for (u32 k = m.start[c]; k < m.start[c + 1]; ++k)
                --weight[m.entries[k]];
        }
    }
    std::size_t rows_used = 0, alive_count = 0;
    for (u32 w : weight)
        rows_used += w != 0;
    for (char a : alive)
        alive_count += a;
    // The heaviest columns go first when there are too many.
    std::size_t surplus = alive_count > rows_used + spare_columns ? alive_count - rows_used - spare_columns : 0;
    if (surplus > 0) {
        std::vector<std::pair<u32, u32>> by_weight;
        for (std::size_t c = 0; c < columns; ++c)
            if (alive[c])
                by_weight.push_back({m.start[c + 1] - m.start[c], static_cast<u32>(c)});
        std::sort(by_weight.begin(), by_weight.end(), std::greater<>());
        for (std::size_t k = 0; k < surplus; ++k)
            alive[by_weight[k].second] = 0;
    }
    std::vector<u32> row_index(m.rows, 0);
    u32 next_row = 0;
    for (std::size_t row = 0; row < m.rows; ++row)
        if (weight[row] != 0)
            row_index[row] = next_row++;
    gf2_sparse out;
    out.rows = next_row;
    kept.clear();
    for (std::size_t c = 0; c < columns; ++c) {
        if (!alive[c])
            continue;
        kept.push_back(static_cast<u32>(c));
        for (u32 k = m.start[c]; k < m.start[c + 1]; ++k)
            out.entries.push_back(row_index[m.entries[k]]);
        out.start.push_back(static_cast<u32>(out.entries.size()));
    }
    m = std::move(out);
}

// The square root step for the columns whose bit is set in deps: X from the
// relations' Y, Y from half their exponents.
bool try_dependency(mpz_t divisor, const std::vector<u64> &deps, int bit,
                    const std::vector<u32> &kept, const siqs_columns &columns,
                    const siqs_relations &r, const siqs_factor_base &fb, mpz_srcptr n)
{
    std::vector<u32> exponent(fb.prime.size(), 0);
    std::vector<u32> large;
    mpz_t x, y, t;
    mpz_inits(x, y, t, nullptr);
    mpz_set_ui(x, 1);
    for (std::size_t c = 0; c < kept.size(); ++c) {
        if (!(deps[c] >> bit & 1))
            continue;
        u32 column = kept[c];
        for (u32 k = columns.start[column]; k < columns.start[column + 1]; ++k) {
            u32 rel = columns.members[k];
            const auto &e = r.entries[rel];
            siqs_relation_y(t, r, rel);
            mpz_mul(x, x, t);
            mpz_mod(x, x, n);
            for (u32 f = 0; f < e.factor_count; ++f)
                ++exponent[r.factors[e.factor_start + f]];
            if (e.large1 != 1)
                large.push_back(e.large1);
            if (e.large2 != 1)
                large.push_back(e.large2);
        }
    }
    bool even = true;
    for (u32 e : exponent)
        even = even && e % 2 == 0;
    std::sort(large.begin(), large.end());
    for (std::size_t k = 0; k < large.size(); k += 2)
        even = even && k + 1 < large.size() && large[k] == large[k + 1];
    bool found = false;
    if (even) {
        mpz_set_ui(y, 1);
        for (std::size_t i = 1; i < exponent.size(); ++i) {
            if (exponent[i] == 0)
                continue;
            mpz_set_ui(t, fb.prime[i]);
            mpz_powm_ui(t, t, exponent[i] / 2, n);
            mpz_mul(y, y, t);
            mpz_mod(y, y, n);
        }
        for (std::size_t k = 0; k < large.size(); k += 2) {
            mpz_mul_ui(y, y, large[k]);
            mpz_mod(y, y, n);
        }
        mpz_sub(t, x, y);
        mpz_gcd(t, t, n);
        found = mpz_cmp_ui(t, 1) > 0 && mpz_cmp(t, n) < 0;
        if (found)
            mpz_set(divisor, t);
    }
    mpz_clears(x, y, t, nullptr);
    return found;
}

} // namespace

bool siqs_combine(mpz_t divisor, const siqs_relations &r, const siqs_factor_base &fb,
                  mpz_srcptr n, std::uint64_t seed, std::size_t &rows, std::size_t &columns_used)
{
    siqs_columns columns;
    siqs_relations_columns(columns, r);
    gf2_sparse m;
    odd_rows(m, columns, r, fb.prime.size());
    std::vector<u32> kept;
    prune(m, kept);
    rows = m.rows;
    columns_used = m.columns();
    std::vector<u64> deps;
    int count = gf2_find_dependencies(deps, m, seed);
    for (int bit = 0; bit < count; ++bit)
        if (try_dependency(divisor, deps, bit, kept, columns, r, fb, n))
            return true;
    return false;
}
