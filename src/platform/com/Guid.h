#pragma once
// GUID, the 128-bit identifier of COM classes, interfaces and device categories, and its
// braced text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com/Types.h"

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPCLSID = CLSID*;

bool operator==(const GUID& a, const GUID& b);
inline bool IsEqualGUID(REFGUID a, REFGUID b) {
    return a == b;
}
inline bool IsEqualIID(REFIID a, REFIID b) {
    return a == b;
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
    return a == b;
}

extern const GUID GUID_NULL;

// A GUID from its braced text at compile time: definitions stay readable and checked.
consteval GUID GuidFromText(const char (&text)[39]) {
    auto digit = [](char c) -> uint32_t {
        if (c >= '0' && c <= '9')
            return static_cast<uint32_t>(c - '0');
        if (c >= 'A' && c <= 'F')
            return static_cast<uint32_t>(c - 'A' + 10);
        if (c >= 'a' && c <= 'f')
            return static_cast<uint32_t>(c - 'a' + 10);
        throw "not a hex digit";
    };
    auto hex = [&](int from, int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = value << 4 | digit(text[from + i]);
        return value;
    };
    if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
        text[37] != '}') {
        throw "not a braced GUID";
    }
    GUID g{hex(1, 8), static_cast<uint16_t>(hex(10, 4)), static_cast<uint16_t>(hex(15, 4)), {}};
    g.Data4[0] = static_cast<uint8_t>(hex(20, 2));
    g.Data4[1] = static_cast<uint8_t>(hex(22, 2));
    for (int i = 0; i < 6; ++i)
        g.Data4[2 + i] = static_cast<uint8_t>(hex(25 + 2 * i, 2));
    return g;
}

// Upper-case braced form, as Windows writes it.
std::string FormatGuid(const GUID& guid);
std::wstring FormatGuidW(const GUID& guid);
// The braced form in either letter case; nothing else (no blanks, no missing braces).
std::optional<GUID> ParseGuid(std::string_view text);
std::optional<GUID> ParseGuid(std::wstring_view text);

// Braced text to a CLSID: CO_E_CLASSSTRING (and GUID_NULL) when the text is not one.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
// Writes the braced form with its terminator; returns the characters written including the
// terminator, or 0 when cchMax is too small (39 are needed).
int StringFromGUID2(REFGUID guid, LPOLESTR text, int cchMax);

// Readable GUIDs in test failure messages.
std::ostream& operator<<(std::ostream& out, const GUID& guid);

template <>
struct std::hash<GUID> {
    size_t operator()(const GUID& g) const noexcept;
};
