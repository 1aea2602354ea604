// SPDX-License-Identifier: BSD-2-Clause
#include "factor/cpu_support.h"

bool cpu_has_avx2()
{
#if BROVANTEN_AVX2_BUILD
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}
