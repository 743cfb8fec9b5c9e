#include "platform/system/CodePageConversion.h"

#include <cwchar>
#include <string>

namespace {

void AppendUtf8(std::string& out, uint32_t c) {
    if (c >= 0xD800 && c <= 0xDFFF)
        c = 0xFFFD;
    if (c > 0x10FFFF)
        c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

int WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR, BOOL* lpUsedDefaultChar) {
    if (lpUsedDefaultChar != nullptr)
        *lpUsedDefaultChar = FALSE;
    if (CodePage != CP_ACP && CodePage != CP_UTF8)
        return 0;
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0)
        return 0;
    if (cbMultiByte > 0 && lpMultiByteStr == nullptr)
        return 0;
    const size_t count =
        cchWideChar == -1 ? std::wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
    std::string converted;
    converted.reserve(count);
    for (size_t i = 0; i < count; ++i)
        AppendUtf8(converted, static_cast<uint32_t>(lpWideCharStr[i]));
    if (converted.size() > static_cast<size_t>(INT32_MAX))
        return 0;
    const int needed = static_cast<int>(converted.size());
    if (cbMultiByte == 0)
        return needed;
    if (needed > cbMultiByte)
        return 0;
    converted.copy(lpMultiByteStr, converted.size());
    return needed;
}
