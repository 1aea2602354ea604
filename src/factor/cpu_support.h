// SPDX-License-Identifier: BSD-2-Clause
// Whether the processor running us has AVX2, asked once. The sieve's loops
// over independent primes come in two builds, one for AVX2 (eight 32-bit
// lanes) and one for any x86-64 or other processor, and each call picks one
// by this: no indirect function resolved at load time, which sanitizers
// cannot follow.
#pragma once

bool cpu_has_avx2();

// For the tests: false makes cpu_has_avx2() say no, so that the plain
// loops run where AVX2 is there too; true gives the processor's answer.
void cpu_avx2_allow(bool allow);

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define BROVANTEN_AVX2_BUILD 1
#define BROVANTEN_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define BROVANTEN_AVX2_BUILD 0
#define BROVANTEN_TARGET_AVX2
#endif
