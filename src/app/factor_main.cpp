// SPDX-License-Identifier: BSD-2-Clause
// brovanten-factor: every prime factor of each number given, for
// pseudoprimes whose factors are too large for general factoring.
#include "factor/factor_cli.h"
#include "factor/stop_signals.h"

#include <ctime>
#include <unistd.h>

int main(int argc, char **argv)
{
    // A seed that differs from run to run; --verbose shows it, --seed replays it.
    unsigned long seed = static_cast<unsigned long>(std::time(nullptr)) * 2654435761ul ^
                         static_cast<unsigned long>(getpid());
    int status = factor_main(argc, argv, {stdin, stdout, stderr, isatty(2) == 1}, seed);
    // Stopped by SIGINT or SIGTERM: the output is out, the signal ends the process.
    stop_signals_end();
    return status;
}
