// Preloaded into one run of the native program by the fault tests. The run
// stops at its first blocking exclusive lock of a regular file, where a
// writer locks the temporary file it has just made, until the test creates
// $HOLD_FLOCK_DIR/release; $HOLD_FLOCK_DIR/held tells the test it is there.
// C functions only: the program must not need anything more for it.

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool held_once = false;

void hold(const char *directory)
{
    char held[4096], release[4096];
    std::snprintf(held, sizeof held, "%s/held", directory);
    std::snprintf(release, sizeof release, "%s/release", directory);
    close(open(held, O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    // Bounded, so a test that fails before it lets go does not hang.
    for (int waited_ms = 0; access(release, F_OK) != 0 && waited_ms < 60000; ++waited_ms)
        usleep(1000);
}

} // namespace

extern "C" int flock(int fd, int operation)
{
    using flock_function = int (*)(int, int);
    const auto real_flock = reinterpret_cast<flock_function>(dlsym(RTLD_NEXT, "flock"));
    const char *directory = std::getenv("HOLD_FLOCK_DIR");
    struct stat file;
    if (!held_once && directory != nullptr && operation == LOCK_EX && fstat(fd, &file) == 0 &&
        S_ISREG(file.st_mode)) {
        held_once = true;
        hold(directory);
    }
    return real_flock(fd, operation);
}
