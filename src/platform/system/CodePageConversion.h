#pragma once
// WideCharToMultiByte: wide text (UTF-32 in wchar_t on this platform) to multibyte text.
// The system code page (CP_ACP) is UTF-8 here, whatever the locale, so a pin or device name
// converts the same way on every machine.

#include "platform/com/Types.h"

using LPSTR = char*;
using LPCSTR = const char*;

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// Converts cchWideChar characters of lpWideCharStr (-1: up to and including its terminator)
// into lpMultiByteStr, which holds cbMultiByte bytes. Returns the bytes written; with
// cbMultiByte 0 the bytes needed, writing nothing. Returns 0 and writes nothing when the
// buffer is too small, the code page is neither CP_ACP nor CP_UTF8, or an argument is invalid
// (no text, cchWideChar 0 or below -1, cbMultiByte negative). A character that is no Unicode
// scalar value (a surrogate, or above U+10FFFF) becomes U+FFFD. lpDefaultChar is not used;
// *lpUsedDefaultChar, when given, is set to FALSE.
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        BOOL* lpUsedDefaultChar);
