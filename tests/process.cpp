#include "process.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

process_result run_binary(stdin_setup in, stdout_setup out, int seconds_limit)
{
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0)
        return {false, 0, "pipe failed"};
    if (out == stdout_setup::reader_gone)
        close(pipe_fds[0]);

    pid_t child = fork();
    if (child == 0) {
        if (in == stdin_setup::closed) {
            close(0);
        } else {
            int null_fd = open("/dev/null", O_RDONLY);
            dup2(null_fd, 0);
            close(null_fd);
        }
        dup2(pipe_fds[1], 1);
        close(pipe_fds[1]);
        if (out == stdout_setup::captured)
            close(pipe_fds[0]);
        // Restore the default so that the tool's own handling is what counts.
        signal(SIGPIPE, SIG_DFL);
        execl(BROVANTEN_BINARY, "brovanten", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipe_fds[1]);

    process_result result{false, 0, ""};
    // Read what the child has written so far without waiting for more.
    auto drain = [&] {
        if (out != stdout_setup::captured)
            return;
        char buffer[4096];
        ssize_t got;
        while ((got = read(pipe_fds[0], buffer, sizeof buffer)) > 0)
            result.output.append(buffer, static_cast<std::size_t>(got));
    };
    if (out == stdout_setup::captured)
        fcntl(pipe_fds[0], F_SETFL, O_NONBLOCK);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds_limit);
    for (;;) {
        drain();
        pid_t done = waitpid(child, &result.status, WNOHANG);
        if (done == child) {
            result.ended = true;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &result.status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    drain();
    if (out == stdout_setup::captured)
        close(pipe_fds[0]);
    return result;
}
