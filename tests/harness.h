// Running the tool as a function, inside a fresh temporary folder.
#pragma once

#include <cstdint>
#include <string>

// Creates a temporary folder and makes it the working directory for the
// lifetime of the object; puts the old one back and removes the folder after.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir &) = delete;
    scratch_dir &operator=(const scratch_dir &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

void write_file(const std::string &name, const std::string &contents);

// Whole contents of a file, or "<missing>" if it cannot be read.
std::string read_file(const std::string &name);

// Runs the driver with the given seed in the current directory, standard
// input at end of file, and returns everything it printed.
std::string run_tool(std::uint32_t seed);

// The transcript with every timing figure replaced by "#.##", so that
// transcripts can be compared as exact text.
std::string mask_timings(const std::string &transcript);

// A case's description as a test name: letters and digits, '_' for the rest.
std::string test_name(const char *description);

// The texts every run starts and ends with.
extern const std::string banner;
extern const std::string closing_prompt;
extern const std::string log_separator;
