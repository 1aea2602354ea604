// SPDX-License-Identifier: BSD-2-Clause
// brovanten: splits the Carmichael number, pseudoprime or strong
// pseudoprime in ./number.fic and appends what it finds to ./results.fic.
#include "driver/process_setup.h"
#include "driver/run.h"

#include <cstdio>

int main()
{
    prepare_process();
    return run_driver(system_clock(), stdin, stdout, stderr);
}
