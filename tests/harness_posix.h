#pragma once

// What native tests reach beyond the portable harness: the store's directories.

#include "harness.h"

#include <filesystem>

// Where the registry that the tests' programs use lies, and one key in it.
std::filesystem::path store_directory();
std::filesystem::path key_directory(const char *key_path);
