// brovanten: splits the Carmichael number, pseudoprime or strong
// pseudoprime in ./number.fic and appends what it finds to ./results.fic.
#include "driver/run.h"

#include <csignal>
#include <cstdio>

int main()
{
    // A reader that goes away must not kill the run half-way through a log
    // record; failed console writes are harmless.
    std::signal(SIGPIPE, SIG_IGN);
    return run_driver(system_clock(), stdin, stdout);
}
