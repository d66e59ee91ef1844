#include "bundle_answer_reader.h"

#include "answer_location.h"

#include <string.h>

namespace {

// Exactly what the helper writes: the text and its NUL.
bool holds(const char *data, DWORD size, const char *answer)
{
    return size == strlen(answer) + 1 && memcmp(data, answer, size) == 0;
}

// A 32-bit process without a manifest that names its execution level, run
// by a standard user under UAC, reads HKLM\Software merged with that user's
// VirtualStore, where any process of the user can plant a "yes".
bool registry_virtualized()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD enabled = 0;
    DWORD size;
    // Fails where Windows has no virtualization to ask about (before Vista).
    const BOOL known =
        GetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof enabled, &size);
    CloseHandle(token);
    return known && enabled != 0;
}

} // namespace

enum bundle_answer read_bundle_answer(void)
{
    if (registry_virtualized())
        return bundle_answer_not_recorded;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, configuration_key_path, 0,
                      KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
        return bundle_answer_not_recorded;
    // Room for the longest answer and one byte more: anything that does not
    // fit is too long to be an answer, and is never read.
    char data[5];
    DWORD type = REG_NONE;
    DWORD size = sizeof data;
    const LONG status = RegQueryValueExA(key, bundle_answer_value_name, nullptr, &type,
                                         reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ || size > sizeof data)
        return bundle_answer_not_recorded;
    if (holds(data, size, "yes"))
        return bundle_answer_yes;
    if (holds(data, size, "no"))
        return bundle_answer_no;
    return bundle_answer_not_recorded;
}
