// The native program against a store that fails under it: runs killed half
// way, keys it cannot write, a read-only file system, a full disk. Whatever
// happens, every run is silent, exits 0 and leaves every value whole.

#include "harness_posix.h"
#include "registry_checks.h"
#include "repeat_in_background.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
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

namespace {

using Clock = std::chrono::steady_clock;

struct Storm {
    std::vector<Clock::duration> lengths; // of the runs that ended by themselves
    int killed = 0;
};

// Runs in `lanes` threads at once, `runs` one after another in each, half of
// them with -y. With a `latest_kill`, each run is killed at a moment of its
// own between its start and that long after it, unless it has ended by then.
Storm storm(int lanes, int runs, Clock::duration latest_kill)
{
    std::mutex merging;
    Storm total;
    std::vector<std::thread> threads;
    for (int lane = 0; lane < lanes; ++lane) {
        threads.emplace_back([&, lane] {
            std::mt19937 random(20261208u + static_cast<unsigned>(lane));
            std::uniform_int_distribution<Clock::rep> moment(0, latest_kill.count());
            Storm own;
            for (int i = 0; i < runs; ++i) {
                const auto start = Clock::now();
                const StartedRun run =
                    start_run(i % 2 ? std::vector<std::string>{"-y"} : std::vector<std::string>{},
                              Caller::installer, {});
                if (latest_kill.count() > 0 && run.pid > 0) {
                    std::this_thread::sleep_until(start + Clock::duration(moment(random)));
                    kill(run.pid, SIGKILL);
                }
                const ProgramRun result = finish_run(run);
                // Only a run that ends by itself has said all it will say (a
                // sanitizer's helper may speak up for a killed one).
                if (result.exit_code == -1) {
                    ++own.killed;
                    continue;
                }
                expect_quiet_success(result);
                own.lengths.push_back(Clock::now() - start);
            }
            const std::lock_guard<std::mutex> lock(merging);
            total.lengths.insert(total.lengths.end(), own.lengths.begin(), own.lengths.end());
            total.killed += own.killed;
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return total;
}

} // namespace

TEST_F(Faults, KilledRunsNeverTearTheAnswer)
{
    std::atomic<int> torn{0};
    RepeatInBackground reader([&] {
        const StoredValue value = read_value(answer_value);
        if (value.status != ERROR_SUCCESS ||
            (value.bytes != stored_yes && value.bytes != stored_no))
            ++torn;
    });
    // The kill moments are spread over one and a half times what a run takes
    // here, in the same crowd: on a fast machine and a slow one alike, runs
    // die while starting, writing and flushing, and some finish first.
    constexpr int lanes = 8, runs_per_lane = 100;
    std::vector<Clock::duration> lengths = storm(lanes, 5, {}).lengths;
    ASSERT_FALSE(lengths.empty());
    std::sort(lengths.begin(), lengths.end());
    const Clock::duration length = lengths[lengths.size() / 2];
    const Storm result = storm(lanes, runs_per_lane, length * 3 / 2);
    const int finished = static_cast<int>(result.lengths.size());
    EXPECT_EQ(torn, 0);
    // Both kinds must have happened, or the storm proved nothing.
    EXPECT_GT(result.killed, 0);
    EXPECT_GT(finished, 0);
    const std::size_t abandoned = key_leftovers(configuration).size();

    expect_quiet_success(run_bundle_answer({}));
    expect_store_intact();
    std::cout << result.killed << " runs killed, " << finished << " finished (a run takes "
              << std::chrono::duration_cast<std::chrono::microseconds>(length).count() << " us), "
              << abandoned << " temporary files of killed runs left when the storm ended\n";
}

TEST_F(Faults, WriterHeldBeforeLockingKeepsItsAnswer)
{
    // The first writer stops between naming its temporary file and locking
    // it, and a whole run comes and goes meanwhile: its clean-up must not
    // take the first writer's file for one that a killed run left.
    const std::string signals = make_scratch_directory();
    std::string sanitizer_options = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    setenv("LD_PRELOAD", HOLD_FLOCK_LIBRARY, 1);
    setenv("HOLD_FLOCK_DIR", signals.c_str(), 1);
    // AddressSanitizer wants its run-time first, before any preloaded library.
    setenv("ASAN_OPTIONS", (sanitizer_options + ":verify_asan_link_order=0").c_str(), 1);
    const StartedRun held = start_run({"-y"}, Caller::installer, {});
    unsetenv("LD_PRELOAD");
    unsetenv("HOLD_FLOCK_DIR");
    setenv("ASAN_OPTIONS", sanitizer_options.c_str(), 1);

    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!fs::exists(signals + "/held") && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(fs::exists(signals + "/held")) << "the first writer never reached its lock";
    expect_quiet_success(run_bundle_answer({}));
    std::ofstream(signals + "/release").put('\n');
    expect_quiet_success(finish_run(held));
    expect_answer(stored_yes);
    EXPECT_EQ(key_leftovers(configuration), std::vector<std::string>{});
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
