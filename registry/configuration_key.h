#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "win32.h"
#endif

// HKEY_LOCAL_MACHINE\SOFTWARE\Kelvaro\Brisolde\CurrentVersion\Configuration,
// created with every missing key above it, or opened, with full access.
bool open_configuration_key(HKEY *key);

// Stores the answer as the REG_SZ value bundle_reg_data, replacing any earlier
// value of that name whatever its type.
LONG write_bundle_answer(HKEY key, const char *answer);

LONG close_configuration_key(HKEY key);
