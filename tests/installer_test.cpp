// The setup programs that carry bundle-answer, the NSIS one, the Windows
// Installer package and the Inno Setup one, run silently as deployment tools
// run them, and checked by what they leave on the machine.

#include "registry_checks.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <shlobj.h>

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

constexpr char uninstall_key[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvaro Brisolde";
constexpr char product_key[] = "SOFTWARE\\Kelvaro\\Brisolde";

fs::path beside_tests(const fs::path &relative)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return fs::path(std::string(path, length)).parent_path() / relative;
}

// Where $PROGRAMFILES32 is: for a 32-bit program like this one, that is the
// Program Files folder the system gives it.
fs::path install_directory()
{
    char path[MAX_PATH];
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path), S_OK);
    return fs::path(path) / "Kelvaro" / "Brisolde";
}

// How many processes of `job` are still running, not counting Wine's desktop
// process: the first window of a prefix starts it, it joins the job of the
// program that made that window, and it stays for as long as the prefix.
std::size_t running_in(HANDLE job)
{
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more_ids[63];
    } ids{};
    ids.list.NumberOfAssignedProcesses = 64;
    QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr);
    std::size_t running = 0;
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i) {
        const DWORD id = static_cast<DWORD>(ids.list.ProcessIdList[i]);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        char image[MAX_PATH] = "";
        DWORD length = sizeof image;
        if (process != nullptr) {
            QueryFullProcessImageNameA(process, 0, image, &length);
            CloseHandle(process);
        }
        if (_stricmp(fs::path(image).filename().string().c_str(), "explorer.exe") != 0)
            ++running;
    }
    return running;
}

// Runs `command_line` and waits for it and every process it starts: the
// uninstaller hands over to a copy of itself and returns at once.
DWORD run_to_completion(std::string command_line)
{
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "CreateProcessA(" << command_line << ") failed: " << GetLastError();
        CloseHandle(job);
        return ~DWORD{0};
    }
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code;
    GetExitCodeProcess(process.hProcess, &exit_code);
    std::size_t running = running_in(job);
    for (int waited_ms = 0; running > 0 && waited_ms < 60000; waited_ms += 50) {
        Sleep(50);
        running = running_in(job);
    }
    EXPECT_EQ(running, 0u) << command_line << " left processes running";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
    return exit_code;
}

DWORD run_setup(const std::string &arguments)
{
    return run_to_completion('"' + beside_tests("package/" SETUP_FILE_NAME).string() + "\" /S " +
                             arguments);
}

DWORD run_uninstaller()
{
    return run_to_completion('"' + (install_directory() / "uninstall.exe").string() + "\" /S");
}

DWORD run_msiexec(const std::string &arguments, const char *package = "package/" MSI_FILE_NAME)
{
    return run_to_completion("msiexec " + arguments + " \"" + beside_tests(package).string() + '"');
}

std::string file_bytes(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

DWORD run_inno_setup(const std::string &arguments)
{
    return run_to_completion('"' + beside_tests("package/" INNO_FILE_NAME).string() +
                             "\" /VERYSILENT /SUPPRESSMSGBOXES " + arguments);
}

fs::path inno_uninstaller()
{
    return install_directory() / "unins000.exe";
}

DWORD run_inno_uninstaller()
{
    return run_to_completion('"' + inno_uninstaller().string() +
                             "\" /VERYSILENT /SUPPRESSMSGBOXES");
}

// Every copy of the helper where setup programs put theirs: the temporary
// folders and Windows Installer's own, by its name or, under any name (the
// package's custom action writes it as MSI*.tmp), by its bytes.
std::vector<fs::path> helpers_left_behind()
{
    static const std::string helper = file_bytes(beside_tests("bundle-answer.exe"));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::vector<fs::path> left;
    for (const fs::path &folder :
         {fs::temp_directory_path(), fs::path(windows) / "Temp", fs::path(windows) / "Installer"}) {
        std::error_code unreadable;
        for (fs::recursive_directory_iterator it(folder, unreadable), end; it != end;
             it.increment(unreadable)) {
            const std::uintmax_t size = it->file_size(unreadable);
            if (_stricmp(it->path().filename().string().c_str(), "bundle-answer.exe") == 0 ||
                (size == helper.size() && file_bytes(it->path()) == helper))
                left.push_back(it->path());
        }
    }
    return left;
}

void expect_files_installed()
{
    for (const char *file : {"README.md", "LICENSE"})
        EXPECT_TRUE(fs::is_regular_file(install_directory() / file)) << file;
    EXPECT_EQ(helpers_left_behind(), std::vector<fs::path>{});
}

// The files, and the Add/Remove Programs entry that describes them.
void expect_installed()
{
    expect_files_installed();
    std::uintmax_t installed_bytes = 0;
    for (const char *file : {"README.md", "LICENSE", "uninstall.exe"})
        installed_bytes += fs::file_size(install_directory() / file);
    const std::string uninstaller = (install_directory() / "uninstall.exe").string();
    const std::pair<const char *, std::string> entry[] = {
        {"DisplayName", "Brisolde"},
        {"DisplayIcon", uninstaller},
        {"Publisher", "Kelvaro"},
        {"URLInfoAbout", HOMEPAGE_URL},
        {"UninstallString", '"' + uninstaller + '"'},
        {"QuietUninstallString", '"' + uninstaller + "\" /S"},
    };
    for (const auto &[name, text] : entry) {
        const StoredValue value = read_value(uninstall_key, name);
        EXPECT_EQ(value.type, REG_SZ) << name;
        EXPECT_EQ(value.bytes, text + '\0') << name;
    }
    // In KiB, rounded down, as NSIS measures it.
    const StoredValue size = read_value(uninstall_key, "EstimatedSize");
    EXPECT_EQ(size.type, REG_DWORD);
    DWORD kib = 0;
    std::memcpy(&kib, size.bytes.data(), std::min(size.bytes.size(), sizeof kib));
    EXPECT_EQ(kib, installed_bytes / 1024) << installed_bytes << " bytes installed";
}

// A value that another program keeps beside the product's keys.
const std::string edition = "Home\0"s;

// After an uninstall: the answer's keys are gone, the neighbour stays.
void expect_only_the_neighbour_left()
{
    EXPECT_EQ(key_status("SOFTWARE\\Kelvaro\\Brisolde\\CurrentVersion"), ERROR_FILE_NOT_FOUND);
    const StoredValue kept = read_value(product_key, "Edition");
    EXPECT_EQ(kept.type, REG_SZ);
    EXPECT_EQ(kept.bytes, edition);
}

// Nothing installed: no product key, uninstall entry or files.
class Installer : public FreshRegistry {
  protected:
    void SetUp() override
    {
        TearDown();
    }

    struct SilentInstall {
        const char *arguments;
        const std::string &stored;
    };
    // Installs from nothing with each command line in turn, and checks what
    // each one recorded and put down.
    void expect_each_records(const std::vector<SilentInstall> &installs,
                             const std::function<DWORD(const std::string &)> &install,
                             void (*expect_put_down)())
    {
        for (const SilentInstall &each : installs) {
            SCOPED_TRACE(each.arguments);
            TearDown();
            EXPECT_EQ(install(each.arguments), 0u);
            expect_answer(each.stored);
            expect_put_down();
        }
    }
    void TearDown() override
    {
        FreshRegistry::TearDown();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, uninstall_key);
        fs::remove_all(install_directory().parent_path());
    }
};

// Nothing installed, by either package.
class WindowsInstaller : public Installer {
  protected:
    void TearDown() override
    {
        for (const char *package : {"package/" MSI_FILE_NAME, "tests/upgrade/upgrade.msi"})
            run_msiexec("/qn /x", package);
        Installer::TearDown();
    }
};

} // namespace

TEST_F(Installer, SilentInstallRecordsTheAnswerGiven)
{
    expect_each_records({{"/BUNDLE=yes", stored_yes},
                         {"/bundle=YES", stored_yes},
                         {"/BUNDLE=no", stored_no},
                         {"", stored_no},
                         {"/BUNDLE=maybe", stored_no}},
                        run_setup, expect_installed);
}

TEST_F(Installer, InstallingAgainChangesTheAnswer)
{
    EXPECT_EQ(run_setup("/BUNDLE=yes"), 0u);
    expect_answer(stored_yes);
    EXPECT_EQ(run_setup("/BUNDLE=no"), 0u);
    expect_answer(stored_no);
    expect_installed();
}

TEST_F(Installer, UninstallRemovesOnlyWhatSetupPutDown)
{
    write_value(product_key, "Edition", REG_SZ, edition);
    EXPECT_EQ(run_setup("/BUNDLE=yes"), 0u);
    expect_answer(stored_yes);
    EXPECT_EQ(run_uninstaller(), 0u);
    EXPECT_FALSE(fs::exists(install_directory().parent_path()));
    EXPECT_EQ(key_status(uninstall_key), ERROR_FILE_NOT_FOUND);
    expect_only_the_neighbour_left();
}

// Nothing installed, by the Inno Setup program either.
class InnoSetup : public Installer {
  protected:
    void TearDown() override
    {
        if (fs::exists(inno_uninstaller()))
            run_inno_uninstaller();
        Installer::TearDown();
    }
};

TEST_F(InnoSetup, TheOfferTaskChoosesTheAnswer)
{
    expect_each_records({{"/TASKS=bundle", stored_yes}, {"", stored_no}, {"/TASKS=", stored_no}},
                        run_inno_setup, expect_files_installed);
}

TEST_F(InnoSetup, ReinstallStartsFromAnUntickedOffer)
{
    EXPECT_EQ(run_inno_setup("/TASKS=bundle"), 0u);
    expect_answer(stored_yes);
    EXPECT_EQ(run_inno_setup(""), 0u);
    expect_answer(stored_no);
    expect_files_installed();
}

TEST_F(InnoSetup, UninstallRemovesOnlyWhatSetupPutDown)
{
    write_value(product_key, "Edition", REG_SZ, edition);
    EXPECT_EQ(run_inno_setup("/TASKS=bundle"), 0u);
    expect_answer(stored_yes);
    EXPECT_EQ(run_inno_uninstaller(), 0u);
    EXPECT_FALSE(fs::exists(install_directory()));
    expect_only_the_neighbour_left();
}

TEST_F(WindowsInstaller, BundlePropertyChoosesTheAnswer)
{
    expect_each_records(
        {{"BUNDLE=yes", stored_yes},
         {"BUNDLE=YES", stored_yes},
         {"BUNDLE=Yes", stored_yes},
         {"BUNDLE=no", stored_no},
         {"", stored_no},
         {"BUNDLE=maybe", stored_no}},
        [](const std::string &property) { return run_msiexec(property + " /qn /i"); },
        expect_files_installed);
}

TEST_F(WindowsInstaller, MajorUpgradeRecordsTheNewAnswer)
{
    EXPECT_EQ(run_msiexec("BUNDLE=yes /qn /i"), 0u);
    expect_answer(stored_yes);
    EXPECT_EQ(run_msiexec("BUNDLE=no /qn /i", "tests/upgrade/upgrade.msi"), 0u);
    expect_answer(stored_no);
    expect_files_installed();
}

TEST_F(WindowsInstaller, UninstallRemovesOnlyWhatSetupPutDown)
{
    write_value(product_key, "Edition", REG_SZ, edition);
    EXPECT_EQ(run_msiexec("BUNDLE=yes /qn /i"), 0u);
    expect_answer(stored_yes);
    EXPECT_EQ(run_msiexec("/qn /x"), 0u);
    EXPECT_FALSE(fs::exists(install_directory()));
    expect_only_the_neighbour_left();
}
