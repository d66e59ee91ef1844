#include "win32.h"

namespace {

int fold(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

} // namespace

int _stricmp(const char *a, const char *b)
{
    const auto *left = reinterpret_cast<const unsigned char *>(a);
    const auto *right = reinterpret_cast<const unsigned char *>(b);
    while (*left != '\0' && fold(*left) == fold(*right)) {
        ++left;
        ++right;
    }
    return fold(*left) - fold(*right);
}
