#include "text/CharacterTables.h"

namespace {

using Table = std::array<char32_t, 256>;
constexpr char32_t kNone = kReplacementCharacter;

// ASCII below 0x80; in the ISO sets 0x80-0x9F are the C1 controls, so only the upper half
// from 0xA0 differs between them.
constexpr Table IsoBase() {
    Table table{};
    for (int byte = 0; byte < 0xA0; ++byte)
        table[byte] = static_cast<char32_t>(byte);
    for (int byte = 0xA0; byte < 0x100; ++byte)
        table[byte] = kNone;
    table[0xA0] = 0x00A0;  // no-break space, common to all three
    return table;
}

// Bytes first..last read as the consecutive code points from `codePoint` on.
constexpr void Fill(Table& table, int first, int last, char32_t codePoint) {
    for (int byte = first; byte <= last; ++byte)
        table[byte] = codePoint++;
}

constexpr Table BuildWindows1252() {
    Table table{};
    // ASCII, then Latin-1 from 0xA0 on: both are the identity.
    for (int byte = 0; byte < 0x100; ++byte)
        table[byte] = static_cast<char32_t>(byte);
    constexpr char32_t upper[32] = {
        0x20AC, kNone,  0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, kNone,  0x017D, kNone,   // 0x88
        kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kNone,  0x017E, 0x0178,  // 0x98
    };
    for (int i = 0; i < 32; ++i)
        table[0x80 + i] = upper[i];
    return table;
}

// Latin/Cyrillic.
constexpr Table BuildIso8859_5() {
    Table table = IsoBase();
    Fill(table, 0xA1, 0xAC, 0x0401);  // capital IO .. capital KJE
    table[0xAD] = 0x00AD;             // soft hyphen
    Fill(table, 0xAE, 0xEF, 0x040E);  // capital short U, DZHE, then capital A .. small YA
    table[0xF0] = 0x2116;             // numero sign
    Fill(table, 0xF1, 0xFC, 0x0451);  // small IO .. small KJE
    table[0xFD] = 0x00A7;             // section sign
    Fill(table, 0xFE, 0xFF, 0x045E);  // small short U, DZHE
    return table;
}

// Latin/Arabic: many positions stay unassigned.
constexpr Table BuildIso8859_6() {
    Table table = IsoBase();
    table[0xA4] = 0x00A4;             // currency sign
    table[0xAC] = 0x060C;             // Arabic comma
    table[0xAD] = 0x00AD;             // soft hyphen
    table[0xBB] = 0x061B;             // Arabic semicolon
    table[0xBF] = 0x061F;             // Arabic question mark
    Fill(table, 0xC1, 0xDA, 0x0621);  // hamza .. ghain
    Fill(table, 0xE0, 0xF2, 0x0640);  // tatweel .. sukun
    return table;
}

// Latin/Hebrew: many positions stay unassigned.
constexpr Table BuildIso8859_8() {
    Table table = IsoBase();
    Fill(table, 0xA2, 0xA9, 0x00A2);
    table[0xAA] = 0x00D7;  // multiplication sign
    Fill(table, 0xAB, 0xB9, 0x00AB);
    table[0xBA] = 0x00F7;  // division sign
    Fill(table, 0xBB, 0xBE, 0x00BB);
    table[0xDF] = 0x2017;             // double low line
    Fill(table, 0xE0, 0xFA, 0x05D0);  // alef .. tav
    table[0xFD] = 0x200E;             // left-to-right mark
    table[0xFE] = 0x200F;             // right-to-left mark
    return table;
}

constexpr Table kWindows1252 = BuildWindows1252();
constexpr Table kIso8859_5 = BuildIso8859_5();
constexpr Table kIso8859_6 = BuildIso8859_6();
constexpr Table kIso8859_8 = BuildIso8859_8();

}  // namespace

const std::array<char32_t, 256>& CodePoints(CharacterTable table) {
    switch (table) {
        case CharacterTable::Iso8859_5:
            return kIso8859_5;
        case CharacterTable::Iso8859_6:
            return kIso8859_6;
        case CharacterTable::Iso8859_8:
            return kIso8859_8;
        case CharacterTable::Windows1252:
            break;
    }
    return kWindows1252;
}

CharacterTable SelectCharacterTable(std::string_view language) {
    if (language == "rus")
        return CharacterTable::Iso8859_5;
    if (language == "ara")
        return CharacterTable::Iso8859_6;
    if (language == "heb")
        return CharacterTable::Iso8859_8;
    return CharacterTable::Windows1252;
}
