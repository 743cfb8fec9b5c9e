#pragma once
// The console calls the run control makes to hide its own console window. A Linux process has
// no console window of its own: GetConsoleWindow gives none, so nothing is ever hidden.

#include "platform/com/Types.h"

struct HWND__;
using HWND = HWND__*;

constexpr int SW_HIDE = 0;

// The console window of this process; null when there is none (always, here).
HWND GetConsoleWindow();
// The thread that made the window, and in *lpdwProcessId its process; 0 for no window.
DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId);
DWORD GetCurrentProcessId();
// Whether the window was visible before; FALSE for no window.
BOOL ShowWindow(HWND hWnd, int nCmdShow);
