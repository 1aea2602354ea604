// SPDX-License-Identifier: BSD-2-Clause
#include "support/harness.h"

#include "driver/run.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <grp.h>
#include <linux/fs.h>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int remove_entry(const char *path, const struct stat *, int, struct FTW *)
{
    // Folders made read-only by a test must become writable to be emptied.
    chmod(path, 0700);
    return std::remove(path);
}

int hand_to_nobody(const char *path, const struct stat *, int, struct FTW *)
{
    return lchown(path, 65534, 65534);
}

} // namespace

scratch_dir::scratch_dir()
{
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr)
        throw std::runtime_error("getcwd failed");
    previous_ = cwd;
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brovanten-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (chdir(path_.c_str()) != 0)
        throw std::runtime_error("chdir failed");
}

scratch_dir::~scratch_dir()
{
    if (chdir(previous_.c_str()) != 0)
        return;
    chmod(path_.c_str(), 0700);
    nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

void as_unprivileged_user(const std::function<void()> &body)
{
    if (geteuid() != 0) {
        body();
        return;
    }
    const uid_t nobody = 65534;
    std::fflush(nullptr);
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        bool dropped = nftw(".", hand_to_nobody, 16, FTW_PHYS) == 0 && setgroups(0, nullptr) == 0 &&
                       setgid(nobody) == 0 && setuid(nobody) == 0;
        if (!dropped) {
            std::fprintf(stderr, "cannot become an unprivileged user: %s\n", std::strerror(errno));
            _exit(3);
        }
        body();
        std::fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the unprivileged part failed (status " << status << "); see its output above";
}

time_zone::time_zone(const char *zone)
{
    const char *old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_)
        old_ = old;
    setenv("TZ", zone, 1);
    tzset();
}

time_zone::~time_zone()
{
    if (had_)
        setenv("TZ", old_.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

void write_file(const std::string &name, const std::string &contents)
{
    std::ofstream f(name, std::ios::binary);
    f << contents;
}

bool set_append_only(const char *path, bool on)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd == -1)
        return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL;
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

std::string read_file(const std::string &name)
{
    std::ifstream f(name, std::ios::binary);
    if (!f)
        return "<missing>";
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string run_tool(std::time_t seed, std::string *errors)
{
    char *buffer = nullptr, *err_buffer = nullptr;
    std::size_t size = 0, err_size = 0;
    std::FILE *out = open_memstream(&buffer, &size);
    std::FILE *err = open_memstream(&err_buffer, &err_size);
    std::FILE *in = std::tmpfile(); // empty: the closing prompt meets end of file
    long long elapsed = 1000;
    run_clock clock{[seed] { return seed; }, [&elapsed] { return elapsed += fake_test_ms; }};
    run_driver(clock, in, out, err);
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    std::string transcript(buffer, size);
    std::free(buffer);
    if (errors != nullptr)
        *errors = std::string(err_buffer, err_size);
    std::free(err_buffer);
    return transcript;
}

std::vector<published_number> published_numbers()
{
    return read_published_table(BROVANTEN_EXAMPLES_DIR "/pseudoprimes.tsv");
}

void prime_above_power_of_two(mpz_t p, unsigned long bits, unsigned long offset)
{
    mpz_ui_pow_ui(p, 2, bits);
    mpz_add_ui(p, p, offset);
    mpz_nextprime(p, p);
}

std::string big_text(const mpz_t x)
{
    char *text = mpz_get_str(nullptr, 10, x);
    std::string s = text;
    std::free(text);
    return s;
}

std::string big::str() const
{
    return big_text(v);
}

unsigned long test_seed(unsigned long fixed)
{
    const char *given = std::getenv("BROVANTEN_TEST_SEED");
    if (given == nullptr || *given == '\0')
        return fixed;
    return std::strtoul(given, nullptr, 10);
}

std::string seed_note(unsigned long seed)
{
    return "seed " + std::to_string(seed) + " (BROVANTEN_TEST_SEED=" + std::to_string(seed) +
           " replays it)";
}

std::string test_name(const char *description)
{
    std::string name = description;
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

std::string mask_timings(const std::string &transcript)
{
    static const std::regex timing("Test made in [0-9]+\\.[0-9]{2} s\\.\n");
    return std::regex_replace(transcript, timing, "Test made in #.## s.\n");
}
