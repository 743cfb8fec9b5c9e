#include "platform/com/Guid.h"

#include <cstring>
#include <cwchar>
#include <ostream>

const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

bool operator==(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace {

constexpr size_t kBracedLength = 38;  // {8-4-4-4-12}

// Hex digit positions inside the braced form, in the order of the GUID's bytes as written.
template <typename Char>
std::basic_string<Char> Format(const GUID& g) {
    static const char digits[] = "0123456789ABCDEF";
    std::basic_string<Char> out;
    out.reserve(kBracedLength);
    auto hex = [&](uint64_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            out.push_back(static_cast<Char>(digits[(value >> (4 * i)) & 0xF]));
        }
    };
    out.push_back('{');
    hex(g.Data1, 8);
    out.push_back('-');
    hex(g.Data2, 4);
    out.push_back('-');
    hex(g.Data3, 4);
    out.push_back('-');
    hex(g.Data4[0], 2);
    hex(g.Data4[1], 2);
    out.push_back('-');
    for (int i = 2; i < 8; ++i)
        hex(g.Data4[i], 2);
    out.push_back('}');
    return out;
}

template <typename Char>
std::optional<GUID> Parse(std::basic_string_view<Char> text) {
    if (text.size() != kBracedLength || text.front() != '{' || text.back() != '}') {
        return std::nullopt;
    }
    size_t pos = 1;
    bool ok = true;
    auto hex = [&](int count) -> uint64_t {
        uint64_t value = 0;
        for (int i = 0; i < count; ++i, ++pos) {
            Char c = text[pos];
            int digit;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else {
                ok = false;
                digit = 0;
            }
            value = value << 4 | static_cast<uint64_t>(digit);
        }
        return value;
    };
    auto dash = [&] {
        if (text[pos] != '-')
            ok = false;
        ++pos;
    };
    GUID g{};
    g.Data1 = static_cast<uint32_t>(hex(8));
    dash();
    g.Data2 = static_cast<uint16_t>(hex(4));
    dash();
    g.Data3 = static_cast<uint16_t>(hex(4));
    dash();
    g.Data4[0] = static_cast<uint8_t>(hex(2));
    g.Data4[1] = static_cast<uint8_t>(hex(2));
    dash();
    for (int i = 2; i < 8; ++i)
        g.Data4[i] = static_cast<uint8_t>(hex(2));
    if (!ok)
        return std::nullopt;
    return g;
}

}  // namespace

std::string FormatGuid(const GUID& guid) {
    return Format<char>(guid);
}
std::wstring FormatGuidW(const GUID& guid) {
    return Format<wchar_t>(guid);
}
std::optional<GUID> ParseGuid(std::string_view text) {
    return Parse(text);
}
std::optional<GUID> ParseGuid(std::wstring_view text) {
    return Parse(text);
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
    if (clsid == nullptr)
        return E_INVALIDARG;
    *clsid = GUID_NULL;
    if (text == nullptr)
        return CO_E_CLASSSTRING;
    std::optional<GUID> parsed = ParseGuid(std::wstring_view(text));
    if (!parsed)
        return CO_E_CLASSSTRING;
    *clsid = *parsed;
    return S_OK;
}

int StringFromGUID2(REFGUID guid, LPOLESTR text, int cchMax) {
    if (text == nullptr || cchMax < static_cast<int>(kBracedLength + 1))
        return 0;
    std::wstring formatted = FormatGuidW(guid);
    std::wmemcpy(text, formatted.c_str(), formatted.size() + 1);
    return static_cast<int>(formatted.size() + 1);
}

std::ostream& operator<<(std::ostream& out, const GUID& guid) {
    return out << FormatGuid(guid);
}

size_t std::hash<GUID>::operator()(const GUID& g) const noexcept {
    uint64_t a = 0;
    uint64_t b = 0;
    std::memcpy(&a, &g, 8);
    std::memcpy(&b, reinterpret_cast<const char*>(&g) + 8, 8);
    return std::hash<uint64_t>()(a * 0x9E3779B97F4A7C15ULL ^ b);
}
