// SPDX-License-Identifier: BSD-2-Clause
#include "factor/gf2_solve.h"

#include <algorithm>
#include <unordered_set>

using u64 = std::uint64_t;

namespace {

constexpr u64 bit(unsigned k)
{
    return u64{1} << k;
}

u64 next_random(u64 &state)
{
    u64 z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

// y = m x, with x one word per column and y one word per row.
void multiply(u64 *y, const gf2_sparse &m, const u64 *x)
{
    std::fill(y, y + m.rows, 0);
    for (std::size_t j = 0; j < m.columns(); ++j) {
        u64 w = x[j];
        for (std::uint32_t e = m.start[j]; e < m.start[j + 1]; ++e)
            y[m.entries[e]] ^= w;
    }
}

// x = m^T y.
void multiply_transposed(u64 *x, const gf2_sparse &m, const u64 *y)
{
    for (std::size_t j = 0; j < m.columns(); ++j) {
        u64 w = 0;
        for (std::uint32_t e = m.start[j]; e < m.start[j + 1]; ++e)
            w ^= y[m.entries[e]];
        x[j] = w;
    }
}

// 64 x 64 matrices are 64 words, word i row i, bit j column j.
void mul64(u64 *c, const u64 *a, const u64 *b)
{
    u64 t[64];
    for (int i = 0; i < 64; ++i) {
        u64 x = 0;
        for (u64 ai = a[i]; ai != 0; ai &= ai - 1)
            x ^= b[__builtin_ctzll(ai)];
        t[i] = x;
    }
    std::copy(t, t + 64, c);
}

// The XORs of every subset of each byte's eight rows of m, so that a word
// times m is eight lookups.
struct byte_tables {
    u64 t[8][256];
    explicit byte_tables(const u64 *m)
    {
        for (int b = 0; b < 8; ++b) {
            t[b][0] = 0;
            for (int v = 1; v < 256; ++v)
                t[b][v] = t[b][v & (v - 1)] ^ m[8 * b + __builtin_ctz(static_cast<unsigned>(v))];
        }
    }
    u64 times(u64 w) const
    {
        return t[0][w & 255] ^ t[1][w >> 8 & 255] ^ t[2][w >> 16 & 255] ^ t[3][w >> 24 & 255] ^
               t[4][w >> 32 & 255] ^ t[5][w >> 40 & 255] ^ t[6][w >> 48 & 255] ^ t[7][w >> 56];
    }
};

// out ^= v m for a block v of n rows and a 64 x 64 matrix m.
void add_block_times(u64 *out, const u64 *v, const u64 *m, std::size_t n)
{
    byte_tables tables(m);
    for (std::size_t j = 0; j < n; ++j)
        out[j] ^= tables.times(v[j]);
}

// r = x^T y for blocks of n rows: a 64 x 64 matrix.
void inner(u64 *r, const u64 *x, const u64 *y, std::size_t n)
{
    static thread_local u64 acc[8][256];
    for (auto &row : acc)
        std::fill(row, row + 256, 0);
    for (std::size_t j = 0; j < n; ++j) {
        u64 w = x[j], v = y[j];
        for (int b = 0; b < 8; ++b)
            acc[b][w >> (8 * b) & 255] ^= v;
    }
    for (int b = 0; b < 8; ++b) {
        for (int i = 0; i < 8; ++i) {
            u64 sum = 0;
            for (int v = 0; v < 256; ++v)
                if (v >> i & 1)
                    sum ^= acc[b][v];
            r[8 * b + i] = sum;
        }
    }
}

// Montgomery's choice of S_i and W_i^-1 = S_i (S_i^T T S_i)^-1 S_i^T for
// T = V_i^T A V_i: Gauss-Jordan elimination on [T | I], the columns left out
// of S_{i-1} first, for they must be in S_i. False when that fails.
bool choose_subspace(u64 *winv, u64 &mask, const u64 *t, u64 last_mask)
{
    u64 left[64], right[64];
    int order[64], k = 0;
    for (int i = 0; i < 64; ++i) {
        left[i] = t[i];
        right[i] = bit(static_cast<unsigned>(i));
        if (!(last_mask >> i & 1))
            order[k++] = i;
    }
    for (int i = 0; i < 64; ++i)
        if (last_mask >> i & 1)
            order[k++] = i;
    mask = 0;
    for (int a = 0; a < 64; ++a) {
        int c = order[a];
        // Brings the first row from a on with bit c set in `side` to
        // place a, and clears bit c of `side` in every other row.
        auto pivot = [&](const u64 *side) {
            int found = -1;
            for (int b = a; b < 64 && found < 0; ++b)
                if (side[order[b]] >> c & 1)
                    found = b;
            if (found < 0)
                return false;
            std::swap(left[order[a]], left[order[found]]);
            std::swap(right[order[a]], right[order[found]]);
            for (int i = 0; i < 64; ++i) {
                if (i != c && (side[i] >> c & 1)) {
                    left[i] ^= left[c];
                    right[i] ^= right[c];
                }
            }
            return true;
        };
        if (pivot(left)) {
            mask |= bit(static_cast<unsigned>(c));
        } else {
            if (!pivot(right))
                return false;
            left[c] = right[c] = 0;
        }
    }
    if (~last_mask & ~mask)
        return false;
    for (int i = 0; i < 64; ++i)
        winv[i] = mask >> i & 1 ? right[i] & mask : 0;
    return true;
}

// Combinations of the 128 vectors z0 (bits 0-63) and z1 (bits 64-127) that
// m sends to zero, as dependencies: the kernel of the 128 images, found by
// reducing the rows of [m z0 | m z1].
void combine_to_dependencies(std::vector<u64> &deps, const gf2_sparse &m, const u64 *z0,
                             const u64 *z1)
{
    std::size_t n = m.columns();
    std::vector<u64> y0(m.rows), y1(m.rows);
    multiply(y0.data(), m, z0);
    multiply(y1.data(), m, z1);
    // basis[p] has its lowest set bit at p, among 128.
    u64 basis[128][2] = {};
    bool has[128] = {};
    for (std::size_t r = 0; r < m.rows; ++r) {
        u64 w[2] = {y0[r], y1[r]};
        for (;;) {
            int p = w[0] != 0 ? __builtin_ctzll(w[0]) : w[1] != 0 ? 64 + __builtin_ctzll(w[1]) : -1;
            if (p < 0)
                break;
            if (!has[p]) {
                basis[p][0] = w[0];
                basis[p][1] = w[1];
                has[p] = true;
                break;
            }
            w[0] ^= basis[p][0];
            w[1] ^= basis[p][1];
        }
    }
    // Reduced row echelon form: clear each pivot from the rows above it.
    for (int p = 127; p >= 0; --p) {
        if (!has[p])
            continue;
        for (int q = 0; q < p; ++q) {
            if (has[q] && (basis[q][p / 64] >> (p % 64) & 1)) {
                basis[q][0] ^= basis[p][0];
                basis[q][1] ^= basis[p][1];
            }
        }
    }
    // A free variable f gives u with u_f = 1 and u_p = bit f of row p.
    u64 kernel[64][2];
    int count = 0;
    for (int f = 0; f < 128 && count < 64; ++f) {
        if (has[f])
            continue;
        u64 u[2] = {0, 0};
        u[f / 64] |= bit(static_cast<unsigned>(f % 64));
        for (int p = 0; p < 128; ++p)
            if (has[p] && (basis[p][f / 64] >> (f % 64) & 1))
                u[p / 64] |= bit(static_cast<unsigned>(p % 64));
        kernel[count][0] = u[0];
        kernel[count][1] = u[1];
        ++count;
    }
    deps.assign(n, 0);
    for (std::size_t j = 0; j < n; ++j) {
        u64 w = 0;
        for (int d = 0; d < count; ++d) {
            u64 parity = static_cast<u64>(__builtin_parityll(z0[j] & kernel[d][0]) ^
                                          __builtin_parityll(z1[j] & kernel[d][1]));
            w |= parity << d;
        }
        deps[j] = w;
    }
}

} // namespace

void gf2_dense_dependencies(std::vector<u64> &deps, const gf2_sparse &m)
{
    std::size_t n = m.columns();
    std::size_t row_words = (m.rows + 63) / 64, id_words = (n + 63) / 64;
    std::size_t width = row_words + id_words;
    std::vector<u64> a(n * width, 0);
    for (std::size_t j = 0; j < n; ++j) {
        u64 *col = &a[j * width];
        for (std::uint32_t e = m.start[j]; e < m.start[j + 1]; ++e)
            col[m.entries[e] / 64] ^= bit(m.entries[e] % 64);
        col[row_words + j / 64] |= bit(j % 64);
    }
    // Forward elimination, one pivot column per row: the columns left over
    // have no row bits, and their identity part is a dependency.
    std::size_t next = 0;
    for (std::size_t r = 0; r < m.rows && next < n; ++r) {
        std::size_t word = r / 64;
        u64 b = bit(r % 64);
        std::size_t pivot = next;
        while (pivot < n && !(a[pivot * width + word] & b))
            ++pivot;
        if (pivot == n)
            continue;
        if (pivot != next)
            std::swap_ranges(&a[pivot * width], &a[pivot * width] + width, &a[next * width]);
        const u64 *p = &a[next * width];
        for (std::size_t j = next + 1; j < n; ++j) {
            u64 *col = &a[j * width];
            if (col[word] & b)
                for (std::size_t w = word; w < width; ++w)
                    col[w] ^= p[w];
        }
        ++next;
    }
    deps.assign(n, 0);
    for (std::size_t d = 0; d < 64 && next + d < n; ++d) {
        const u64 *id = &a[(next + d) * width + row_words];
        for (std::size_t j = 0; j < n; ++j)
            if (id[j / 64] >> (j % 64) & 1)
                deps[j] |= bit(static_cast<unsigned>(d));
    }
}

bool gf2_lanczos_dependencies(std::vector<u64> &deps, const gf2_sparse &m, std::uint64_t seed)
{
    std::size_t n = m.columns();
    deps.assign(n, 0);
    if (n < 64)
        return false;
    std::vector<u64> x(n), v0(n), sol(n, 0), rows(m.rows), store(4 * n, 0);
    u64 *v = &store[0], *v1 = &store[n], *v2 = &store[2 * n], *av = &store[3 * n];
    std::vector<u64> next(n);
    u64 state = seed;
    for (auto &w : x)
        w = next_random(state);
    multiply(rows.data(), m, x.data());
    multiply_transposed(v0.data(), m, rows.data());
    std::copy(v0.begin(), v0.end(), v);

    u64 winv[64], winv1[64] = {}, winv2[64] = {}, vav[64], vav1[64] = {}, vaav[64],
        vaav1[64] = {};
    u64 mask = 0, mask1 = ~u64{0};
    u64 d[64], t[64], t1[64], t2[64], coef_d[64], coef_e[64], coef_f[64];
    // Each iteration removes up to 63 dimensions; a few more allow for the
    // odd short step.
    std::size_t max_iterations = n / 60 + 20;
    bool converged = false;
    for (std::size_t iteration = 0; iteration < max_iterations; ++iteration) {
        multiply(rows.data(), m, v);
        multiply_transposed(av, m, rows.data());
        inner(vav, v, av, n);
        inner(vaav, av, av, n);
        if (std::all_of(vav, vav + 64, [](u64 w) { return w == 0; })) {
            converged = true;
            break;
        }
        if (!choose_subspace(winv, mask, vav, mask1))
            return false;
        // sol += V_i W_i^-1 V_i^T V_0
        inner(d, v, v0.data(), n);
        mul64(t, winv, d);
        add_block_times(sol.data(), v, t, n);
        // D = I + W_i^-1 (V_i^T A^2 V_i S_i S_i^T + V_i^T A V_i)
        for (int i = 0; i < 64; ++i)
            t[i] = (vaav[i] & mask) ^ vav[i];
        mul64(coef_d, winv, t);
        for (int i = 0; i < 64; ++i)
            coef_d[i] ^= bit(static_cast<unsigned>(i));
        // E = W_{i-1}^-1 V_i^T A V_i S_i S_i^T
        for (int i = 0; i < 64; ++i)
            t[i] = vav[i] & mask;
        mul64(coef_e, winv1, t);
        // F = W_{i-2}^-1 (I + V_{i-1}^T A V_{i-1} W_{i-1}^-1)
        //     (V_{i-1}^T A^2 V_{i-1} S_{i-1} S_{i-1}^T + V_{i-1}^T A V_{i-1}) S_i S_i^T
        mul64(t1, vav1, winv1);
        for (int i = 0; i < 64; ++i) {
            t1[i] ^= bit(static_cast<unsigned>(i));
            t2[i] = (vaav1[i] & mask1) ^ vav1[i];
        }
        mul64(t, t1, t2);
        mul64(coef_f, winv2, t);
        for (int i = 0; i < 64; ++i)
            coef_f[i] &= mask;
        // V_{i+1} = A V_i S_i S_i^T + V_i D + V_{i-1} E + V_{i-2} F
        for (std::size_t j = 0; j < n; ++j)
            next[j] = av[j] & mask;
        add_block_times(next.data(), v, coef_d, n);
        add_block_times(next.data(), v1, coef_e, n);
        add_block_times(next.data(), v2, coef_f, n);
        std::copy(v1, v1 + n, v2);
        std::copy(v, v + n, v1);
        std::copy(next.begin(), next.end(), v);
        std::copy(winv1, winv1 + 64, winv2);
        std::copy(winv, winv + 64, winv1);
        std::copy(vav, vav + 64, vav1);
        std::copy(vaav, vaav + 64, vaav1);
        mask1 = mask;
    }
    if (!converged)
        return false;
    // A sol = A x: sol - x and the last V span vectors that A sends to zero;
    // the combinations of them that the matrix itself sends to zero are the
    // dependencies.
    for (std::size_t j = 0; j < n; ++j)
        sol[j] ^= x[j];
    combine_to_dependencies(deps, m, sol.data(), v);
    return true;
}

int gf2_find_dependencies(std::vector<u64> &deps, const gf2_sparse &m, std::uint64_t seed)
{
    std::size_t n = m.columns();
    if (n <= dense_max_columns) {
        gf2_dense_dependencies(deps, m);
    } else {
        // An unlucky start is rare; another seed mends it.
        bool solved = false;
        for (int attempt = 0; attempt < 4 && !solved; ++attempt)
            solved = gf2_lanczos_dependencies(deps, m, seed + static_cast<u64>(attempt) * 0x51ed27u);
        if (!solved)
            return 0;
    }
    // Keep the dependencies that really sum to zero, are not empty and are
    // not repeats, packed into the low bits.
    std::vector<u64> sums(m.rows);
    multiply(sums.data(), m, deps.data());
    u64 bad = 0;
    for (u64 w : sums)
        bad |= w;
    u64 used = 0;
    u64 hash[64] = {};
    for (std::size_t j = 0; j < n; ++j) {
        used |= deps[j];
        u64 h = 0x9e3779b97f4a7c15u * (j + 1);
        h ^= h >> 29;
        for (u64 w = deps[j]; w != 0; w &= w - 1)
            hash[__builtin_ctzll(w)] += h;
    }
    int kept[64], count = 0;
    std::unordered_set<u64> seen;
    for (int k = 0; k < 64; ++k)
        if ((used >> k & 1) && !(bad >> k & 1) && seen.insert(hash[k]).second)
            kept[count++] = k;
    for (auto &w : deps) {
        u64 packed = 0;
        for (int i = 0; i < count; ++i)
            packed |= (w >> kept[i] & 1) << i;
        w = packed;
    }
    return count;
}
