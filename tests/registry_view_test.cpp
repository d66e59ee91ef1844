// Where the answer lands as the machine's own 64-bit programs see it. On
// 64-bit Windows our 32-bit program writes through WOW64 into the 32-bit view,
// which a 64-bit reader finds under SOFTWARE\WOW6432Node; 32-bit Windows has
// one view. Asking for any other view would move the answer away from the
// 32-bit readers of the key.

#include "bundle_answer_reader.h"
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

// A process whose registry Windows virtualizes may read a "yes" that the
// user planted in their VirtualStore: the reader believes none of it.
TEST_F(RegistryView, AVirtualizedReaderFindsNoAnswer)
{
    expect_quiet_success(run_bundle_answer({"-y"}));
    HANDLE token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_ADJUST_DEFAULT, &token));
    DWORD enabled = 1;
    DWORD size;
    SetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof enabled);
    const bool virtualized =
        GetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof enabled, &size) &&
        enabled;
    if (virtualized) {
        EXPECT_EQ(read_bundle_answer(), bundle_answer_not_recorded);
    }
    enabled = 0;
    SetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof enabled);
    CloseHandle(token);
    EXPECT_EQ(read_bundle_answer(), bundle_answer_yes);
    if (!virtualized)
        GTEST_SKIP() << (running_under_wine() ? "Wine does not virtualize the registry"
                                              : "this token may not be virtualized (elevated?)");
}
