// SPDX-License-Identifier: BSD-2-Clause
// brovanten-factor --trial=B, PARI/GP's factor(n, B): trial division by
// every prime below B and nothing else. The primes come from a segmented
// sieve of Eratosthenes, and are taken a machine word's worth at a time:
// one remainder of n by their product, then one per prime of that word, so
// that a number of 100,000 digits costs about 2 microseconds per word of
// primes (some 10 ms for the primes below 100000). The division stops
// early once the next prime's square passes what is left, which is then 1
// or a prime. The cofactor left when it does not is untested: it has no
// prime factor below B, and is prime when it is below B^2, but nothing
// else is known of it.
#pragma once

#include "factor/factor_note.h"
#include "factor/factor_workspace.h"

#include <gmp.h>

// w.parts = the primes below bound that divide n (n > 1), with their
// powers, and the cofactor: prime if trial division proved it (it is below
// bound^2, or the division stopped early), else untested
// (part_state::unknown). Progress goes to observer as the primes pass
// (count: the last prime tried, of: the bound). Stops when w.stop is set,
// leaving the cofactor untested. Returns whether every part is prime.
bool trial_divide(factor_workspace &w, const mpz_t n, unsigned long bound,
                  const factor_observer &observer = {});
