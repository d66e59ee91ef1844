#include "harness_posix.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

namespace {

// Each test program gets a store of its own, so tests may run side by side.
fs::path test_root()
{
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "bundle-answer-tests-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        // The restricted user must reach the store to be refused by it.
        fs::permissions(pattern, fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
        return fs::path(pattern);
    }();
    return root;
}

// Whatever the tests leave goes with the program's last test.
class RemoveTestRoot : public ::testing::Environment {
    void TearDown() override
    {
        reset_registry();
        fs::remove_all(test_root());
    }
};
const auto *const remove_test_root = ::testing::AddGlobalTestEnvironment(new RemoveTestRoot);

std::string program_path()
{
    return (fs::read_symlink("/proc/self/exe").parent_path() / "bundle-answer").string();
}

} // namespace

StartedRun start_run(const std::vector<std::string> &args, Caller caller,
                     const std::string &directory)
{
    std::vector<std::string> command{program_path()};
    if (caller == Caller::restricted_user && geteuid() == 0) {
        // nobody may not reach the build tree (a checkout under /root, say),
        // so it runs a copy from the test's own directory.
        const fs::path copy = test_root() / "bundle-answer";
        fs::copy_file(command[0], copy, fs::copy_options::overwrite_existing);
        command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--",
                   copy.string()};
    }
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    std::string output_path = (test_root() / "output-XXXXXX").string();
    StartedRun started{-1, mkstemp(output_path.data())};
    unlink(output_path.c_str());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, started.output, 1);
    posix_spawn_file_actions_adddup2(&actions, started.output, 2);
    if (!directory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    const int error = posix_spawn(&started.pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        ADD_FAILURE() << "cannot start " << argv[0] << ": " << strerror(error);
        started.pid = -1;
    }
    return started;
}

ProgramRun finish_run(const StartedRun &started)
{
    ProgramRun run{-1, {}};
    int status;
    if (started.pid > 0 && waitpid(started.pid, &status, 0) == started.pid && WIFEXITED(status))
        run.exit_code = WEXITSTATUS(status);
    char buffer[4096];
    ssize_t got;
    lseek(started.output, 0, SEEK_SET);
    while ((got = read(started.output, buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<std::size_t>(got));
    close(started.output);
    return run;
}

const int runs_at_once = 200;

fs::path store_directory()
{
    return test_root() / "store";
}

fs::path key_directory(const char *key_path)
{
    std::string path = key_path;
    std::replace(path.begin(), path.end(), '\\', '/');
    return store_directory() / "HKEY_LOCAL_MACHINE" / path;
}

std::vector<std::string> key_leftovers(const char *key_path)
{
    std::vector<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(key_directory(key_path))) {
        if (entry.path().filename().string()[0] == '.')
            names.push_back(entry.path().filename().string());
    }
    return names;
}

void reset_registry()
{
    const fs::path store = store_directory();
    // Refused keys are read-only directories: open them up so they can go.
    std::error_code ignored;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(store, ignored)) {
        if (entry.is_directory())
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    }
    fs::remove_all(test_root() / "scratch");
    fs::remove_all(store);
    setenv("WINREG_ROOT", store.c_str(), 1);
}

void refuse_changes(const char *key_path)
{
    const fs::path key = key_directory(key_path);
    ASSERT_TRUE(fs::is_directory(key)) << key;
    fs::permissions(key, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

std::string make_scratch_directory()
{
    std::string pattern = (test_root() / "scratch").string();
    fs::create_directories(pattern);
    pattern += "/XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp: " << strerror(errno);
    return pattern;
}

bool running_under_wine()
{
    return false;
}
