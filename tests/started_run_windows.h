#pragma once

#include <windows.h>

// A run of the program under way: its process, and the file that takes its output.
struct StartedRun {
    PROCESS_INFORMATION process;
    HANDLE output;
};
