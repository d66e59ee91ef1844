#pragma once

// What the tests need from the platform beyond the registry calls: starting
// the program as an installer would, scratch directories, and keys that
// refuse to be changed.

#ifdef _WIN32
#include "started_run_windows.h"
#else
#include "started_run_posix.h"
#endif

#include <string>
#include <vector>

struct ProgramRun {
    int exit_code;
    std::string output; // standard output and standard error, interleaved
};

enum class Caller {
    installer,
    // Bound by refused keys. Under Wine every caller is an administrator and a
    // refusal names everyone; on POSIX root passes every permission check, so
    // a root test run starts the program as nobody.
    restricted_user,
};

// Starts the bundle-answer built beside the test program with `args` as its
// arguments, stdin empty, in `directory` when one is given; a test may end a
// run before it waits for it.
StartedRun start_run(const std::vector<std::string> &args, Caller caller,
                     const std::string &directory);
// A run that did not exit by itself (killed, say) has exit code -1.
ProgramRun finish_run(const StartedRun &started);

// Starts a run and waits for it.
ProgramRun run_bundle_answer(const std::vector<std::string> &args,
                             Caller caller = Caller::installer, const std::string &directory = {});

// Starts one run for each argument list, every one of them before waiting for
// any, and returns their results in the same order.
std::vector<ProgramRun>
run_bundle_answer_together(const std::vector<std::vector<std::string>> &runs);

// How many runs one test starts at once: Wine starts processes far slower.
extern const int runs_at_once;

// What a key holds besides its values and subkeys: temporary files of the
// native store. The Windows registry keeps nothing of the kind.
std::vector<std::string> key_leftovers(const char *key_path);

// Leaves HKEY_LOCAL_MACHINE without SOFTWARE\Kelvaro, refusals included.
void reset_registry();

// The key (under HKEY_LOCAL_MACHINE) keeps being readable, but refuses new
// values and subkeys to a restricted user.
void refuse_changes(const char *key_path);

// A new empty directory, removed with the registry at the next reset.
std::string make_scratch_directory();

// Whether the tests run under Wine, whose known gaps they mark as Wine's own
// tests do with todo_wine: expected there, and reported once Wine closes them.
bool running_under_wine();
