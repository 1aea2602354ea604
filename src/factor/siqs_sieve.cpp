// SPDX-License-Identifier: BSD-2-Clause
#include "factor/siqs_sieve.h"

#include "factor/siqs_params.h"
#include "factor/rho_walk.h"
#include "factor/word_prime.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include "factor/cpu_support.h"
#if BROVANTEN_AVX2_BUILD
#include <immintrin.h>
#endif

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using u64 = std::uint64_t;

namespace {

constexpr u32 block_mask = siqs_block_size - 1;
// The most blocks an interval has (see siqs_params.cpp).
constexpr u32 max_blocks = 64;
constexpr u32 slice_max = 1u << 17;
// A block holds at most this many candidates: their marks are 0x80 | index.
constexpr u32 max_candidates = 127;
constexpr u32 hit_index_mask = (1u << 24) - 1;

// The runs of base indices from..to - 1 that are not primes of A.
template <typename F>
void for_ranges_without_a(const siqs_poly &poly, u32 from, u32 to, F &&run)
{
    u32 at = from;
    for (u32 q : poly.a_factors) {
        if (q < at || q >= to)
            continue;
        if (q > at)
            run(at, q);
        at = q + 1;
    }
    if (at < to)
        run(at, to);
}

void sieve_medium(siqs_sieve_space &space, const siqs_factor_base &fb, u32 from, u32 to)
{
    u8 *s = space.block.data();
    u32 *n1 = space.next1.data(), *n2 = space.next2.data();
    const u32 *prime = fb.prime.data();
    const u8 *logp = fb.logp.data();
    for (u32 i = from; i < to; ++i) {
        u32 p = prime[i];
        u8 lp = logp[i];
        u32 a = n1[i], b = n2[i];
        if (a > b)
            std::swap(a, b);
        while (b < siqs_block_size) {
            s[a] += lp;
            s[b] += lp;
            a += p;
            b += p;
        }
        if (a < siqs_block_size) {
            s[a] += lp;
            a += p;
        }
        n1[i] = a - siqs_block_size;
        n2[i] = b - siqs_block_size;
    }
}

// The hits of base primes from..to - 1, all above the interval's length, so
// at most one a root: a miss writes to the spare slot end[blocks], which is
// never counted, so that there is no branch to mispredict.
void fill_beyond(u32 **end, const u32 *r1, const u32 *r2, u32 from, u32 to, u32 slice_start,
                 u32 length, u32 blocks)
{
    for (u32 i = from; i < to; ++i) {
        u32 index = (i - slice_start) << siqs_block_bits;
        u32 a = r1[i], b = r2[i];
        u32 ba = a < length ? a >> siqs_block_bits : blocks;
        *end[ba] = index | (a & block_mask);
        end[ba] += ba < blocks;
        u32 bb = b < length ? b >> siqs_block_bits : blocks;
        *end[bb] = index | (b & block_mask);
        end[bb] += bb < blocks;
    }
}

#if BROVANTEN_AVX2_BUILD
// The same, eight roots compared at once: only the hits (length / p of
// them) are then written.
BROVANTEN_TARGET_AVX2 void fill_beyond_avx2(u32 **end, const u32 *r1, const u32 *r2,
                                                      u32 from, u32 to, u32 slice_start,
                                                      u32 length, u32 blocks)
{
    const __m256i limit = _mm256_set1_epi32(static_cast<int>(length));
    u32 i = from;
    for (; i + 8 <= to; i += 8) {
        __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(r1 + i));
        __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(r2 + i));
        auto hits_a = static_cast<unsigned>(
            _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(limit, a))));
        auto hits_b = static_cast<unsigned>(
            _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(limit, b))));
        for (; hits_a != 0; hits_a &= hits_a - 1) {
            u32 k = i + static_cast<u32>(__builtin_ctz(hits_a));
            *end[r1[k] >> siqs_block_bits]++ = (k - slice_start) << siqs_block_bits | (r1[k] & block_mask);
        }
        for (; hits_b != 0; hits_b &= hits_b - 1) {
            u32 k = i + static_cast<u32>(__builtin_ctz(hits_b));
            *end[r2[k] >> siqs_block_bits]++ = (k - slice_start) << siqs_block_bits | (r2[k] & block_mask);
        }
    }
    fill_beyond(end, r1, r2, i, to, slice_start, length, blocks);
}

#endif

// Sorts the hits of the large primes into the buckets of the blocks they
// fall in.
void fill_buckets(siqs_sieve_space &space, const siqs_sieve_setup &setup)
{
    const siqs_factor_base &fb = *setup.fb;
    const u32 blocks = setup.blocks;
    const u32 length = setup.length;
    const u32 slices = static_cast<u32>(setup.slices.size());
    const u32 *prime = fb.prime.data();
    const u32 *r1 = space.poly.root1.data(), *r2 = space.poly.root2.data();
    u32 spare;
    u32 *end[max_blocks + 1];
    for (u32 sl = 0; sl < slices; ++sl) {
        const siqs_slice &slice = setup.slices[sl];
        u32 *base = space.buckets.data() + space.slice_offset[sl];
        for (u32 b = 0; b < blocks; ++b)
            end[b] = base + static_cast<std::size_t>(b) * space.block_stride;
        end[blocks] = &spare;
        u32 split = std::clamp(setup.first_beyond, slice.start, slice.end);
        // A root r < p hits at r, r + p, ..., r + (q - 1) p for q = 2M / p,
        // and once more if r + q p < 2M: a loop whose count changes only
        // slowly from prime to prime, then one hit without a branch.
        const u32 *sure = setup.sure_hits.data();
        for (u32 i = slice.start; i < split; ++i) {
            u32 p = prime[i], q = sure[i - fb.first_large];
            u32 index = (i - slice.start) << siqs_block_bits;
            // One root after the other: the two often share a block, and a
            // pointer just written would be read back at once.
            u32 a = r1[i], b = r2[i];
            for (u32 k = 0; k < q; ++k, a += p)
                *end[a >> siqs_block_bits]++ = index | (a & block_mask);
            for (u32 k = 0; k < q; ++k, b += p)
                *end[b >> siqs_block_bits]++ = index | (b & block_mask);
            u32 ba = a < length ? a >> siqs_block_bits : blocks;
            *end[ba] = index | (a & block_mask);
            end[ba] += ba < blocks;
            u32 bb = b < length ? b >> siqs_block_bits : blocks;
            *end[bb] = index | (b & block_mask);
            end[bb] += bb < blocks;
        }
#if BROVANTEN_AVX2_BUILD
        if (cpu_has_avx2())
            fill_beyond_avx2(end, r1, r2, split, slice.end, slice.start, length, blocks);
        else
#endif
            fill_beyond(end, r1, r2, split, slice.end, slice.start, length, blocks);
        for (u32 b = 0; b < blocks; ++b)
            space.bucket_count[b * slices + sl] =
                static_cast<u32>(end[b] - (base + static_cast<std::size_t>(b) * space.block_stride));
    }
}

// The bucket of one slice of large primes for one block: its entries, and
// their count in `count`.
const u32 *bucket_of(const siqs_sieve_space &space, u32 slices, u32 block, u32 slice, u32 &count)
{
    count = space.bucket_count[block * slices + slice];
    return space.buckets.data() + space.slice_offset[slice] +
           static_cast<std::size_t>(block) * space.block_stride;
}

void apply_buckets(siqs_sieve_space &space, const siqs_sieve_setup &setup, u32 block)
{
    u8 *s = space.block.data();
    const u32 slices = static_cast<u32>(setup.slices.size());
    for (u32 sl = 0; sl < slices; ++sl) {
        u32 count;
        const u32 *entry = bucket_of(space, slices, block, sl, count);
        u8 lp = setup.slices[sl].logp;
        for (u32 k = 0; k < count; ++k)
            s[entry[k] & block_mask] += lp;
    }
}

// Positions of the block at or above the threshold, from `from` on, marked
// 0x80 | their index among them, up to max_candidates of them. Returns
// where the scan stopped: the block's end, or the position after the last
// candidate taken when there were more. 64 bytes are looked at together:
// nearly all of them hold no candidate.
u32 find_candidates(siqs_sieve_space &space, u32 from)
{
    space.candidates.clear();
    u8 *s = space.block.data();
    u32 at = from & ~63u;
    for (; at < siqs_block_size; at += 64) {
        u64 w[8];
        std::memcpy(w, s + at, 64);
        if (!((w[0] | w[1] | w[2] | w[3] | w[4] | w[5] | w[6] | w[7]) & 0x8080808080808080u))
            continue;
        for (u32 k = at < from ? from - at : 0; k < 64; ++k) {
            if (!(s[at + k] & 0x80))
                continue;
            if (space.candidates.size() == max_candidates)
                return at + k;
            s[at + k] = static_cast<u8>(0x80 | space.candidates.size());
            space.candidates.push_back(static_cast<u16>(at + k));
        }
    }
    return siqs_block_size;
}

// The large primes that divide the candidates' values, from the buckets:
// an entry whose position is marked.
void collect_hits(siqs_sieve_space &space, const siqs_sieve_setup &setup, u32 block)
{
    space.hits.clear();
    const u8 *s = space.block.data();
    const u32 slices = static_cast<u32>(setup.slices.size());
    for (u32 sl = 0; sl < slices; ++sl) {
        u32 count;
        const u32 *entry = bucket_of(space, slices, block, sl, count);
        u32 start = setup.slices[sl].start;
        for (u32 k = 0; k < count; ++k) {
            u8 mark = s[entry[k] & block_mask];
            if (mark & 0x80)
                space.hits.push_back(static_cast<u32>(mark & 0x7f) << 24 |
                                     (start + (entry[k] >> siqs_block_bits)));
        }
    }
}

// Divides g by the base prime at index i as often as it goes, noting each.
void divide_out(siqs_sieve_space &space, const siqs_factor_base &fb, u32 i)
{
    u32 p = fb.prime[i];
    while (mpz_divisible_ui_p(space.g, p)) {
        mpz_divexact_ui(space.g, space.g, p);
        space.relation_factors.push_back(i);
    }
}

// flags[i] = 1 when the base prime i divides g at position j, that is when
// j is one of its roots modulo p: p | d exactly when d * p^-1 mod 2^32 is
// at most (2^32 - 1) / p, for any d below 2^32. Independent lanes, so the
// compiler uses vectors, eight primes at a time where the processor has
// AVX2.
inline __attribute__((always_inline)) void
mark_root_primes_lanes(u8 *flags, const u32 *prime, const u32 *inverse, const u32 *limit,
                       const u32 *root1, const u32 *root2, u32 j, u32 from, u32 to)
{
    for (u32 i = from; i < to; ++i) {
        u32 p = prime[i];
        u32 d1 = (j + p - root1[i]) * inverse[i];
        u32 d2 = (j + p - root2[i]) * inverse[i];
        flags[i] = static_cast<u8>((d1 <= limit[i]) | (d2 <= limit[i]));
    }
}

BROVANTEN_TARGET_AVX2 void mark_root_primes_avx2(u8 *flags, const u32 *prime, const u32 *inverse,
                                                 const u32 *limit, const u32 *root1,
                                                 const u32 *root2, u32 j, u32 from, u32 to)
{
    mark_root_primes_lanes(flags, prime, inverse, limit, root1, root2, j, from, to);
}

void mark_root_primes(u8 *flags, const u32 *prime, const u32 *inverse, const u32 *limit,
                      const u32 *root1, const u32 *root2, u32 j, u32 from, u32 to)
{
    if (cpu_has_avx2())
        mark_root_primes_avx2(flags, prime, inverse, limit, root1, root2, j, from, to);
    else
        mark_root_primes_lanes(flags, prime, inverse, limit, root1, root2, j, from, to);
}

void keep_relation(siqs_relation_batch &batch, siqs_sieve_space &space,
                   const siqs_sieve_setup &setup, u32 large1, u32 large2)
{
    mpz_mod(space.y, space.y, setup.n);
    if (!siqs_relation_holds(*setup.fb, setup.n, space.y, space.relation_factors.data(),
                             static_cast<u32>(space.relation_factors.size()), large1, large2,
                             space.t, space.g))
        return;
    siqs_relation_batch::entry e;
    e.factor_start = static_cast<u32>(batch.factors.size());
    e.factor_count = static_cast<u32>(space.relation_factors.size());
    e.limb_start = static_cast<u32>(batch.limbs.size());
    e.limb_count = static_cast<u32>(mpz_size(space.y));
    e.large1 = large1;
    e.large2 = large2;
    batch.factors.insert(batch.factors.end(), space.relation_factors.begin(),
                         space.relation_factors.end());
    const mp_limb_t *limbs = mpz_limbs_read(space.y);
    batch.limbs.insert(batch.limbs.end(), limbs, limbs + e.limb_count);
    batch.relations.push_back(e);
}

// g(x) at the candidate, divided by every base prime, and what is left
// judged.
void examine(siqs_relation_batch &batch, siqs_sieve_space &space, const siqs_sieve_setup &setup,
             u32 block, u32 candidate)
{
    const siqs_factor_base &fb = *setup.fb;
    const siqs_poly &poly = space.poly;
    u32 j = block * siqs_block_size + space.candidates[candidate];
    long x = static_cast<long>(j) - static_cast<long>(setup.half_interval);
    // g = (A x + 2B) x + C, Y = A x + B
    mpz_mul_si(space.y, poly.a, x);
    mpz_add(space.g, space.y, space.two_b);
    mpz_mul_si(space.g, space.g, x);
    mpz_add(space.g, space.g, poly.c);
    mpz_add(space.y, space.y, poly.b);
    if (mpz_sgn(space.g) == 0)
        return;
    space.relation_factors.clear();
    if (mpz_sgn(space.g) < 0) {
        space.relation_factors.push_back(0);
        mpz_neg(space.g, space.g);
    }
    mp_bitcnt_t twos = mpz_scan1(space.g, 0);
    mpz_tdiv_q_2exp(space.g, space.g, twos);
    space.relation_factors.insert(space.relation_factors.end(), twos, 1);
    for (u32 q : poly.a_factors) {
        space.relation_factors.push_back(q);
        divide_out(space, fb, q);
    }
    // The primes below the block size, by their roots.
    u8 *flags = space.flags.data();
    mark_root_primes(flags, fb.prime.data(), fb.inverse.data(), fb.limit.data(),
                     poly.root1.data(), poly.root2.data(), j, 2, fb.first_large);
    for (u32 i = 2; i < fb.first_large; i += 8) {
        u64 word;
        std::memcpy(&word, flags + i, 8);
        for (; word != 0; word &= word - 1) {
            u32 k = i + static_cast<u32>(__builtin_ctzll(word)) / 8;
            if (!space.in_a[k])
                divide_out(space, fb, k);
        }
    }
    for (u32 h : space.hits)
        if (h >> 24 == candidate)
            divide_out(space, fb, h & hit_index_mask);

    if (mpz_cmp_ui(space.g, 1) == 0) {
        keep_relation(batch, space, setup, 1, 1);
        return;
    }
    if (mpz_cmp_ui(space.g, setup.large_bound) < 0) {
        keep_relation(batch, space, setup, 1, static_cast<u32>(mpz_get_ui(space.g)));
        return;
    }
    if (setup.double_bound == 0 || mpz_sizeinbase(space.g, 2) > 64)
        return;
    u64 rest = mpz_get_ui(space.g);
    u64 largest = fb.prime.back();
    // Below the square of the largest base prime, or prime, it is one prime
    // too large to keep.
    if (rest >= setup.double_bound || rest < largest * largest || word_is_prime(rest))
        return;
    // Two primes above the largest base prime: both are kept only when the
    // smaller is below the large-prime bound, which rho finds in about its
    // square root of steps; a walk of a few times that finds it or shows
    // there is nothing to keep.
    word_modulus m;
    word_modulus_set(m, rest);
    word_ring ring{m};
    u64 d = 0;
    if (!brent_walk(d, ring, m.one, u64{1}, setup.double_steps))
        return;
    u64 p1 = std::min(d, rest / d), p2 = std::max(d, rest / d);
    if (p2 >= setup.large_bound)
        return;
    keep_relation(batch, space, setup, static_cast<u32>(p1), static_cast<u32>(p2));
}

} // namespace

bool siqs_relation_holds(const siqs_factor_base &fb, mpz_srcptr n, const mpz_t y,
                         const u32 *factors, u32 count, u32 large1, u32 large2, mpz_t scratch1,
                         mpz_t scratch2)
{
    mpz_set_ui(scratch1, 1);
    bool negative = false;
    for (u32 k = 0; k < count; ++k) {
        if (factors[k] == 0) {
            negative = !negative;
            continue;
        }
        if (factors[k] >= fb.prime.size())
            return false;
        mpz_mul_ui(scratch1, scratch1, fb.prime[factors[k]]);
        if (mpz_size(scratch1) > mpz_size(n))
            mpz_mod(scratch1, scratch1, n);
    }
    mpz_mul_ui(scratch1, scratch1, large1);
    mpz_mul_ui(scratch1, scratch1, large2);
    if (negative)
        mpz_neg(scratch1, scratch1);
    mpz_mod(scratch1, scratch1, n);
    mpz_mul(scratch2, y, y);
    mpz_mod(scratch2, scratch2, n);
    return mpz_cmp(scratch1, scratch2) == 0;
}

void siqs_sieve_setup_make(siqs_sieve_setup &setup, const siqs_factor_base &fb, mpz_srcptr n,
                           u32 half_interval, unsigned large_mult, bool double_large,
                           double threshold_bits)
{
    setup.fb = &fb;
    setup.n = n;
    setup.half_interval = half_interval;
    setup.length = 2 * half_interval;
    setup.blocks = (setup.length + siqs_block_size - 1) / siqs_block_size;
    u64 largest = fb.prime.back();
    setup.large_bound = static_cast<u32>(std::min<u64>(largest * large_mult, 0xfffffff0u));
    setup.double_bound = 0;
    setup.double_steps = 0;
    if (double_large) {
        setup.double_bound = static_cast<u64>(std::pow(static_cast<double>(setup.large_bound), 1.9));
        setup.double_steps = 4 * static_cast<unsigned long>(std::sqrt(static_cast<double>(setup.large_bound)));
    }
    // |g(x)| is at most about M sqrt(kN / 2).
    long exponent = 0;
    double mantissa = mpz_get_d_2exp(&exponent, fb.kn);
    double log_g = std::log2(static_cast<double>(setup.half_interval)) +
                   (std::log2(mantissa) + static_cast<double>(exponent) - 1) / 2;
    // What the unsieved small primes would have added, on average.
    double unsieved = 1;
    for (u32 i = 2; i < fb.first_sieved; ++i)
        unsieved += 2 * std::log2(static_cast<double>(fb.prime[i])) / (fb.prime[i] - 1);
    double threshold = log_g - threshold_bits * std::log2(static_cast<double>(setup.large_bound)) -
                       unsieved;
    long start = 128 - std::lround(threshold);
    setup.start_value = static_cast<u8>(std::clamp(start, 0l, 127l));
    u32 length = setup.length;
    setup.first_beyond = static_cast<u32>(fb.prime.size());
    while (setup.first_beyond > fb.first_large && fb.prime[setup.first_beyond - 1] >= length)
        --setup.first_beyond;
    setup.sure_hits.clear();
    for (u32 i = fb.first_large; i < setup.first_beyond; ++i)
        setup.sure_hits.push_back(length / fb.prime[i]);
    setup.slices.clear();
    for (u32 i = fb.first_large; i < fb.prime.size();) {
        siqs_slice slice{i, i, fb.logp[i]};
        while (slice.end < fb.prime.size() && fb.logp[slice.end] == slice.logp &&
               slice.end - slice.start < slice_max)
            ++slice.end;
        setup.slices.push_back(slice);
        i = slice.end;
    }
}

void siqs_sieve_space_init(siqs_sieve_space &space, const siqs_sieve_setup &setup)
{
    const siqs_factor_base &fb = *setup.fb;
    siqs_poly_init(space.poly);
    mpz_inits(space.g, space.y, space.t, space.two_b, nullptr);
    space.block.assign(siqs_block_size + 8, 0);
    space.next1.assign(fb.prime.size(), 0);
    space.next2.assign(fb.prime.size(), 0);
    space.in_a.assign(fb.prime.size(), 0);
    // Whole words of flags are read: room for the last one.
    space.flags.assign(fb.first_large + 8, 0);
    // A prime p hits a block at most ceil(block size / p) times a root.
    space.slice_offset.clear();
    u32 offset = 0;
    for (const siqs_slice &slice : setup.slices) {
        space.slice_offset.push_back(offset);
        for (u32 i = slice.start; i < slice.end; ++i)
            offset += 2 * ((siqs_block_size + fb.prime[i] - 1) / fb.prime[i]);
    }
    space.block_stride = offset;
    space.buckets.assign(static_cast<std::size_t>(offset) * setup.blocks, 0);
    space.bucket_count.assign(static_cast<std::size_t>(setup.blocks) * setup.slices.size(), 0);
    // Each slice's buckets follow each other block by block: slice_offset
    // is the slice's place within a block's stretch of stride entries.
    space.candidates.reserve(max_candidates);
}

void siqs_sieve_space_clear(siqs_sieve_space &space)
{
    siqs_poly_clear(space.poly);
    mpz_clears(space.g, space.y, space.t, space.two_b, nullptr);
}

void siqs_sieve_a(siqs_relation_batch &batch, siqs_sieve_space &space,
                  const siqs_sieve_setup &setup, const std::vector<u32> &a_factors,
                  const std::atomic<bool> *done, const std::atomic<bool> *stop)
{
    const siqs_factor_base &fb = *setup.fb;
    siqs_poly &poly = space.poly;
    siqs_poly_start(poly, fb, a_factors, setup.half_interval);
    for (u32 q : a_factors)
        space.in_a[q] = 1;
    const u32 size = static_cast<u32>(fb.prime.size());
    unsigned long polys = siqs_polys_per_a(poly.s);
    for (unsigned long k = 0; k < polys; ++k) {
        if ((done != nullptr && done->load(std::memory_order_relaxed)) ||
            (stop != nullptr && stop->load(std::memory_order_relaxed)))
            break;
        if (k > 0) {
            unsigned l;
            bool up;
            siqs_poly_next(poly, fb, l, up);
            siqs_poly_move_roots(poly, fb, l, up, 2, size);
        }
        fill_buckets(space, setup);
        mpz_mul_2exp(space.two_b, poly.b, 1);
        std::copy(poly.root1.begin() + fb.first_sieved, poly.root1.begin() + fb.first_large,
                  space.next1.begin() + fb.first_sieved);
        std::copy(poly.root2.begin() + fb.first_sieved, poly.root2.begin() + fb.first_large,
                  space.next2.begin() + fb.first_sieved);
        for (u32 block = 0; block < setup.blocks; ++block) {
            std::memset(space.block.data(), setup.start_value, siqs_block_size);
            for_ranges_without_a(poly, fb.first_sieved, fb.first_large,
                                 [&](u32 from, u32 to) { sieve_medium(space, fb, from, to); });
            apply_buckets(space, setup, block);
            // A last block cut short: nothing past the interval's end counts.
            u32 end = setup.length - block * siqs_block_size;
            if (end < siqs_block_size)
                std::memset(space.block.data() + end, 0, siqs_block_size - end);
            // A block with more candidates than marks takes them in rounds,
            // each round's marks cleared before the next.
            for (u32 from = 0; from < siqs_block_size;) {
                from = find_candidates(space, from);
                if (space.candidates.empty())
                    break;
                batch.candidates += space.candidates.size();
                collect_hits(space, setup, block);
                for (u32 c = 0; c < space.candidates.size(); ++c)
                    examine(batch, space, setup, block, c);
                for (u16 position : space.candidates)
                    space.block[position] = 0;
            }
        }
        ++batch.polynomials;
    }
    for (u32 q : a_factors)
        space.in_a[q] = 0;
}
