#pragma once

#include <sys/types.h>

// A run of the program under way: its process, and the file that takes its output.
struct StartedRun {
    pid_t pid;
    int output;
};
