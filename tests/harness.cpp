#include "harness.h"

#include "driver/run.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

const std::string banner = "Brovanten v1.1r     T.Osbervan    04/2001\n"
                           "For details see https://brovanten.example.org/\n"
                           "------------------------------------------------------------------------------\n\n";
const std::string closing_prompt = "\nEnd : press a key to exit...\n";
const std::string log_separator =
    "\n-------------------------------------------------------------------------------- \n";

namespace {

int remove_entry(const char *path, const struct stat *, int, struct FTW *)
{
    // Folders made read-only by a test must become writable to be emptied.
    chmod(path, 0700);
    return std::remove(path);
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

void write_file(const std::string &name, const std::string &contents)
{
    std::ofstream f(name, std::ios::binary);
    f << contents;
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

std::string run_tool(std::uint32_t seed)
{
    char *buffer = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&buffer, &size);
    std::FILE *in = std::tmpfile(); // empty: the closing prompt meets end of file
    run_driver(static_cast<std::time_t>(seed), in, out);
    std::fclose(in);
    std::fclose(out);
    std::string transcript(buffer, size);
    std::free(buffer);
    return transcript;
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
