// SPDX-License-Identifier: BSD-2-Clause
// The real brovanten-factor binary in a shell pipeline: standard input,
// standard output and the exit status as a script sees them.
#include "support/factor_harness.h"
#include "support/harness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct shell_case {
    const char *name;
    const char *command; // {} stands for the binary
    const char *out;
    int status;
};

const shell_case shell_cases[] = {
    {"numbers on standard input", "printf '561\\n\\n1105\\r\\n' | {}", "561: 3 11 17\n1105: 5 13 17\n", 0},
    {"arguments", "{} 1729 8911 </dev/null", "1729: 7 13 19\n8911: 7 19 67\n", 0},
    {"a bad argument among good ones", "{} 561 12x 1105 2>/dev/null", "561: 3 11 17\n1105: 5 13 17\n", 2},
    // Lines wait in a buffer, but never behind a later message.
    {"messages in their place", "printf '4 x 6' | {} 2>&1", "4: 2 2\nbrovanten-factor: 'x' is not a non-negative decimal integer\n6: 2 3\n", 2},
    {"messages in their place with two workers", "printf '4 x 6' | {} -j2 2>&1", "4: 2 2\nbrovanten-factor: 'x' is not a non-negative decimal integer\n6: 2 3\n", 2},
    // Two 60-bit primes: beyond the tests and beyond rho's steps.
    {"a semiprime left whole", "{} --effort=0 332306998946229619626601867938758453", "332306998946229619626601867938758453: [332306998946229619626601867938758453]\n", 1},
    {"standard input closed", "{} 0<&-", "", 0},
    {"help", "{} --help | head -n 1", "Usage: brovanten-factor [OPTION]... [N]...\n", 0},
    // One message on standard error, then the command stops with status 2.
    {"a full disk", "{} 561 1105 x 2>&1 >/dev/full", "brovanten-factor: write error: No space left on device\n", 2},
    // Only the last flush, at the end, meets the error.
    {"a full disk after a few lines", "{} 561 1105 2>&1 >/dev/full", "brovanten-factor: write error: No space left on device\n", 2},
    {"a full disk after a few lines, two workers", "{} -j2 561 1105 2>&1 >/dev/full", "brovanten-factor: write error: No space left on device\n", 2},
    {"standard output closed", "{} 561 2>&1 >&-", "brovanten-factor: write error: Bad file descriptor\n", 2},
    // A reader that goes away ends the command silently, as it ends factor:
    // the input never ends, so only SIGPIPE can stop it.
    {"a reader that goes away", "( yes 561 | {} 2>err | head -n 1 ); cat err", "561: 3 11 17\n", 0},
};

void PrintTo(const shell_case &c, std::ostream *os)
{
    *os << c.name;
}

class factor_shell : public ::testing::TestWithParam<shell_case> {};

TEST_P(factor_shell, output_and_status)
{
    const shell_case &c = GetParam();
    scratch_dir dir;
    std::string command = c.command;
    command.replace(command.find("{}"), 2, BROVANTEN_FACTOR_BINARY);
    int status = std::system(("{ " + command + "; } > out").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(read_file("out"), c.out);
    EXPECT_EQ(WEXITSTATUS(status), c.status);
}

INSTANTIATE_TEST_SUITE_P(process, factor_shell, ::testing::ValuesIn(shell_cases),
                         [](const auto &info) { return test_name(info.param.name); });

// Starts the binary with options, writes input to it and returns the
// first line it prints within ten seconds, with standard input still open;
// then kills it.
std::string first_line_while_running(const char *option, const char *threads, const std::string &input)
{
    int to_child[2], from_child[2];
    if (pipe(to_child) != 0 || pipe(from_child) != 0)
        return "<no pipe>";
    pid_t child = fork();
    if (child == -1)
        return "<no child>";
    if (child == 0) {
        dup2(to_child[0], 0);
        dup2(from_child[1], 1);
        close(to_child[1]);
        close(from_child[0]);
        execl(BROVANTEN_FACTOR_BINARY, "brovanten-factor", option, threads,
              static_cast<char *>(nullptr));
        _exit(127);
    }
    close(to_child[0]);
    close(from_child[1]);
    std::string seen;
    if (write(to_child[1], input.data(), input.size()) == static_cast<ssize_t>(input.size())) {
        pollfd ready{from_child[0], POLLIN, 0};
        while (seen.find('\n') == std::string::npos && poll(&ready, 1, 10000) == 1) {
            char buffer[256];
            ssize_t got = read(from_child[0], buffer, sizeof buffer);
            if (got <= 0)
                break;
            seen.append(buffer, static_cast<std::size_t>(got));
        }
    }
    kill(child, SIGKILL);
    close(to_child[1]);
    waitpid(child, nullptr, 0);
    close(from_child[0]);
    return seen;
}

// Lines wait in the buffer only while more input is at hand and the next
// number is small: the answer is on the pipe when the reader would wait
// for more input, and before a number that may take long (two 80-digit
// primes, beyond any curve's reach in ten seconds).
TEST(process, lines_are_out_before_any_wait)
{
    for (const char *threads : {"-j1", "-j2"})
        EXPECT_EQ(first_line_while_running("--effort=25", threads, "561\n"), "561: 3 11 17\n") << threads;
    // nextprime(10^79) * nextprime(3 * 10^79), from PARI/GP.
    std::string product = "30000000000000000000000000000000000000000000000000000000000000000000000000000428"
                          "0000000000000000000000000000000000000000000000000000000000000000000000000013769";
    for (const char *threads : {"-j1", "-j2"})
        EXPECT_EQ(first_line_while_running("--effort=60", threads, "561 " + product + "\n"),
                  "561: 3 11 17\n")
            << threads;
}

std::string output_of(const std::string &command)
{
    std::system((command + " > out").c_str());
    return read_file("out");
}

// Without --seed every run draws its own seed.
TEST(process, runs_draw_their_own_seeds)
{
    scratch_dir dir;
    std::string command = std::string(BROVANTEN_FACTOR_BINARY) + " -v 561 2>&1 >/dev/null | head -n 1";
    std::string first = output_of(command), second = output_of(command);
    EXPECT_EQ(first.compare(0, 23, "brovanten-factor: seed "), 0) << first;
    EXPECT_NE(first, second);
}

// The progress line is for a terminal only: with standard error in a file,
// a number of 1024 bits leaves it empty.
TEST(process, no_progress_line_off_a_terminal)
{
    scratch_dir dir;
    big p;
    prime_above_power_of_two(p, 1023);
    std::string out = output_of(std::string(BROVANTEN_FACTOR_BINARY) + " " + p.str() + " 2>err");
    EXPECT_EQ(out, p.str() + ": " + p.str() + "\n");
    EXPECT_EQ(read_file("err"), "");
}


// Before the reader waits for more input, a number that a worker has in
// hand is finished and printed: a 40-digit semiprime that takes the sieve
// a moment, alone on standard input with two workers.
TEST(process, a_number_in_a_worker_is_out_before_the_input_waits)
{
    const std::string n = "3326429951365771001824860308669226908717";
    EXPECT_EQ(first_line_while_running("--seed=1", "-j2", n + "\n"),
              n + ": 31442245108790888903 105794924626286930539\n");
}

struct terminal_run {
    std::string terminal; // what the terminal received
    std::string file;     // what the other stream wrote to its file
};

// Runs the binary with one of standard output and standard error on a
// pseudo-terminal and the other in a file, standard input empty.
terminal_run run_on_terminal(bool err_on_terminal, const std::vector<std::string> &args)
{
    terminal_run got;
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return {"<no pseudo-terminal>", ""};
    std::string slave_name = ptsname(master);
    pid_t child = fork();
    if (child == 0) {
        int slave = open(slave_name.c_str(), O_RDWR | O_NOCTTY);
        int file = open("stream", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int none = open("/dev/null", O_RDONLY);
        dup2(none, 0);
        dup2(err_on_terminal ? file : slave, 1);
        dup2(err_on_terminal ? slave : file, 2);
        exec_program(BROVANTEN_FACTOR_BINARY, "brovanten-factor", args);
    }
    // The terminal is read as it is written, so that the child never waits
    // on a full one; once the child is gone, what is left is read.
    for (bool running = true;;) {
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, 100) == 1) {
            char buffer[4096];
            ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0 && !running)
                break;
            if (n > 0)
                got.terminal.append(buffer, static_cast<std::size_t>(n));
        } else if (!running) {
            break;
        }
        if (running && waitpid(child, nullptr, WNOHANG) == child)
            running = false;
    }
    close(master);
    got.file = read_file("stream");
    return got;
}

// Standard error decides whether the progress line is shown, not standard
// output: a number whose curves take a few seconds, with standard error on
// a terminal, gets something there beside its line in the file; with
// standard output on the terminal, standard error stays empty.
TEST(process, the_progress_line_follows_standard_error)
{
    scratch_dir dir;
    big p, q, n;
    prime_above_power_of_two(p, 1100);
    prime_above_power_of_two(q, 1101);
    mpz_mul(n, p, q);
    // The default effort: the curves of 15 digits on this part above 700
    // bits, a few seconds, past the second after which the line shows.
    std::vector<std::string> args = {n.str()};
    std::string line = n.str() + ": [" + n.str() + "]";

    terminal_run err_on_terminal = run_on_terminal(true, args);
    EXPECT_EQ(err_on_terminal.file, line + "\n");
    EXPECT_NE(err_on_terminal.terminal, "");

    terminal_run out_on_terminal = run_on_terminal(false, args);
    EXPECT_EQ(out_on_terminal.file, "");
    EXPECT_EQ(out_on_terminal.terminal, line + "\r\n"); // the terminal turns \n into \r\n
}

struct signalled_result {
    std::string out;
    int status = -1; // waitpid's
};

// Starts the binary with args, waits until its output holds wait_for, then
// delay_ms more, sends signo and reads the rest. A run that lasts past 30
// seconds is killed.
signalled_result signalled_run(const std::vector<std::string> &args, const std::string &wait_for,
                               int delay_ms, int signo)
{
    signalled_result r;
    int from_child[2];
    if (pipe(from_child) != 0)
        return r;
    pid_t child = fork();
    if (child == -1)
        return r;
    if (child == 0) {
        dup2(from_child[1], 1);
        close(from_child[0]);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 2);
        // The test's own disposition of the signals is not the command's.
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        exec_program(BROVANTEN_FACTOR_BINARY, "brovanten-factor", args);
    }
    close(from_child[1]);
    bool sent = false;
    auto start = std::chrono::steady_clock::now();
    pollfd ready{from_child[0], POLLIN, 0};
    for (;;) {
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds > 30) {
            kill(child, SIGKILL);
            break;
        }
        if (!sent && r.out.find(wait_for) != std::string::npos) {
            usleep(static_cast<useconds_t>(delay_ms) * 1000);
            kill(child, signo);
            sent = true;
        }
        if (poll(&ready, 1, 100) != 1)
            continue;
        char buffer[4096];
        ssize_t got = read(from_child[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        r.out.append(buffer, static_cast<std::size_t>(got));
    }
    close(from_child[0]);
    waitpid(child, &r.status, 0);
    return r;
}

// Ctrl-C in the sieve: a 70-digit semiprime that no step before the sieve
// can split (p = 3 10^34 + 131 and q = 10^35 + 103, PARI/GP; p - 1, p + 1,
// q - 1 and q + 1 each have a prime factor above 10^12) takes the sieve
// about ten seconds; three seconds in, SIGINT ends it within a polynomial,
// the number comes back whole in brackets, and the command ends by the
// signal. A sieve that went on to the end would print both primes.
TEST(process, a_signal_in_the_sieve_ends_it)
{
    const std::string n = "3000000000000000000000000000000016190000000000000000000000000000013493";
    signalled_result r = signalled_run({"-j1", "561", n}, "561: 3 11 17\n", 3000, SIGINT);
    ASSERT_TRUE(WIFSIGNALED(r.status)) << r.status << "\n" << r.out;
    EXPECT_EQ(WTERMSIG(r.status), SIGINT);
    EXPECT_EQ(r.out, "561: 3 11 17\n" + n + ": [" + n + "]\n");
}

// The first SIGINT or SIGTERM prints the number at work as far as it got,
// the primes found and the rest in brackets (known composite) or
// parentheses (not yet tested), and ends the command by the signal; the
// numbers after it are never started. 12 p q with p = nextprime(10^79) and
// q = nextprime(3 10^79) (PARI/GP): after trial division p q is beyond the
// sieve's reach and any curve's for the run's length.
TEST(process, a_signal_prints_the_number_at_work_as_far_as_it_got)
{
    const std::string pq = "30000000000000000000000000000000000000000000000000000000000000000000000000000428"
                           "0000000000000000000000000000000000000000000000000000000000000000000000000013769";
    const std::string n = "36000000000000000000000000000000000000000000000000000000000000000000000000000513"
                          "60000000000000000000000000000000000000000000000000000000000000000000000000165228";
    for (int signo : {SIGINT, SIGTERM}) {
        for (const char *threads : {"-j1", "-j2"}) {
            std::string which = std::string(strsignal(signo)) + " " + threads;
            signalled_result r =
                signalled_run({"--effort=60", threads, "561", n, "1105"}, "561: 3 11 17\n", 300, signo);
            ASSERT_TRUE(WIFSIGNALED(r.status)) << which << " " << r.status;
            EXPECT_EQ(WTERMSIG(r.status), signo) << which;
            // With two workers 1105 may be done before the signal comes.
            std::string after = r.out.size() > 13 ? r.out.substr(13) : "";
            std::string tail = "\n";
            if (after.size() >= 14 && after.compare(after.size() - 14, 14, "1105: 5 13 17\n") == 0)
                tail += "1105: 5 13 17\n";
            EXPECT_TRUE(r.out == "561: 3 11 17\n" + n + ": 2 2 3 [" + pq + "]" + tail ||
                        r.out == "561: 3 11 17\n" + n + ": 2 2 3 (" + pq + ")" + tail)
                << which << "\n" << r.out;
        }
    }
}

// On a terminal a number that works past a second shows a progress line:
// the method and how far it is (curves done of the level's) and the time
// left. Ctrl-C clears it before the number's partial line, which is the
// last thing on the screen. The number is that of the test above, under a
// pseudo-terminal for both output streams.
TEST(process, the_progress_line_is_cleared_on_ctrl_c)
{
    const std::string pq = "30000000000000000000000000000000000000000000000000000000000000000000000000000428"
                           "0000000000000000000000000000000000000000000000000000000000000000000000000013769";
    const std::string n = "36000000000000000000000000000000000000000000000000000000000000000000000000000513"
                          "60000000000000000000000000000000000000000000000000000000000000000000000000165228";
    int terminal = -1;
    pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_NE(child, -1);
    if (child == 0) {
        signal(SIGINT, SIG_DFL);
        execl(BROVANTEN_FACTOR_BINARY, "brovanten-factor", "--effort=60", n.c_str(),
              static_cast<char *>(nullptr));
        _exit(127);
    }
    std::string seen;
    bool sent = false;
    auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point curves_seen{};
    pollfd ready{terminal, POLLIN, 0};
    for (;;) {
        auto now = std::chrono::steady_clock::now();
        if (now - start > std::chrono::seconds(40)) {
            kill(child, SIGKILL);
            break;
        }
        if (curves_seen == std::chrono::steady_clock::time_point{} &&
            seen.find(" digits, curve ") != std::string::npos)
            curves_seen = now;
        if (!sent && curves_seen != std::chrono::steady_clock::time_point{} &&
            now - curves_seen > std::chrono::milliseconds(1500)) {
            kill(child, SIGINT);
            sent = true;
        }
        if (poll(&ready, 1, 100) != 1)
            continue;
        char buffer[4096];
        ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0)
            break; // EIO once the child is gone
        seen.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(terminal);
    ASSERT_TRUE(sent) << seen.substr(0, 400);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_TRUE(starts_with(seen, "\rbrovanten-factor: part ")) << seen.substr(0, 200);
    EXPECT_NE(seen.find(", ECM "), std::string::npos) << seen.substr(0, 2000);
    EXPECT_NE(seen.find(" s left\033[K"), std::string::npos) << seen.substr(0, 2000);
    // The terminal turns each line feed into CR LF.
    std::string last = "\r\033[K" + n + ": 2 2 3 [" + pq + "]\r\n";
    ASSERT_GE(seen.size(), last.size());
    EXPECT_EQ(seen.substr(seen.size() - last.size()), last) << seen.substr(seen.size() - 400);
}

} // namespace
