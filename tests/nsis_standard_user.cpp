// An NSIS UserInfo plug-in that says the user running the setup is a
// standard user, which Wine never says: the setup built with it decides as
// it would for one on Windows.

#include <windows.h>

namespace {
struct StackEntry {
    StackEntry *next;
    WCHAR text[1];
};
} // namespace

extern "C" __declspec(dllexport) void __cdecl GetAccountType(HWND, int text_size, WCHAR *,
                                                             StackEntry **top, void *)
{
    auto *entry = static_cast<StackEntry *>(
        GlobalAlloc(GPTR, sizeof(StackEntry) + static_cast<SIZE_T>(text_size) * sizeof(WCHAR)));
    if (entry == nullptr)
        return;
    lstrcpynW(entry->text, L"User", text_size);
    entry->next = *top;
    *top = entry;
}
