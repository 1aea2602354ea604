// SPDX-License-Identifier: BSD-2-Clause
#include "factor/stop_signals.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <semaphore.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int handled[] = {SIGINT, SIGTERM};
constexpr int handled_count = 2;

// What the handler reads and writes: lock-free atomics only.
std::atomic<int> received{0};    // the first signal, 0 before it
std::atomic<bool> waiting{false}; // a read that may wait for input is under way
std::atomic<int> line_fd{-1};    // the terminal that shows the progress line, or -1
sem_t wake_relay;

struct sigaction earlier[handled_count];
bool installed[handled_count];

std::mutex register_lock;
std::vector<std::atomic<bool> *> registered;
std::thread relay;
std::atomic<bool> relay_closing{false};

// Ends the process at once by signo: its default action, raised again.
// Async-signal-safe.
void end_at_once(int signo)
{
    int fd = line_fd.load();
    if (fd >= 0) {
        ssize_t written = write(fd, "\r\033[K", 4);
        (void)written;
    }
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(signo, &plain, nullptr);
    // Blocked while the handler runs; delivered, and fatal, when it returns.
    raise(signo);
}

extern "C" void on_stop_signal(int signo)
{
    int saved_errno = errno;
    if (received.load() != 0 || waiting.load()) {
        end_at_once(signo);
    } else {
        received.store(signo);
        sem_post(&wake_relay);
    }
    errno = saved_errno;
}

void relay_requests()
{
    for (;;) {
        while (sem_wait(&wake_relay) != 0 && errno == EINTR) {
        }
        if (relay_closing.load())
            return;
        std::lock_guard<std::mutex> hold(register_lock);
        for (auto *flag : registered)
            flag->store(true);
    }
}

} // namespace

void stop_signals_install()
{
    received.store(0);
    waiting.store(false);
    line_fd.store(-1);
    relay_closing.store(false);
    sem_init(&wake_relay, 0, 0);
    relay = std::thread(relay_requests);
    for (int k = 0; k < handled_count; ++k) {
        installed[k] = false;
        if (sigaction(handled[k], nullptr, &earlier[k]) != 0 || earlier[k].sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = on_stop_signal;
        sigemptyset(&action.sa_mask);
        for (int signo : handled)
            sigaddset(&action.sa_mask, signo);
        // Reads and writes go on after the handler: the stop is looked at
        // between numbers, and a read that waits ends the command at once.
        action.sa_flags = SA_RESTART;
        installed[k] = sigaction(handled[k], &action, nullptr) == 0;
    }
}

void stop_signals_remove()
{
    for (int k = 0; k < handled_count; ++k)
        if (installed[k])
            sigaction(handled[k], &earlier[k], nullptr);
    relay_closing.store(true);
    sem_post(&wake_relay);
    relay.join();
    sem_destroy(&wake_relay);
    line_fd.store(-1);
}

bool stop_requested()
{
    return received.load() != 0;
}

void stop_register(std::atomic<bool> *flag)
{
    std::lock_guard<std::mutex> hold(register_lock);
    registered.push_back(flag);
    if (stop_requested())
        flag->store(true);
}

void stop_unregister(std::atomic<bool> *flag)
{
    std::lock_guard<std::mutex> hold(register_lock);
    registered.erase(std::remove(registered.begin(), registered.end(), flag), registered.end());
}

bool stop_wait_begins()
{
    waiting.store(true);
    // A signal before this point set `received`; one after it finds
    // `waiting` and ends the command.
    if (stop_requested()) {
        waiting.store(false);
        return false;
    }
    return true;
}

void stop_wait_ends()
{
    waiting.store(false);
}

void stop_note_line(int fd, bool shown)
{
    line_fd.store(shown ? fd : -1);
}

void stop_signals_end()
{
    int signo = received.load();
    if (signo == 0)
        return;
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(signo, &plain, nullptr);
    sigset_t just_it;
    sigemptyset(&just_it);
    sigaddset(&just_it, signo);
    pthread_sigmask(SIG_UNBLOCK, &just_it, nullptr);
    raise(signo);
}
