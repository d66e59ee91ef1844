#include "store_names.h"
#include "win32.h"

#include <climits>

namespace store {
namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

bool needs_escape(unsigned char byte, bool first)
{
    return byte < 0x20 || byte > 0x7E || byte == '/' || byte == '\\' || byte == '%' ||
           (first && byte == '.');
}

int hex_value(char digit)
{
    for (int value = 0; value < 16; ++value) {
        if (hex_digits[value] == digit)
            return value;
    }
    return -1;
}

} // namespace

bool encode_store_name(const std::string &name, std::string *entry)
{
    if (name.empty()) {
        *entry = "%";
        return true;
    }
    entry->clear();
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (needs_escape(byte, i == 0)) {
            *entry += '%';
            *entry += hex_digits[byte >> 4];
            *entry += hex_digits[byte & 0xF];
        } else {
            *entry += name[i];
        }
    }
    return entry->size() <= NAME_MAX;
}

bool decode_store_name(const std::string &entry, std::string *name)
{
    name->clear();
    if (entry != "%") {
        for (std::size_t i = 0; i < entry.size(); ++i) {
            if (entry[i] != '%') {
                *name += entry[i];
                continue;
            }
            const int high = i + 2 < entry.size() ? hex_value(entry[i + 1]) : -1;
            const int low = high >= 0 ? hex_value(entry[i + 2]) : -1;
            if (low < 0)
                return false;
            *name += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    // Only the canonical spelling is a name: "%41" or ".x" is not, so no two
    // entries ever stand for the same name, and temporary files stand for none.
    std::string canonical;
    return encode_store_name(*name, &canonical) && canonical == entry;
}

bool same_store_name(const std::string &a, const std::string &b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

} // namespace store
