#include "store.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

// An open key: its directory, and the access it was opened with.
struct HKEY__ {
    int fd;
    REGSAM access;
};

using store::status_from_errno;

namespace {

constexpr REGSAM write_rights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

bool is_predefined(HKEY key)
{
    const auto bits = reinterpret_cast<std::uintptr_t>(key);
    return bits >= 0x80000000 && bits <= 0x8000000F;
}

bool is_open_key(HKEY key)
{
    return key != nullptr && !is_predefined(key);
}

// "A\B\" names A and B; an empty name anywhere else is no key.
bool split_key_path(LPCSTR path, std::vector<std::string> *names)
{
    std::string name;
    for (const char *c = path != nullptr ? path : ""; *c != '\0'; ++c) {
        if (*c != '\\') {
            name += *c;
            continue;
        }
        if (name.empty())
            return false;
        names->push_back(name);
        name.clear();
    }
    if (!name.empty())
        names->push_back(name);
    return true;
}

// The directory's permissions stand in for the key's security: a key that
// the caller may not change is refused to any request for a right to change it.
LONG check_access(int fd, REGSAM desired)
{
    const int mode = (desired & write_rights) != 0 ? R_OK | W_OK | X_OK : R_OK | X_OK;
    return faccessat(fd, ".", mode, AT_EACCESS) == 0 ? ERROR_SUCCESS : status_from_errno(errno);
}

LONG open_key(HKEY base, LPCSTR sub_key, bool create, REGSAM desired, PHKEY result,
              LPDWORD disposition)
{
    std::vector<std::string> names;
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (!split_key_path(sub_key, &names))
        return ERROR_BAD_PATHNAME;
    int fd = -1;
    LONG status = ERROR_SUCCESS;
    if (base == HKEY_LOCAL_MACHINE)
        status = store::open_machine_root(create, &fd);
    else if (!is_open_key(base))
        status = ERROR_INVALID_HANDLE;
    else if ((fd = fcntl(base->fd, F_DUPFD_CLOEXEC, 0)) < 0)
        status = status_from_errno(errno);
    bool created = false;
    for (std::size_t i = 0; status == ERROR_SUCCESS && i < names.size(); ++i) {
        int child;
        status = store::open_subkey(fd, names[i], create, &child, &created);
        close(fd);
        fd = status == ERROR_SUCCESS ? child : -1;
    }
    if (status == ERROR_SUCCESS)
        status = check_access(fd, desired);
    if (status == ERROR_SUCCESS) {
        *result = new (std::nothrow) HKEY__{fd, desired};
        status = *result != nullptr ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
    }
    if (status != ERROR_SUCCESS) {
        if (fd >= 0)
            close(fd);
        return status;
    }
    if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

} // namespace

LONG RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD /* reserved */, LPSTR /* key_class */,
                     DWORD options, REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result,
                     LPDWORD disposition)
{
    // The store keeps every key on disk and gives it the default security.
    if (options != REG_OPTION_NON_VOLATILE || security != nullptr)
        return ERROR_NOT_SUPPORTED;
    return open_key(key, sub_key, true, desired, result, disposition);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD /* options */, REGSAM desired, PHKEY result)
{
    return open_key(key, sub_key, false, desired, result, nullptr);
}

LONG RegSetValueExA(HKEY key, LPCSTR value_name, DWORD /* reserved */, DWORD type, const BYTE *data,
                    DWORD size)
{
    if (!is_open_key(key))
        return ERROR_INVALID_HANDLE;
    if ((key->access & KEY_SET_VALUE) == 0)
        return ERROR_ACCESS_DENIED;
    if (data == nullptr && size != 0)
        return ERROR_NOACCESS;
    return store::write_value(key->fd, value_name != nullptr ? value_name : "", type, data, size);
}

LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size)
{
    if (!is_open_key(key))
        return ERROR_INVALID_HANDLE;
    if (reserved != nullptr || (data != nullptr && size == nullptr))
        return ERROR_INVALID_PARAMETER;
    if ((key->access & KEY_QUERY_VALUE) == 0)
        return ERROR_ACCESS_DENIED;
    return store::read_value(key->fd, value_name != nullptr ? value_name : "", type, data, size);
}

LONG RegCloseKey(HKEY key)
{
    if (key == nullptr)
        return ERROR_INVALID_HANDLE;
    if (is_predefined(key))
        return ERROR_SUCCESS;
    const int status = close(key->fd);
    delete key;
    return status == 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
