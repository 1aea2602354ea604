// SPDX-License-Identifier: BSD-2-Clause
#include "factor/cpu_support.h"

#include <atomic>

namespace {

std::atomic<bool> allowed{true};

} // namespace

bool cpu_has_avx2()
{
#if BROVANTEN_AVX2_BUILD
    static const bool has = __builtin_cpu_supports("avx2");
    return has && allowed.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

void cpu_avx2_allow(bool allow)
{
    allowed = allow;
}
