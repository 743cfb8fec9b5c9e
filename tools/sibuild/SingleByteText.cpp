#include "sibuild/SingleByteText.h"

#include <stdexcept>

namespace sibuild {

namespace {

// Decodes the code point at text[pos] and steps past it.
char32_t NextCodePoint(std::string_view text, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(pos);
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 0;
    if (length == 0 || pos + length > text.size())
        throw std::invalid_argument("text is not UTF-8");
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            throw std::invalid_argument("text is not UTF-8");
        cp = cp << 6 | (byte(pos + i) & 0x3F);
    }
    pos += length;
    return cp;
}

// Windows-1252 positions 0x80-0x9F that hold characters (0 where the table has none).
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int ToWindows1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == cp)
            return 0x80 + i;
    return -1;
}

int To8859_5(char32_t cp) {
    if (cp < 0xA1 || cp == 0xA7 || cp == 0xAD)
        return cp == 0xA7 ? 0xFD : static_cast<int>(cp);
    if (cp >= 0x0401 && cp <= 0x045F && cp != 0x040D && cp != 0x0450 && cp != 0x045D)
        return static_cast<int>(cp - 0x0401 + 0xA1);
    if (cp == 0x2116)
        return 0xF0;
    return -1;
}

int To8859_6(char32_t cp) {
    if (cp < 0xA0 || cp == 0xA4 || cp == 0xAD)
        return static_cast<int>(cp);
    if (cp == 0x060C || cp == 0x061B || cp == 0x061F)
        return static_cast<int>(cp - 0x0600 + 0xA0);
    if ((cp >= 0x0621 && cp <= 0x063A) || (cp >= 0x0640 && cp <= 0x0652))
        return static_cast<int>(cp - 0x0560);
    return -1;
}

int To8859_8(char32_t cp) {
    if (cp < 0xA0 || (cp <= 0xBE && cp != 0xA1 && cp != 0xAA && cp != 0xBA))
        return static_cast<int>(cp);
    if (cp == 0xD7)
        return 0xAA;
    if (cp == 0xF7)
        return 0xBA;
    if (cp >= 0x05D0 && cp <= 0x05EA)
        return static_cast<int>(cp - 0x05D0 + 0xE0);
    if (cp == 0x200E || cp == 0x200F)
        return static_cast<int>(cp - 0x200E + 0xFD);
    return -1;
}

}  // namespace

std::string EncodeSingleByte(std::string_view utf8, TextScript script) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, pos);
        int byte = -1;
        switch (script) {
            case TextScript::Latin1252:
                byte = ToWindows1252(cp);
                break;
            case TextScript::Cyrillic8859_5:
                byte = To8859_5(cp);
                break;
            case TextScript::Arabic8859_6:
                byte = To8859_6(cp);
                break;
            case TextScript::Hebrew8859_8:
                byte = To8859_8(cp);
                break;
        }
        if (byte < 0)
            throw std::invalid_argument("character outside the text's table");
        out.push_back(static_cast<char>(byte));
    }
    return out;
}

uint8_t SelectorByte(TextScript script) {
    switch (script) {
        case TextScript::Cyrillic8859_5:
            return 0x01;
        case TextScript::Arabic8859_6:
            return 0x02;
        case TextScript::Hebrew8859_8:
            return 0x04;
        case TextScript::Latin1252:
            break;
    }
    return 0;
}

std::string BroadcastText(std::string_view utf8, TextScript script) {
    std::string out;
    if (const uint8_t selector = SelectorByte(script))
        out.push_back(static_cast<char>(selector));
    return out + EncodeSingleByte(utf8, script);
}

}  // namespace sibuild
