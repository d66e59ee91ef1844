#include "configuration_key.h"

#include "answer_location.h"

#include <string.h>

bool open_configuration_key(HKEY *key)
{
    DWORD disposition;
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, configuration_key_path, 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key,
                           &disposition) == ERROR_SUCCESS;
}

LONG write_bundle_answer(HKEY key, const char *answer)
{
    // REG_SZ data carries its terminating NUL: readers size their buffers by it.
    return RegSetValueExA(key, bundle_answer_value_name, 0, REG_SZ,
                          reinterpret_cast<const BYTE *>(answer),
                          static_cast<DWORD>(strlen(answer) + 1));
}

LONG close_configuration_key(HKEY key)
{
    return RegCloseKey(key);
}
