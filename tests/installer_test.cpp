// The setups that carry bundle-answer, one for each engine (NSIS, Windows
// Installer, Inno Setup), run silently as deployment tools run them, and
// checked by what they leave on the machine: one table, one row an engine.

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

DWORD run_nsis_setup(const std::string &arguments)
{
    return run_to_completion('"' + beside_tests("package/" NSIS_SETUP_FILE_NAME).string() +
                             "\" /S " + arguments);
}

DWORD run_nsis_uninstaller()
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
    return run_to_completion('"' + beside_tests("package/" INNO_SETUP_FILE_NAME).string() +
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

// Wine refuses to start the helper: it may not load the registry API. As
// policy or antivirus might stop it on Windows.
constexpr char helper_settings[] = "Software\\Wine\\AppDefaults\\bundle-answer.exe";

void keep_helper_from_starting()
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (helper_settings + "\\DllOverrides"s).c_str(), 0,
                              nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "advapi32", 0, REG_SZ, reinterpret_cast<const BYTE *>(""), 1);
    RegCloseKey(key);
}

void let_helper_start()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, helper_settings);
}

struct SilentInstall {
    const char *arguments;
    const std::string &stored;
};

// How one engine's setup is installed, installed again and removed.
struct Engine {
    const char *name;
    DWORD (*install)(const std::string &arguments);
    DWORD (*uninstall)();
    // The answer each command line records, the first for "yes", the
    // second for "no".
    std::vector<SilentInstall> answers;
    // Installs over one that answered "yes", and what each records.
    std::vector<SilentInstall> over_yes;
    void (*expect_put_down)();
    void (*expect_removed)();
    // Removes whatever an install of it left, whatever state it is in.
    void (*remove)();
};

void remove_install_folder()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, uninstall_key);
    fs::remove_all(install_directory().parent_path());
}

const Engine nsis{
    "nsis",
    run_nsis_setup,
    run_nsis_uninstaller,
    {{"/BUNDLE=yes", stored_yes},
     {"/BUNDLE=no", stored_no},
     {"/bundle=YES", stored_yes},
     {"", stored_no},
     {"/BUNDLE=maybe", stored_no}},
    {{"/BUNDLE=no", stored_no}},
    expect_installed,
    [] {
        EXPECT_FALSE(fs::exists(install_directory().parent_path()));
        EXPECT_EQ(key_status(uninstall_key), ERROR_FILE_NOT_FOUND);
    },
    [] {},
};

const Engine msi{
    "msi",
    [](const std::string &property) { return run_msiexec(property + " /qn /i"); },
    [] { return run_msiexec("/qn /x"); },
    {{"BUNDLE=yes", stored_yes},
     {"BUNDLE=no", stored_no},
     {"BUNDLE=YES", stored_yes},
     {"BUNDLE=Yes", stored_yes},
     {"", stored_no},
     {"BUNDLE=maybe", stored_no}},
    // A repair or reinstall leaves the answer as it was given.
    {{"REINSTALL=ALL REINSTALLMODE=omus", stored_yes},
     {"BUNDLE=no REINSTALL=ALL REINSTALLMODE=omus", stored_yes}},
    expect_files_installed,
    [] { EXPECT_FALSE(fs::exists(install_directory())); },
    [] {
        for (const char *package : {"package/" MSI_FILE_NAME, "tests/upgrade/upgrade.msi"})
            run_msiexec("/qn /x", package);
    },
};

const Engine inno{
    "inno",
    run_inno_setup,
    run_inno_uninstaller,
    {{"/BUNDLE=yes", stored_yes},
     {"/BUNDLE=no", stored_no},
     {"/bundle=YES", stored_yes},
     {"", stored_no},
     {"/BUNDLE=maybe", stored_no}},
    // Every install starts from an unticked offer.
    {{"", stored_no}},
    expect_files_installed,
    [] { EXPECT_FALSE(fs::exists(install_directory())); },
    [] {
        if (fs::exists(inno_uninstaller()))
            run_inno_uninstaller();
    },
};

// Nothing installed by any engine: no product key, uninstall entry or files.
class Setup : public FreshRegistry, public ::testing::WithParamInterface<const Engine *> {
  protected:
    const Engine &engine = *GetParam();

    void SetUp() override
    {
        TearDown();
    }
    void TearDown() override
    {
        engine.remove();
        let_helper_start();
        FreshRegistry::TearDown();
        remove_install_folder();
    }
    // Installs, answering "yes".
    void install_yes()
    {
        EXPECT_EQ(engine.install(engine.answers[0].arguments), 0u);
        expect_answer(stored_yes);
    }
};

} // namespace

std::string engine_name(const ::testing::TestParamInfo<const Engine *> &engine)
{
    return engine.param->name;
}

INSTANTIATE_TEST_SUITE_P(Engines, Setup, ::testing::Values(&nsis, &msi, &inno), engine_name);

TEST_P(Setup, SilentInstallRecordsTheAnswerGiven)
{
    for (const SilentInstall &each : engine.answers) {
        SCOPED_TRACE(each.arguments);
        TearDown();
        EXPECT_EQ(engine.install(each.arguments), 0u);
        expect_answer(each.stored);
        engine.expect_put_down();
    }
}

TEST_P(Setup, InstallingAgainOverYes)
{
    for (const SilentInstall &each : engine.over_yes) {
        SCOPED_TRACE(each.arguments);
        TearDown();
        install_yes();
        EXPECT_EQ(engine.install(each.arguments), 0u);
        expect_answer(each.stored);
        engine.expect_put_down();
    }
}

TEST_P(Setup, UninstallRemovesOnlyWhatSetupPutDown)
{
    write_value(product_key, "Edition", REG_SZ, edition);
    install_yes();
    EXPECT_EQ(engine.uninstall(), 0u);
    engine.expect_removed();
    expect_only_the_neighbour_left();
}

// The setups that remove an earlier answer before the helper runs. The
// Windows Installer package needs not: a major upgrade removes the older
// product, and its key, first.
using SetupRemovingTheAnswerFirst = Setup;
INSTANTIATE_TEST_SUITE_P(Engines, SetupRemovingTheAnswerFirst, ::testing::Values(&nsis, &inno),
                         engine_name);

// Should the helper not run, an earlier "yes" does not outlive an install
// that answered "no": the worst case is no answer, which means no consent.
TEST_P(SetupRemovingTheAnswerFirst, AHelperThatCannotRunLeavesNoYes)
{
    const char *no = engine.answers[1].arguments;
    write_value(configuration, answer_value, REG_SZ, stored_yes);
    keep_helper_from_starting();
    EXPECT_EQ(engine.install(no), 0u);
    EXPECT_EQ(read_value(answer_value).status, ERROR_FILE_NOT_FOUND);

    let_helper_start();
    write_value(configuration, answer_value, REG_SZ, stored_yes);
    EXPECT_EQ(engine.install(no), 0u);
    expect_answer(stored_no);
}

// Nothing installed by the Windows Installer package, of either version.
class WindowsInstaller : public FreshRegistry {
  protected:
    void SetUp() override
    {
        TearDown();
    }
    void TearDown() override
    {
        msi.remove();
        FreshRegistry::TearDown();
        remove_install_folder();
    }
};

TEST_F(WindowsInstaller, MajorUpgradeRecordsTheNewAnswer)
{
    EXPECT_EQ(run_msiexec("BUNDLE=yes /qn /i"), 0u);
    expect_answer(stored_yes);
    EXPECT_EQ(run_msiexec("BUNDLE=no /qn /i", "tests/upgrade/upgrade.msi"), 0u);
    expect_answer(stored_no);
    expect_files_installed();
}

// With its full user interface, someone is installing by hand: the package
// shows no offer, so a command line's BUNDLE=yes is no one's consent.
TEST_F(WindowsInstaller, TheFullInterfaceTakesNoYesFromTheCommandLine)
{
    EXPECT_EQ(run_msiexec("BUNDLE=yes /qf /i"), 0u);
    expect_answer(stored_no);
}
