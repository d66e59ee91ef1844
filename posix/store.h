#pragma once

#include "win32.h"

#include <string>

// The registry as a directory tree: <root>/HKEY_LOCAL_MACHINE is the machine
// root, a key is a directory, a value a file holding its type (4 bytes, little
// endian) and then its data. Entries are named by store_names.h.

namespace store {

LONG status_from_errno(int error);

// Opens <root>/HKEY_LOCAL_MACHINE, creating it and its parents when asked.
LONG open_machine_root(bool create, int *fd);

// Opens the subkey `name` of the key directory `parent`, creating it when asked;
// `created` tells which happened.
LONG open_subkey(int parent, const std::string &name, bool create, int *fd, bool *created);

// Replaces the value atomically: readers and crashes see the old value or the
// new one, never a mix.
LONG write_value(int key, const std::string &name, DWORD type, const BYTE *data, DWORD size);

// RegQueryValueExA's contract: type and size are optional; a data buffer
// smaller than *size gets ERROR_MORE_DATA and the size it needs.
LONG read_value(int key, const std::string &name, DWORD *type, BYTE *data, DWORD *size);

} // namespace store
