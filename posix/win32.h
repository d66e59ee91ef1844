#pragma once

// The part of the Win32 API that bundle-answer and its tests use, for systems
// without Windows: the registry calls, backed by a directory tree (see
// docs/maintaining.md), the runtime's _stricmp, and the process token that
// the reader asks whether the registry is virtualized (never, here). Types,
// values and codes are the Windows ones, so callers compile unchanged on both.

#include <cstdint>

using BOOL = int;
using BYTE = unsigned char;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using REGSAM = DWORD;
using LPBYTE = BYTE *;
using LPDWORD = DWORD *;
using LPCSTR = const char *;
using LPSTR = char *;
using HANDLE = void *;
using PHANDLE = HANDLE *;
using LPVOID = void *;

struct HKEY__;
using HKEY = HKEY__ *;
using PHKEY = HKEY *;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES *;

inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_NOT_SUPPORTED = 50;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_DISK_FULL = 112;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_FILENAME_EXCED_RANGE = 206;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NOACCESS = 998;
constexpr LONG ERROR_BADDB = 1009;
constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
// The store has one view, as 32-bit Windows does: asking for either changes nothing.
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM DELETE = 0x00010000;
constexpr REGSAM WRITE_DAC = 0x00040000;
constexpr REGSAM WRITE_OWNER = 0x00080000;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

LONG RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR key_class, DWORD options,
                     REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result,
                     LPDWORD disposition);
LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM desired, PHKEY result);
LONG RegSetValueExA(HKEY key, LPCSTR value_name, DWORD reserved, DWORD type, const BYTE *data,
                    DWORD size);
LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size);
LONG RegCloseKey(HKEY key);

constexpr DWORD TOKEN_QUERY = 0x0008;
enum TOKEN_INFORMATION_CLASS { TokenVirtualizationEnabled = 24 };
HANDLE GetCurrentProcess();
// Fails: there is no token, and no registry virtualization to report.
BOOL OpenProcessToken(HANDLE process, DWORD desired, PHANDLE token);
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS information_class,
                         LPVOID information, DWORD length, LPDWORD returned);
BOOL CloseHandle(HANDLE handle);

// Compares whole strings, folding only the letters A to Z, as the Windows
// runtime does in its default locale.
int _stricmp(const char *a, const char *b);
