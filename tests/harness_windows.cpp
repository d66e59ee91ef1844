#include "harness.h"

#include <windows.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <sddl.h>

namespace {

// Under SOFTWARE, in the 32-bit view that the program writes to.
constexpr char product_key[] = "Kelvaro";
// Everyone may read, nobody may set values or add subkeys (0x6).
constexpr char refusing_dacl[] = "D:(D;;0x6;;;WD)(A;;KA;;;WD)";
constexpr char open_dacl[] = "D:(A;;KA;;;WD)";

std::filesystem::path scratch_root()
{
    return std::filesystem::temp_directory_path() /
           ("bundle-answer-tests-" + std::to_string(GetCurrentProcessId()));
}

std::string program_path()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::filesystem::path(std::string(path, length))
        .replace_filename("bundle-answer.exe")
        .string();
}

// Quoted so that msvcrt's start-up gives back exactly `argument`: backslashes
// are doubled only where a quote follows them.
std::string quote_argument(const std::string &argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

// The key's owner may always rewrite its DACL, refusing or not.
LONG set_dacl(const char *key_path, const char *dacl)
{
    HKEY key;
    const LONG status =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, WRITE_DAC | KEY_WOW64_32KEY, &key);
    if (status != ERROR_SUCCESS)
        return status;
    PSECURITY_DESCRIPTOR descriptor;
    LONG set = ERROR_INVALID_PARAMETER;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(dacl, SDDL_REVISION_1, &descriptor,
                                                             nullptr)) {
        set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        LocalFree(descriptor);
    }
    RegCloseKey(key);
    return set;
}

} // namespace

// The restricted user runs as any other caller: the refusals under Wine name everyone.
StartedRun start_run(const std::vector<std::string> &args, Caller /* caller */,
                     const std::string &directory)
{
    std::string command_line = quote_argument(program_path());
    for (const std::string &argument : args)
        command_line += ' ' + quote_argument(argument);

    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    char output_path[MAX_PATH];
    GetTempFileNameA(std::filesystem::temp_directory_path().string().c_str(), "ba", 0, output_path);
    StartedRun started{{},
                       CreateFileA(output_path, GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   &inherited, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr)};
    HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                               OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = started.output;
    startup.hStdError = started.output;
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup,
                        &started.process)) {
        ADD_FAILURE() << "CreateProcessA(" << command_line << ") failed: " << GetLastError();
        started.process.hProcess = nullptr;
    }
    CloseHandle(input);
    return started;
}

ProgramRun finish_run(const StartedRun &started)
{
    ProgramRun run{-1, {}};
    if (started.process.hProcess != nullptr) {
        WaitForSingleObject(started.process.hProcess, INFINITE);
        DWORD exit_code;
        GetExitCodeProcess(started.process.hProcess, &exit_code);
        run.exit_code = static_cast<int>(exit_code);
        CloseHandle(started.process.hThread);
        CloseHandle(started.process.hProcess);
        SetFilePointer(started.output, 0, nullptr, FILE_BEGIN);
        char buffer[4096];
        DWORD got;
        while (ReadFile(started.output, buffer, sizeof buffer, &got, nullptr) && got > 0)
            run.output.append(buffer, got);
    }
    CloseHandle(started.output);
    return run;
}

const int runs_at_once = 20;

std::vector<std::string> key_leftovers(const char * /* key_path */)
{
    return {};
}

void reset_registry()
{
    set_dacl("SOFTWARE\\Kelvaro\\Brisolde\\CurrentVersion", open_dacl);
    set_dacl("SOFTWARE\\Kelvaro\\Brisolde\\CurrentVersion\\Configuration", open_dacl);
    HKEY software;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                            &software),
              ERROR_SUCCESS);
    const LONG status = RegDeleteTreeA(software, product_key);
    RegCloseKey(software);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
    std::filesystem::remove_all(scratch_root());
}

void refuse_changes(const char *key_path)
{
    ASSERT_EQ(set_dacl(key_path, refusing_dacl), ERROR_SUCCESS) << key_path;
}

std::string make_scratch_directory()
{
    static int made = 0;
    const std::filesystem::path directory = scratch_root() / std::to_string(++made);
    std::filesystem::create_directories(directory);
    return directory.string();
}

bool running_under_wine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}
