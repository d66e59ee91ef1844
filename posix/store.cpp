#include "store.h"
#include "store_names.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace store {
namespace {

constexpr char machine_root_name[] = "HKEY_LOCAL_MACHINE";
constexpr off_t value_header_size = 4;

// Opens the directory `entry` of `parent`, making it first when asked and
// missing. A new directory only lasts a crash once its parent is flushed.
LONG open_directory(int parent, const char *entry, bool create, int flags, int *fd, bool *created)
{
    constexpr int directory_flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    *created = false;
    *fd = openat(parent, entry, directory_flags | flags);
    if (*fd < 0 && errno == ENOENT && create) {
        if (mkdirat(parent, entry, 0755) == 0) {
            *created = true;
            if (fsync(parent) != 0)
                return status_from_errno(errno);
        } else if (errno != EEXIST) {
            return status_from_errno(errno);
        }
        // Made here or by a run beside this one: either way it is there now.
        *fd = openat(parent, entry, directory_flags | flags);
    }
    return *fd >= 0 ? ERROR_SUCCESS : status_from_errno(errno);
}

// A listing of `dir` that leaves `dir` itself open: nullptr, with errno set,
// when it cannot be read.
DIR *list_directory(int dir)
{
    const int scan = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *listing = scan >= 0 ? fdopendir(scan) : nullptr;
    if (listing == nullptr && scan >= 0) {
        const int error = errno;
        close(scan);
        errno = error;
    }
    return listing;
}

// Names ignore case, so an entry spelled otherwise stands for the same name;
// the exact spelling wins, then the lowest, so every run picks the same one.
LONG find_entry(int dir, const std::string &name, std::string *entry)
{
    if (!encode_store_name(name, entry))
        return ERROR_FILENAME_EXCED_RANGE;
    struct stat status;
    if (fstatat(dir, entry->c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return ERROR_SUCCESS;
    DIR *listing = list_directory(dir);
    if (listing == nullptr)
        return status_from_errno(errno);
    const std::string own_spelling = *entry;
    while (const dirent *item = readdir(listing)) {
        std::string item_name;
        if (decode_store_name(item->d_name, &item_name) && same_store_name(item_name, name) &&
            (*entry == own_spelling || item->d_name < *entry))
            *entry = item->d_name;
    }
    closedir(listing);
    return ERROR_SUCCESS;
}

int write_all(int fd, const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno != EINTR)
            return errno;
        if (written > 0) {
            bytes += written;
            size -= static_cast<std::size_t>(written);
        }
    }
    return 0;
}

bool read_all(int fd, void *data, std::size_t size)
{
    auto *bytes = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t got = read(fd, bytes, size);
        if (got == 0 || (got < 0 && errno != EINTR))
            return false;
        if (got > 0) {
            bytes += got;
            size -= static_cast<std::size_t>(got);
        }
    }
    return true;
}

// Temporary files start with '.', which no encoded name does, so a reader
// never takes one (or one left by a killed writer) for a value.
//
// A writer holds a lock on its temporary file from the moment the file has
// its name until the name is gone again, so a free lock marks a file whose
// writer died. Naming and locking are two steps, though: across them the
// writer holds the key directory's lock shared, and clean-up takes that lock
// exclusively, so it never sees a file that is named but not yet locked.
constexpr char temporary_prefix[] = ".tmp.";

int create_temporary_file(int dir, std::string *entry)
{
    if (flock(dir, LOCK_SH) != 0)
        return -1;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        *entry = temporary_prefix + std::to_string(getpid()) + "." + std::to_string(attempt);
        fd =
            openat(dir, entry->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    int error = fd >= 0 ? 0 : errno;
    if (fd >= 0 && flock(fd, LOCK_EX) != 0) {
        error = errno;
        unlinkat(dir, entry->c_str(), 0);
        close(fd);
        fd = -1;
    }
    flock(dir, LOCK_UN);
    errno = error;
    return fd;
}

// Removes the temporary files of writers that died in `dir`, so killed runs
// leave nothing behind for long. While another writer is naming its file,
// the clean-up is left to a later write rather than waited for.
void remove_abandoned_temporary_files(int dir)
{
    if (flock(dir, LOCK_EX | LOCK_NB) != 0)
        return;
    DIR *listing = list_directory(dir);
    while (const dirent *item = listing != nullptr ? readdir(listing) : nullptr) {
        if (std::strncmp(item->d_name, temporary_prefix, sizeof temporary_prefix - 1) != 0)
            continue;
        const int fd = openat(dir, item->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        struct stat file, named;
        if (fd < 0)
            continue;
        // The name must still be this file when it goes: its writer may
        // have renamed it, and another run removed it, since it was listed.
        if (fstat(fd, &file) == 0 && S_ISREG(file.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            fstatat(dir, item->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_ino == file.st_ino && named.st_dev == file.st_dev)
            unlinkat(dir, item->d_name, 0);
        close(fd);
    }
    if (listing != nullptr)
        closedir(listing);
    flock(dir, LOCK_UN);
}

// $WINREG_ROOT when set, else the location fixed at build time.
const char *store_root()
{
    const char *root = std::getenv("WINREG_ROOT");
    return root != nullptr && *root != '\0' ? root : WINREG_DEFAULT_ROOT;
}

} // namespace

LONG status_from_errno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOTDIR:
    case EISDIR:
    case ELOOP:
        // Something other than a key or value stands where one should be.
        return ERROR_BADDB;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

LONG open_machine_root(bool create, int *fd)
{
    const std::string path = std::string(store_root()) + "/" + machine_root_name;
    // Every run but the first finds the root in place: one call opens it.
    *fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (*fd >= 0 || errno != ENOENT || !create)
        return *fd >= 0 ? ERROR_SUCCESS : status_from_errno(errno);
    int dir = open(path[0] == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return status_from_errno(errno);
    for (std::size_t start = 0; start < path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start) {
            int next;
            bool created;
            const LONG status = open_directory(dir, path.substr(start, end - start).c_str(), create,
                                               0, &next, &created);
            close(dir);
            if (status != ERROR_SUCCESS)
                return status;
            dir = next;
        }
        start = end + 1;
    }
    *fd = dir;
    return ERROR_SUCCESS;
}

LONG open_subkey(int parent, const std::string &name, bool create, int *fd, bool *created)
{
    std::string entry;
    const LONG status = find_entry(parent, name, &entry);
    if (status != ERROR_SUCCESS)
        return status;
    // A link could lead out of the store: keys are real directories only.
    return open_directory(parent, entry.c_str(), create, O_NOFOLLOW, fd, created);
}

LONG write_value(int key, const std::string &name, DWORD type, const BYTE *data, DWORD size)
{
    std::string entry;
    const LONG status = find_entry(key, name, &entry);
    if (status != ERROR_SUCCESS)
        return status;
    std::string temporary;
    const int fd = create_temporary_file(key, &temporary);
    if (fd < 0)
        return status_from_errno(errno);
    const unsigned char header[value_header_size] = {
        static_cast<unsigned char>(type), static_cast<unsigned char>(type >> 8),
        static_cast<unsigned char>(type >> 16), static_cast<unsigned char>(type >> 24)};
    int error = write_all(fd, header, sizeof header);
    if (error == 0)
        error = write_all(fd, data, size);
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    // Renamed, or removed, while still locked: no other run takes it for abandoned.
    if (error == 0 && renameat(key, temporary.c_str(), key, entry.c_str()) != 0)
        error = errno;
    if (error != 0)
        unlinkat(key, temporary.c_str(), 0);
    close(fd);
    if (error != 0)
        return status_from_errno(error);
    // The rename itself lasts a crash only once the directory is flushed.
    if (fsync(key) != 0)
        return status_from_errno(errno);
    remove_abandoned_temporary_files(key);
    return ERROR_SUCCESS;
}

LONG read_value(int key, const std::string &name, DWORD *type, BYTE *data, DWORD *size)
{
    std::string entry;
    LONG status = find_entry(key, name, &entry);
    if (status != ERROR_SUCCESS)
        return status;
    // O_NONBLOCK: a FIFO planted in the store must not hang the reader.
    const int fd = openat(key, entry.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return status_from_errno(errno);
    struct stat file;
    unsigned char header[value_header_size];
    if (fstat(fd, &file) != 0 || !S_ISREG(file.st_mode) || file.st_size < value_header_size ||
        file.st_size - value_header_size > DWORD{0xFFFFFFFF} ||
        !read_all(fd, header, sizeof header)) {
        close(fd);
        return ERROR_BADDB;
    }
    const auto length = static_cast<DWORD>(file.st_size - value_header_size);
    if (type != nullptr)
        *type = DWORD{header[0]} | DWORD{header[1]} << 8 | DWORD{header[2]} << 16 |
                DWORD{header[3]} << 24;
    if (data != nullptr && *size < length)
        status = ERROR_MORE_DATA;
    else if (data != nullptr && !read_all(fd, data, length))
        status = ERROR_BADDB;
    if (size != nullptr)
        *size = length;
    close(fd);
    return status;
}

} // namespace store
