// Runs a program as a child process and collects how it ended.
#pragma once

#include <string>
#include <vector>

struct program_run {
    int exit_status = -1;  // the exit code, or -1 if it did not exit normally
    std::string error_output;
};

struct run_options {
    // NAME=VALUE entries set in the child's environment; NAME= alone unsets NAME.
    std::vector<std::string> environment;
    // When not zero, the largest file the child may write, in bytes (its
    // writes past that fail with EFBIG instead of raising SIGXFSZ).
    long file_size_limit = 0;
};

// Runs `arguments` (the program's path first), discarding its standard
// output, and waits for it to end.
program_run run_program(const std::vector<std::string>& arguments, const run_options& options = {});
