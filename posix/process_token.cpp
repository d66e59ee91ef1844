#include "win32.h"

// Windows virtualizes the registry of some processes; this store never does,
// and a process here has no token to say so.

HANDLE GetCurrentProcess()
{
    return nullptr;
}

BOOL OpenProcessToken(HANDLE, DWORD, PHANDLE)
{
    return 0;
}

BOOL GetTokenInformation(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, LPDWORD)
{
    return 0;
}

BOOL CloseHandle(HANDLE)
{
    return 0;
}
