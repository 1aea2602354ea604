// SPDX-License-Identifier: BSD-2-Clause
#include "driver/clock.h"

#include <chrono>

run_clock system_clock()
{
    return {
        [] { return std::time(nullptr); },
        [] {
            using namespace std::chrono;
            return static_cast<long long>(
                duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
        },
    };
}
