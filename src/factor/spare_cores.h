// SPDX-License-Identifier: BSD-2-Clause
// The cores of one run of brovanten-factor that no thread computes on, so
// that the threads computing at once never outnumber the cores -j gives. A
// batch worker holds one while it factors a number, and waits for one if
// need be; a number's helper threads, and a method that runs threads of its
// own, borrow what is spare for one task at a time, at once or not at all,
// and never a core that a waiting worker needs. The count never goes below
// zero. A null account stands for no limit: every borrow gets all it asks.
#pragma once

#include <condition_variable>
#include <mutex>

struct spare_cores {
    std::mutex lock;
    std::condition_variable freed;
    int count = 0;           // cores nobody computes on
    int workers_waiting = 0; // workers that wait for one of them
};

void spare_cores_set(spare_cores &c, int cores);

// A worker's core, for one number: waits until one is spare; workers go
// before borrowers.
void cores_hold(spare_cores *c);

// Hands count cores back.
void cores_release(spare_cores *c, int count);

// Up to most of the spare cores that no waiting worker needs, at once;
// 0 when there are none.
int cores_borrow(spare_cores *c, int most);
