// Starting the real brovanten binary in the current directory, for faults
// that only a separate process can show: closed standard streams, a reader
// that goes away.
#pragma once

#include <string>

enum class stdin_setup { end_of_file, closed };
enum class stdout_setup { captured, reader_gone };

struct process_result {
    bool ended;          // false if it had to be killed after the time limit
    int status;          // waitpid status when it ended
    std::string output;  // standard output, when captured
};

process_result run_binary(stdin_setup in, stdout_setup out, int seconds_limit = 30);
