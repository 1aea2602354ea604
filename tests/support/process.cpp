// SPDX-License-Identifier: BSD-2-Clause
#include "support/process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// In the child: standard streams and limits as asked, then exec.
[[noreturn]] void exec_child(const process_options &o, int pipe_read, int pipe_write)
{
    const char *binary = o.binary.empty() ? BROVANTEN_BINARY : o.binary.c_str();
    int null_fd = open("/dev/null", O_RDWR);
    if (o.in == stdin_setup::closed)
        close(0);
    else if (o.in == stdin_setup::end_of_file)
        dup2(null_fd, 0);
    for (const auto &setting : o.environment)
        putenv(const_cast<char *>(setting.c_str()));
    if (!o.err_path.empty()) {
        int err_fd = open(o.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        dup2(err_fd, 2);
    }
    switch (o.out) {
    case stdout_setup::captured:
    case stdout_setup::reader_gone:
        dup2(pipe_write, 1);
        break;
    case stdout_setup::closed:
        close(1);
        break;
    case stdout_setup::discarded:
        dup2(null_fd, 1);
        break;
    }
    if (pipe_read >= 0)
        close(pipe_read);
    if (pipe_write >= 0 && pipe_write != 1)
        close(pipe_write);
    if (null_fd > 2)
        close(null_fd);
    if (o.file_size_limit >= 0) {
        rlimit limit{static_cast<rlim_t>(o.file_size_limit), static_cast<rlim_t>(o.file_size_limit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    // No core files from runs that a test ends with a signal.
    rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    // Default handling of every signal, and none held, so that the tool's
    // own choices are what counts, not what the shell that started the
    // tests left (a background job of a shell ignores SIGINT and SIGQUIT).
    for (int s = 1; s < NSIG; ++s)
        signal(s, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (o.line_buffered) {
        // stdbuf preloads a library ahead of everything, which AddressSanitizer
        // refuses unless told that the order does not matter.
        const char *asan = getenv("ASAN_OPTIONS");
        std::string options = std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
        setenv("ASAN_OPTIONS", options.c_str(), 1);
        execlp("stdbuf", "stdbuf", "-oL", binary, static_cast<char *>(nullptr));
    } else {
        execl(binary, "brovanten", static_cast<char *>(nullptr));
    }
    _exit(127);
}

} // namespace

process_result run_binary(const process_options &o)
{
    // A pipe whose writing end this process keeps until the run is over.
    int held[2] = {-1, -1};
    if (o.in == stdin_setup::held_open && pipe(held) != 0)
        return {false, 0, "pipe failed", 0};
    int pipe_fds[2] = {-1, -1};
    bool piped = o.out == stdout_setup::captured || o.out == stdout_setup::reader_gone;
    if (piped && pipe(pipe_fds) != 0)
        return {false, 0, "pipe failed", 0};
    if (o.out == stdout_setup::reader_gone) {
        close(pipe_fds[0]);
        pipe_fds[0] = -1;
    }

    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        if (held[0] >= 0) {
            dup2(held[0], 0);
            close(held[0]);
            close(held[1]);
        }
        exec_child(o, pipe_fds[0], pipe_fds[1]);
    }
    if (pipe_fds[1] >= 0)
        close(pipe_fds[1]);
    if (held[0] >= 0)
        close(held[0]);

    process_result result{false, 0, "", 0};
    // Read what the child has written so far without waiting for more.
    auto drain = [&] {
        if (o.out != stdout_setup::captured)
            return;
        char buffer[4096];
        ssize_t got;
        while ((got = read(pipe_fds[0], buffer, sizeof buffer)) > 0)
            result.output.append(buffer, static_cast<std::size_t>(got));
    };
    if (o.out == stdout_setup::captured)
        fcntl(pipe_fds[0], F_SETFL, O_NONBLOCK);
    auto deadline = start + std::chrono::seconds(o.seconds_limit);
    auto kill_at = start + std::chrono::milliseconds(o.kill_after_ms);
    bool signalled = false;
    for (;;) {
        drain();
        if (o.watch)
            o.watch(result.output);
        pid_t done = waitpid(child, &result.status, WNOHANG);
        if (done == child) {
            result.ended = true;
            break;
        }
        auto now = std::chrono::steady_clock::now();
        bool due = o.kill_after_ms >= 0 && now >= kill_at;
        bool seen = !o.kill_after_output.empty() &&
                    result.output.find(o.kill_after_output) != std::string::npos;
        if (!signalled && (due || seen)) {
            kill(child, o.kill_signal);
            signalled = true;
        }
        if (now > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &result.status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    drain();
    if (o.out == stdout_setup::captured)
        close(pipe_fds[0]);
    if (held[1] >= 0)
        close(held[1]);
    return result;
}

pid_t start_binary(const process_options &options)
{
    process_options o = options;
    if (o.out == stdout_setup::captured || o.out == stdout_setup::reader_gone)
        o.out = stdout_setup::discarded;
    if (o.in == stdin_setup::held_open)
        o.in = stdin_setup::end_of_file;
    pid_t child = fork();
    if (child == 0)
        exec_child(o, -1, -1);
    return child;
}

std::vector<std::string> shim_environment(const std::vector<std::string> &settings)
{
    std::vector<std::string> environment = settings;
    environment.push_back("LD_PRELOAD=" BROVANTEN_APPEND_SHIM);
    // A preloaded library comes before AddressSanitizer's runtime, which it
    // refuses unless told that the order does not matter. The signals of
    // faults that the tests send are left to their default action, not
    // caught by its report of a fault that did not happen.
    const char *asan = getenv("ASAN_OPTIONS");
    environment.push_back(std::string("ASAN_OPTIONS=") + (asan != nullptr ? asan : "") +
                          ":verify_asan_link_order=0:handle_segv=0:handle_sigbus=0:handle_sigfpe=0"
                          ":handle_sigill=0:handle_abort=0");
    return environment;
}

held_run::held_run(const std::string &step, const std::vector<std::string> &settings,
                   process_options options)
{
    char cwd[4096];
    hold_file_ = std::string(getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".") + "/held-at-" + step;
    std::vector<std::string> all = settings;
    all.push_back("BROVANTEN_SHIM_HOLD_AT=" + step);
    all.push_back("BROVANTEN_SHIM_HOLD_FILE=" + hold_file_);
    options.environment = shim_environment(all);
    pid_ = start_binary(options);
}

held_run::~held_run()
{
    release();
    if (!finished_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool held_run::reached(int seconds) const
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (access(hold_file_.c_str(), F_OK) != 0) {
        // An end of the run is seen without taking its status.
        siginfo_t ended{};
        if (std::chrono::steady_clock::now() > deadline ||
            (waitid(P_PID, static_cast<id_t>(pid_), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
             ended.si_pid == pid_))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void held_run::release() const
{
    unlink(hold_file_.c_str());
}

int held_run::finish()
{
    release();
    int status = 0;
    waitpid(pid_, &status, 0);
    finished_ = true;
    return status;
}
