// What only the directory-tree store does: its file format, how it names
// entries, and that a value is never seen half written.

#include "repeat_in_background.h"
#include "store_names.h"
#include "win32.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

using namespace std::string_literals;

namespace {

std::string file_bytes(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::set<std::string> entries(const fs::path &directory)
{
    std::set<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

class Store : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "store-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        setenv("WINREG_ROOT", (root_ / "store").c_str(), 1);
        machine_ = root_ / "store" / "HKEY_LOCAL_MACHINE";
    }
    void TearDown() override
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
        fs::remove_all(root_);
    }

    void open(const char *path, DWORD expected_disposition = REG_CREATED_NEW_KEY)
    {
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key_, &disposition),
                  ERROR_SUCCESS);
        EXPECT_EQ(disposition, expected_disposition);
    }
    LONG set(const std::string &name, const std::string &data, DWORD type = REG_SZ)
    {
        return RegSetValueExA(key_, name.c_str(), 0, type,
                              reinterpret_cast<const BYTE *>(data.data()),
                              static_cast<DWORD>(data.size()));
    }
    LONG get(const std::string &name, std::string *data)
    {
        char buffer[256];
        DWORD size = sizeof buffer;
        const LONG status = RegQueryValueExA(key_, name.c_str(), nullptr, nullptr,
                                             reinterpret_cast<BYTE *>(buffer), &size);
        data->assign(buffer, status == ERROR_SUCCESS ? size : 0);
        return status;
    }

    fs::path root_;
    fs::path machine_;
    HKEY key_ = nullptr;
};

} // namespace

TEST_F(Store, ValueFileIsTypeThenDataAndNothingElseIsLeft)
{
    open("SOFTWARE\\Kelvaro\\Brisolde\\CurrentVersion\\Configuration");
    ASSERT_EQ(set("bundle_reg_data", "no\0"s), ERROR_SUCCESS);
    ASSERT_EQ(set("bundle_reg_data", "yes\0"s), ERROR_SUCCESS);
    const fs::path key = machine_ / "SOFTWARE/Kelvaro/Brisolde/CurrentVersion/Configuration";
    EXPECT_EQ(file_bytes(key / "bundle_reg_data"), "\x01\0\0\0yes\0"s);
    EXPECT_EQ(entries(key), std::set<std::string>{"bundle_reg_data"});
}

TEST_F(Store, NamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    fs::create_directories(machine_ / "software");
    open("SOFTWARE\\Kelvaro");
    EXPECT_EQ(entries(machine_), std::set<std::string>{"software"});
    RegCloseKey(key_);
    open("Software\\KELVARO", REG_OPENED_EXISTING_KEY);

    ASSERT_EQ(set("Answer", "first"), ERROR_SUCCESS);
    ASSERT_EQ(set("ANSWER", "second"), ERROR_SUCCESS);
    EXPECT_EQ(entries(machine_ / "software/Kelvaro"), std::set<std::string>{"Answer"});
    std::string data;
    EXPECT_EQ(get("answer", &data), ERROR_SUCCESS);
    EXPECT_EQ(data, "second");
}

TEST_F(Store, HostileNamesStayInsideTheirKey)
{
    open("SOFTWARE\\..\\..\\.\\%2E%2E");
    const fs::path key = machine_ / "SOFTWARE/%2E./%2E./%2E/%252E%252E";
    EXPECT_TRUE(fs::is_directory(key));
    for (const std::string &name :
         std::vector<std::string>{"..", ".", "../../../escape", "a/b", ".hidden", "\x7F\xFF\n",
                                  "%2F", "", std::string(85, '/')}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(set(name, name), ERROR_SUCCESS);
        std::string data;
        EXPECT_EQ(get(name, &data), ERROR_SUCCESS);
        EXPECT_EQ(data, name);
    }
    EXPECT_EQ(set(std::string(86, '/'), "x"), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(set(std::string(256, 'x'), "x"), ERROR_FILENAME_EXCED_RANGE);
    // Key names alike: each is one directory right under its parent.
    for (const std::string &name : std::vector<std::string>{
             "a/b", ".x", "\xC3\xA9\xFF", "/..", std::string(255, 'k'), std::string(256, 'k')}) {
        SCOPED_TRACE(name);
        HKEY subkey;
        const LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\" + name).c_str(), 0,
                                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &subkey, nullptr);
        EXPECT_EQ(status, name.size() > 255 ? ERROR_FILENAME_EXCED_RANGE : ERROR_SUCCESS);
        if (status == ERROR_SUCCESS)
            RegCloseKey(subkey);
    }
    EXPECT_EQ(entries(machine_ / "SOFTWARE"),
              (std::set<std::string>{"%2E.", "%2Ex", "%2F..", "%C3%A9%FF", "a%2Fb",
                                     std::string(255, 'k')}));
    // Everything written lies in the key's own directory, under names that
    // neither hide nor nest.
    EXPECT_EQ(entries(root_), std::set<std::string>{"store"});
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root_)) {
        const std::string path = entry.path().string();
        if (!entry.is_directory()) {
            EXPECT_EQ(entry.path().parent_path(), key) << path;
        }
        EXPECT_NE(entry.path().filename().string()[0], '.') << path;
    }
}

TEST_F(Store, TemporaryFilesAreNeverValues)
{
    open("SOFTWARE\\Kelvaro");
    const fs::path key = machine_ / "SOFTWARE/Kelvaro";
    std::ofstream(key / ".tmp.1.0") << "\x01\0\0\0yes\0"s;
    std::string data;
    EXPECT_EQ(get(".tmp.1.0", &data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(get(".TMP.1.0", &data), ERROR_FILE_NOT_FOUND);
}

TEST_F(Store, ReadersSeeOnlyWholeValuesWhileTheyAreReplaced)
{
    open("SOFTWARE\\Kelvaro");
    ASSERT_EQ(set("bundle_reg_data", "no\0"s), ERROR_SUCCESS);
    HKEY reader_key;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kelvaro", 0, KEY_QUERY_VALUE, &reader_key),
        ERROR_SUCCESS);
    std::atomic<int> reads{0}, torn{0};
    {
        RepeatInBackground reader([&] {
            char buffer[8];
            DWORD size = sizeof buffer;
            const LONG status = RegQueryValueExA(reader_key, "bundle_reg_data", nullptr, nullptr,
                                                 reinterpret_cast<BYTE *>(buffer), &size);
            const std::string data(buffer, status == ERROR_SUCCESS ? size : 0);
            if (data != "yes\0"s && data != "no\0"s)
                ++torn;
            ++reads;
        });
        for (int i = 0; i < 400; ++i)
            ASSERT_EQ(set("bundle_reg_data", i % 2 ? "no\0"s : "yes\0"s), ERROR_SUCCESS);
    }
    RegCloseKey(reader_key);
    EXPECT_EQ(torn, 0);
    EXPECT_GT(reads, 0);
}

TEST(StoreNames, EncodeToOneSafeComponentAndBack)
{
    const std::pair<std::string, std::string> table[] = {
        {"bundle_reg_data", "bundle_reg_data"},
        {"", "%"},
        {".", "%2E"},
        {"..", "%2E."},
        {"a/b\\c", "a%2Fb%5Cc"},
        {"50%", "50%25"},
        {"a.b ", "a.b "},
        {"\x01\x7F\xFF", "%01%7F%FF"},
    };
    for (const auto &[name, entry] : table) {
        std::string encoded, decoded;
        EXPECT_TRUE(store::encode_store_name(name, &encoded));
        EXPECT_EQ(encoded, entry);
        EXPECT_TRUE(store::decode_store_name(entry, &decoded));
        EXPECT_EQ(decoded, name);
    }
    // Anything else in a key's directory stands for no name at all.
    for (const char *stray : {".tmp.1.0", "..", "%41", "%2e", "%4", "a%"}) {
        std::string decoded;
        EXPECT_FALSE(store::decode_store_name(stray, &decoded)) << stray;
    }
}
