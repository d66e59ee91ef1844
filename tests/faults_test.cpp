// The native program against a store that fails under it: runs killed half
// way, keys it cannot write, a read-only file system, a full disk. Whatever
// happens, every run is silent, exits 0 and leaves every value whole.

#include "harness_posix.h"
#include "registry_checks.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sched.h>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Faults : public ::testing::Test {
  protected:
    void SetUp() override
    {
        reset_registry();
        write_value(configuration, answer_value, REG_SZ, stored_no);
        write_neighbours();
    }
    void TearDown() override
    {
        if (mounted_)
            umount2(store_directory().c_str(), MNT_DETACH);
        reset_registry();
    }

    // Mounts over the store in a mount namespace of this test's own, so
    // nothing outside the test sees it. Only root may.
    bool mount_over_store(const char *source, const char *type, unsigned long flags,
                          const char *options)
    {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
            return false;
        const std::string store = store_directory().string();
        mounted_ = mount(source, store.c_str(), type, flags, options) == 0;
        return mounted_;
    }

    bool mounted_ = false;
};

void expect_store_intact()
{
    expect_answer(stored_no);
    expect_neighbours_untouched();
    EXPECT_EQ(key_leftovers(configuration), std::vector<std::string>{});
}

} // namespace

TEST_F(Faults, KilledRunsNeverTearTheAnswer)
{
    std::atomic<bool> storming{true};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (storming) {
            const StoredValue value = read_value(answer_value);
            if (value.status != ERROR_SUCCESS ||
                (value.bytes != stored_yes && value.bytes != stored_no))
                ++torn;
        }
    });
    // Each wave kills its runs at random moments of the first milliseconds,
    // in which they start, write and flush; some finish first.
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> moment_us(0, 1000);
    int killed = 0, finished = 0;
    for (int wave = 0; wave < 100 && killed < 300; ++wave) {
        std::vector<std::pair<int, StartedRun>> runs;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 40; ++i)
            runs.emplace_back(moment_us(random), start_run(i % 2 ? std::vector<std::string>{"-y"}
                                                                 : std::vector<std::string>{},
                                                           Caller::installer, {}));
        std::sort(runs.begin(), runs.end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &[moment, run] : runs) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(moment));
            kill(run.pid, SIGKILL);
        }
        for (const auto &[moment, run] : runs) {
            // Only a run that ends by itself has said all it will say (a
            // sanitizer's helper may speak up for a killed one).
            const ProgramRun result = finish_run(run);
            if (result.exit_code != -1)
                expect_quiet_success(result);
            ++(result.exit_code == -1 ? killed : finished);
        }
        const StoredValue value = read_value(answer_value);
        ASSERT_TRUE(value.bytes == stored_yes || value.bytes == stored_no) << "wave " << wave;
    }
    storming = false;
    reader.join();
    EXPECT_EQ(torn, 0);
    // Both kinds must have happened, or the storm proved nothing.
    EXPECT_GE(killed, 300);
    EXPECT_GT(finished, 0);
    const std::size_t abandoned = key_leftovers(configuration).size();

    // File times are coarse: let the next run's own file be younger.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    expect_quiet_success(run_bundle_answer({}));
    expect_store_intact();
    std::cout << killed << " runs killed, " << finished << " finished, " << abandoned
              << " temporary files of killed runs left when the storm ended\n";
}

TEST_F(Faults, AFileWhereAKeyShouldBeChangesNothing)
{
    const fs::path product = key_directory("SOFTWARE\\Kelvaro\\Brisolde");
    fs::remove_all(product);
    std::ofstream(product) << "not a key";
    expect_quiet_success(run_bundle_answer({"-y"}));
    std::ifstream file(product);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "not a key");
    EXPECT_EQ(key_status(configuration), ERROR_BADDB);
}

TEST_F(Faults, ReadOnlyFileSystemChangesNothing)
{
    const std::string store = store_directory().string();
    if (!mount_over_store(store.c_str(), nullptr, MS_BIND, nullptr) ||
        mount(nullptr, store.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        GTEST_SKIP() << "cannot mount the store read-only here (" << strerror(errno)
                     << "): needs root";
    expect_quiet_success(run_bundle_answer({"-y"}));
    expect_store_intact();
}

TEST_F(Faults, FullDiskChangesNothing)
{
    // A small file system of its own, with the store copied onto it.
    const fs::path saved = store_directory().string() + ".saved";
    fs::rename(store_directory(), saved);
    fs::create_directory(store_directory());
    if (!mount_over_store("tmpfs", "tmpfs", 0, "size=64k,mode=0755"))
        GTEST_SKIP() << "cannot mount a small file system here (" << strerror(errno)
                     << "): needs root";
    fs::copy(saved, store_directory(), fs::copy_options::recursive);
    fs::remove_all(saved);
    {
        std::ofstream filler(store_directory() / "filler", std::ios::binary);
        const char block[4096] = {};
        while (filler.write(block, sizeof block))
            filler.flush();
    }
    expect_quiet_success(run_bundle_answer({"-y"}));
    expect_store_intact();
}
