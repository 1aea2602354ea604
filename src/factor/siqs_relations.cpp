// SPDX-License-Identifier: BSD-2-Clause
#include "factor/siqs_relations.h"

#include <algorithm>
#include <deque>

using u32 = std::uint32_t;
using u64 = std::uint64_t;

namespace {

u32 find_root(std::vector<u32> &parent, u32 v)
{
    while (parent[v] != v) {
        parent[v] = parent[parent[v]];
        v = parent[v];
    }
    return v;
}

u32 vertex_of(siqs_relations &r, u32 prime)
{
    if (prime == 1)
        return 0;
    auto [it, fresh] = r.vertex.emplace(prime, static_cast<u32>(r.parent.size()));
    if (fresh)
        r.parent.push_back(it->second);
    return it->second;
}

u64 hash_limbs(const mp_limb_t *limbs, u32 count)
{
    u64 h = 0x9e3779b97f4a7c15u ^ count;
    for (u32 k = 0; k < count; ++k) {
        h ^= limbs[k];
        h *= 0xbf58476d1ce4e5b9u;
        h ^= h >> 31;
    }
    return h;
}

} // namespace

void siqs_relations_reset(siqs_relations &r)
{
    r.entries.clear();
    r.factors.clear();
    r.limbs.clear();
    r.seen.clear();
    r.vertex.clear();
    r.parent.assign(1, 0);
    r.fulls = r.cycles = 0;
}

void siqs_relations_add(siqs_relations &r, const siqs_relation_batch &batch)
{
    for (const auto &e : batch.relations) {
        if (!r.seen.insert(hash_limbs(&batch.limbs[e.limb_start], e.limb_count)).second)
            continue;
        siqs_relation_batch::entry kept = e;
        kept.factor_start = static_cast<u32>(r.factors.size());
        kept.limb_start = static_cast<u32>(r.limbs.size());
        r.factors.insert(r.factors.end(), batch.factors.begin() + e.factor_start,
                         batch.factors.begin() + e.factor_start + e.factor_count);
        r.limbs.insert(r.limbs.end(), batch.limbs.begin() + e.limb_start,
                       batch.limbs.begin() + e.limb_start + e.limb_count);
        r.entries.push_back(kept);
        if (e.large2 == 1) {
            ++r.fulls;
            continue;
        }
        u32 a = find_root(r.parent, vertex_of(r, e.large1));
        u32 b = find_root(r.parent, vertex_of(r, e.large2));
        if (a == b)
            ++r.cycles;
        else
            r.parent[a] = b;
    }
}

void siqs_relations_columns(siqs_columns &columns, const siqs_relations &r)
{
    columns.start.assign(1, 0);
    columns.members.clear();
    // Vertices and edges of the large-prime graph.
    std::unordered_map<u32, u32> index;
    index.emplace(1, 0);
    std::vector<std::vector<std::pair<u32, u32>>> adjacent(1); // (vertex, relation)
    auto vertex = [&](u32 prime) {
        auto [it, fresh] = index.emplace(prime, static_cast<u32>(adjacent.size()));
        if (fresh)
            adjacent.emplace_back();
        return it->second;
    };
    std::vector<std::pair<u32, u32>> ends(r.entries.size());
    for (u32 k = 0; k < r.entries.size(); ++k) {
        const auto &e = r.entries[k];
        if (e.large2 == 1) {
            columns.members.push_back(k);
            columns.start.push_back(static_cast<u32>(columns.members.size()));
            continue;
        }
        u32 a = vertex(e.large1), b = vertex(e.large2);
        ends[k] = {a, b};
        if (a == b) {
            // q^2: a square by itself.
            columns.members.push_back(k);
            columns.start.push_back(static_cast<u32>(columns.members.size()));
            continue;
        }
        adjacent[a].push_back({b, k});
        adjacent[b].push_back({a, k});
    }
    // A spanning forest by breadth-first search, from 1 first.
    const u32 none = ~0u;
    std::size_t count = adjacent.size();
    std::vector<u32> up_vertex(count, none), up_relation(count, none), depth(count, 0);
    std::vector<char> seen(count, 0), tree_edge(r.entries.size(), 0);
    std::deque<u32> queue;
    for (u32 root = 0; root < count; ++root) {
        if (seen[root])
            continue;
        seen[root] = 1;
        queue.push_back(root);
        while (!queue.empty()) {
            u32 v = queue.front();
            queue.pop_front();
            for (auto [w, k] : adjacent[v]) {
                if (seen[w])
                    continue;
                seen[w] = 1;
                up_vertex[w] = v;
                up_relation[w] = k;
                depth[w] = depth[v] + 1;
                tree_edge[k] = 1;
                queue.push_back(w);
            }
        }
    }
    // Each edge outside the forest closes a cycle: itself and the two paths
    // up to where they meet.
    for (u32 k = 0; k < r.entries.size(); ++k) {
        const auto &e = r.entries[k];
        if (e.large2 == 1 || tree_edge[k] || ends[k].first == ends[k].second)
            continue;
        columns.members.push_back(k);
        u32 a = ends[k].first, b = ends[k].second;
        while (a != b) {
            if (depth[a] < depth[b])
                std::swap(a, b);
            columns.members.push_back(up_relation[a]);
            a = up_vertex[a];
        }
        columns.start.push_back(static_cast<u32>(columns.members.size()));
    }
}

void siqs_relation_y(mpz_t y, const siqs_relations &r, u32 relation)
{
    const auto &e = r.entries[relation];
    mp_limb_t *limbs = mpz_limbs_write(y, std::max<mp_size_t>(1, e.limb_count));
    std::copy(r.limbs.begin() + e.limb_start, r.limbs.begin() + e.limb_start + e.limb_count, limbs);
    mpz_limbs_finish(y, static_cast<mp_size_t>(e.limb_count));
}
