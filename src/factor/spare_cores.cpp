// SPDX-License-Identifier: BSD-2-Clause
#include "factor/spare_cores.h"

#include <algorithm>

void spare_cores_set(spare_cores &c, int cores)
{
    std::lock_guard<std::mutex> hold(c.lock);
    c.count = cores;
}

void cores_hold(spare_cores *c)
{
    if (c == nullptr)
        return;
    std::unique_lock<std::mutex> hold(c->lock);
    ++c->workers_waiting;
    c->freed.wait(hold, [&] { return c->count > 0; });
    --c->workers_waiting;
    --c->count;
}

void cores_release(spare_cores *c, int count)
{
    if (c == nullptr || count <= 0)
        return;
    {
        std::lock_guard<std::mutex> hold(c->lock);
        c->count += count;
    }
    c->freed.notify_all();
}

int cores_borrow(spare_cores *c, int most)
{
    if (c == nullptr)
        return std::max(most, 0);
    std::lock_guard<std::mutex> hold(c->lock);
    int got = std::clamp(c->count - c->workers_waiting, 0, std::max(most, 0));
    c->count -= got;
    return got;
}
