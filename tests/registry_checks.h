#pragma once

// Reading and writing the registry as the program's tests see it, through
// the same calls on both platforms.

#include "harness.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "win32.h"
#endif

#include <gtest/gtest.h>
#include <string>

constexpr char configuration[] = "SOFTWARE\\Kelvaro\\Brisolde\\CurrentVersion\\Configuration";
// The program is 32-bit: the tests, 64-bit ones too, look where it writes.
constexpr REGSAM program_view = KEY_WOW64_32KEY;
constexpr char answer_value[] = "bundle_reg_data";
// What a REG_SZ reader gets back: the text and its NUL, nothing more.
extern const std::string stored_yes;
extern const std::string stored_no;

struct StoredValue {
    LONG status;
    DWORD type;
    std::string bytes;
};

// The status of opening the key for reading.
LONG key_status(const char *key_path);
// A value of the configuration key, or of another key under HKEY_LOCAL_MACHINE,
// read through the registry view that `view` asks for.
StoredValue read_value(const char *name);
StoredValue read_value(const char *key_path, const char *name, REGSAM view = program_view);
void write_value(const char *key_path, const char *name, DWORD type, const std::string &bytes);

void expect_answer(const std::string &stored);
// Exit status 0 and not a byte of output.
void expect_quiet_success(const ProgramRun &run);

// Values that an installer keeps beside the answer.
void write_neighbours();
void expect_neighbours_untouched();

// Every test starts and ends with no SOFTWARE\Kelvaro.
class FreshRegistry : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_registry();
    }
    void TearDown() override
    {
        reset_registry();
    }
};
