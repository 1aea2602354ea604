// SPDX-License-Identifier: BSD-2-Clause
// The two clocks a run reads, passed in so that tests can pin them.
#pragma once

#include <ctime>
#include <functional>

struct run_clock {
    // Calendar time in whole seconds since 1970: it seeds the random source
    // (mod 2^32) and stamps the log record.
    std::function<std::time_t()> calendar;
    // Real time elapsed, in milliseconds from any fixed origin: test times.
    std::function<long long()> elapsed_ms;
};

// The machine's own clocks: time() and a monotonic clock.
run_clock system_clock();
