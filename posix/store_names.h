#pragma once

#include <string>

// Registry names as entries of a key's directory. Plain names stand as they
// are; a byte that could break out of the directory, hide the entry or upset
// a terminal ('/', '\\', '%', a leading '.', controls, bytes above 0x7E) is
// written as %XX, and the empty name (a key's default value) as "%".
// Encoded names never start with '.', which leaves those to the store's own
// temporary files.

namespace store {

// False when the encoding would not fit in one path component.
bool encode_store_name(const std::string &name, std::string *entry);

// False for any entry that encode_store_name does not produce.
bool decode_store_name(const std::string &entry, std::string *name);

// Registry names match without regard to the case of A to Z.
bool same_store_name(const std::string &a, const std::string &b);

} // namespace store
