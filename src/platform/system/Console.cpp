#include "platform/system/Console.h"

#include <unistd.h>

HWND GetConsoleWindow() {
    return nullptr;
}

DWORD GetWindowThreadProcessId(HWND, DWORD* lpdwProcessId) {
    if (lpdwProcessId != nullptr)
        *lpdwProcessId = 0;
    return 0;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

BOOL ShowWindow(HWND, int) {
    return FALSE;
}
