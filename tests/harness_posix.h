#pragma once

// What native tests reach beyond the portable harness: the store's
// directories, and runs that a test may kill before it waits for them.

#include "harness.h"

#include <filesystem>
#include <sys/types.h>

struct StartedRun {
    pid_t pid;
    int output;
};

StartedRun start_run(const std::vector<std::string> &args, Caller caller,
                     const std::string &directory);
// A run that did not exit by itself (killed, say) has exit code -1.
ProgramRun finish_run(const StartedRun &started);

// Where the registry that the tests' programs use lies, and one key in it.
std::filesystem::path store_directory();
std::filesystem::path key_directory(const char *key_path);
