// SPDX-License-Identifier: BSD-2-Clause
// The seeds of the random choices made on a part.
#include "support/harness.h"

#include "factor/part_seed.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(part_seed, every_choice_draws_its_own_seed)
{
    // The index, the part and the run's seed each change the seed; the
    // same three give the same one.
    big m(std::string("340282366920938463463374607431768211507")),
        other(std::string("340282366920938463463374607431768211509"));
    std::set<std::uint64_t> seeds;
    const int indices[] = {1, 2, 3, 20, pm1_seed_index, pp1_seed_index, sieve_seed_index,
                           curve_seed_index(0, 1), curve_seed_index(0, 2), curve_seed_index(1, 1)};
    for (int index : indices) {
        seeds.insert(part_seed(1, m, index));
        seeds.insert(part_seed(1, other, index));
        seeds.insert(part_seed(2, m, index));
        EXPECT_EQ(part_seed(1, m, index), part_seed(1, m, index));
    }
    EXPECT_EQ(seeds.size(), 3 * (sizeof indices / sizeof indices[0]));
}

} // namespace
