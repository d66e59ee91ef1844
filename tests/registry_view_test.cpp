// Where the answer lands as the machine's own 64-bit programs see it. On
// 64-bit Windows our 32-bit program writes through WOW64 into the 32-bit view,
// which a 64-bit reader finds under SOFTWARE\WOW6432Node; 32-bit Windows has
// one view. Asking for any other view would move the answer away from the
// 32-bit readers of the key.

#include "registry_checks.h"

#include <gtest/gtest.h>

namespace {

constexpr char wow64_configuration[] =
    "SOFTWARE\\WOW6432Node\\Kelvaro\\Brisolde\\CurrentVersion\\Configuration";

bool on_64bit_windows()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// A key as a 64-bit program opens it.
LONG open_64bit_view(const char *key_path, HKEY *key)
{
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key);
}

} // namespace

using RegistryView = FreshRegistry;

TEST_F(RegistryView, SixtyFourBitReadersFindTheAnswerInThe32BitView)
{
    for (const auto &[args, stored] : {std::pair{std::vector<std::string>{"-y"}, stored_yes},
                                       std::pair{std::vector<std::string>{}, stored_no}}) {
        expect_quiet_success(run_bundle_answer(args));
        const bool wow64 = on_64bit_windows();
        const StoredValue value =
            read_value(wow64 ? wow64_configuration : configuration, answer_value, KEY_WOW64_64KEY);
        EXPECT_EQ(value.status, ERROR_SUCCESS) << (wow64 ? "64-bit Windows" : "32-bit Windows");
        EXPECT_EQ(value.type, REG_SZ);
        EXPECT_EQ(value.bytes, stored);
        if (wow64) {
            HKEY key;
            EXPECT_EQ(open_64bit_view("SOFTWARE\\Kelvaro", &key), ERROR_FILE_NOT_FOUND);
        }
    }
}
