// window_texts TITLE: the texts of the first visible window whose title
// starts with TITLE and of every visible control in it, one a line, in
// UTF-8, as they show: a test reads a page as the user sees it. Exit status
// 1 when there is no such window.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const std::wstring &text)
{
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? static_cast<std::size_t>(size) - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring text_of(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// "&&" shows as "&", and a lone "&" marks an access key and does not show,
// except in static text that asks for none (SS_NOPREFIX).
std::wstring as_shown(HWND control, const std::wstring &text)
{
    wchar_t class_name[64] = L"";
    GetClassNameW(control, class_name, 64);
    const bool is_static = wcsstr(_wcslwr(class_name), L"static") != nullptr;
    if (is_static && (GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX) != 0)
        return text;
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

BOOL CALLBACK print_control(HWND control, LPARAM)
{
    if (IsWindowVisible(control))
        std::printf("%s\n", utf8(as_shown(control, text_of(control))).c_str());
    return TRUE;
}

struct Search {
    std::wstring title;
    HWND found;
};

BOOL CALLBACK find_window(HWND window, LPARAM search_address)
{
    auto &search = *reinterpret_cast<Search *>(search_address);
    if (IsWindowVisible(window) && text_of(window).rfind(search.title, 0) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_texts TITLE\n");
        return 2;
    }
    Search search{argv[1], nullptr};
    EnumWindows(find_window, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
        return 1;
    std::printf("%s\n", utf8(text_of(search.found)).c_str());
    EnumChildWindows(search.found, print_control, 0);
    return 0;
}
