// SPDX-License-Identifier: BSD-2-Clause
#include "factor/look_ahead.h"

#include <algorithm>

void offer_ahead(attempt_pool &pool, const std::vector<factor_part> &parts, std::size_t i,
                 int slot, bool ahead_on_self, const factor_budget &budget,
                 const std::function<int(std::size_t k)> &next_slot,
                 std::vector<std::size_t> &order)
{
    if (pool.helpers.empty())
        return;
    order.clear();
    for (std::size_t k = 0; k < parts.size(); ++k)
        if (k != i && (parts[k].state == part_state::unknown ||
                       parts[k].state == part_state::composite))
            order.push_back(k);
    std::size_t wanted = std::min(order.size(), queue_per_helper * pool.helpers.size());
    auto larger = [&](std::size_t a, std::size_t b) {
        return mpz_size(parts[a].value) > mpz_size(parts[b].value);
    };
    std::partial_sort(order.begin(), order.begin() + static_cast<long>(wanted), order.end(),
                      larger);
    for (std::size_t n = 0; n < wanted; ++n) {
        const factor_part &p = parts[order[n]];
        int then = next_slot(order[n]);
        bool room = true;
        if (p.state == part_state::unknown)
            room = pool_offer_primality(pool, p.value, then);
        else if (then > 0)
            room = pool_offer_attempt(pool, p.value, then);
        if (!room)
            return;
    }
    if (!order.empty() || !ahead_on_self)
        return;
    scheduled_attempt a{};
    int offered = 0;
    for (int ahead = slot + 1; offered < static_cast<int>(pool.helpers.size()) &&
                               schedule_slot(a, budget, ahead);
         ++ahead) {
        if (a.method != attempt_method::matrix)
            continue;
        if (!pool_offer_attempt(pool, parts[i].value, ahead))
            return;
        ++offered;
    }
}
