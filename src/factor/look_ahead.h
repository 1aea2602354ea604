// SPDX-License-Identifier: BSD-2-Clause
// What the step order offers the helper threads while it works on a part:
// the checks and attempts it will really take next. The steps go through
// the parts in order; the helpers take the largest of the other parts
// first, where the most time is won: a new part's primality check, with the
// attempt the step order takes next on it should it be composite, or a
// composite part's next attempt. When there are no other parts, the matrix
// tests ahead on the part at hand, which a helper stops when that part
// splits (strong tests cannot be stopped half-way, so they are not run
// ahead on it). Nothing is offered for a part that may yet turn out prime.
#pragma once

#include "factor/attempt_pool.h"
#include "factor/factor_parts.h"

#include <cstddef>
#include <functional>
#include <vector>

// next_slot(k): the attempt the step order takes next on part k, 0 for
// none (next_attempt_slot). slot: the attempt the step order runs now on
// part i; ahead_on_self: part i is known composite and its matrix tests
// after slot may be run ahead. order is scratch.
void offer_ahead(attempt_pool &pool, const std::vector<factor_part> &parts, std::size_t i,
                 int slot, bool ahead_on_self, const factor_budget &budget,
                 const std::function<int(std::size_t k)> &next_slot,
                 std::vector<std::size_t> &order);
