// Any registry name encodes to one safe entry of its key's directory and
// decodes back to itself; any directory entry decodes only when it is the
// encoding of what it decodes to.

#include "store_names.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool safe_entry(const std::string &entry)
{
    return !entry.empty() && entry.size() <= NAME_MAX && entry[0] != '.' &&
           entry.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

void check(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);

    std::string entry, name;
    if (store::encode_store_name(bytes, &entry)) {
        check(safe_entry(entry));
        check(store::decode_store_name(entry, &name) && name == bytes);
    } else {
        // Only a name too long for one entry fails, and every byte takes at
        // most three characters.
        check(bytes.size() * 3 > NAME_MAX);
    }

    std::string encoded;
    if (store::decode_store_name(bytes, &name))
        check(store::encode_store_name(name, &encoded) && encoded == bytes);
    return 0;
}
