// SPDX-License-Identifier: BSD-2-Clause
// What a long method (the sieve) may use besides its part: threads of its
// own, borrowed from the run's spare cores, its seed, a route for its
// progress, and a flag that tells it to stop. A method that has no use for
// one of them leaves it alone.
#pragma once

#include "factor/spare_cores.h"

#include <atomic>
#include <cstdint>
#include <functional>

struct method_call {
    // Threads it may run at once, itself included; the others it borrows
    // from cores for as long as it runs them, and gives back.
    unsigned max_threads;
    spare_cores *cores;
    std::uint64_t seed; // see part_seed.h
    // done: what it has done in its own units (the sieve: relations found);
    // share: the part of what it needs.
    std::function<void(unsigned long done, double share)> progress;
    // Set: stop at the next chance and report nothing found.
    const std::atomic<bool> *stop;
};
