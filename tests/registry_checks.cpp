#include "registry_checks.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

const std::string stored_yes = "yes\0"s;
const std::string stored_no = "no\0"s;

LONG key_status(const char *key_path)
{
    HKEY key;
    const LONG status =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_QUERY_VALUE | program_view, &key);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status;
}

StoredValue read_value(const char *name)
{
    return read_value(configuration, name);
}

StoredValue read_value(const char *key_path, const char *name, REGSAM view)
{
    StoredValue value{ERROR_SUCCESS, REG_NONE, {}};
    HKEY key;
    value.status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_QUERY_VALUE | view, &key);
    if (value.status != ERROR_SUCCESS)
        return value;
    // A run beside this reader may replace the value with a longer one
    // between the calls: then the buffer grows to the size reported.
    DWORD size = 16;
    do {
        value.bytes.resize(size);
        value.status = RegQueryValueExA(key, name, nullptr, &value.type,
                                        reinterpret_cast<BYTE *>(value.bytes.data()), &size);
    } while (value.status == ERROR_MORE_DATA);
    value.bytes.resize(value.status == ERROR_SUCCESS ? size : 0);
    RegCloseKey(key);
    return value;
}

void write_value(const char *key_path, const char *name, DWORD type, const std::string &bytes)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS | program_view, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    // Windows counts in a NUL that follows string data left without one: a
    // byte that is not NUL after them keeps the bytes exactly as given.
    const std::string guarded = bytes + '\x01';
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(guarded.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void expect_answer(const std::string &stored)
{
    const StoredValue value = read_value(answer_value);
    EXPECT_EQ(value.status, ERROR_SUCCESS);
    EXPECT_EQ(value.type, REG_SZ);
    EXPECT_EQ(value.bytes, stored);
}

void expect_quiet_success(const ProgramRun &run)
{
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.output, "");
}

namespace {

const std::string install_path = "C:\\Brisolde\\\0"s;
const std::string flags = "\x00\x01\xFE\xFF"s;

} // namespace

void write_neighbours()
{
    write_value(configuration, "InstallPath", REG_SZ, install_path);
    write_value(configuration, "Flags", REG_BINARY, flags);
}

void expect_neighbours_untouched()
{
    const StoredValue path = read_value("InstallPath");
    EXPECT_EQ(path.type, REG_SZ);
    EXPECT_EQ(path.bytes, install_path);
    const StoredValue binary = read_value("Flags");
    EXPECT_EQ(binary.type, REG_BINARY);
    EXPECT_EQ(binary.bytes, flags);
}
