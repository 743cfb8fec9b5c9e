#include "text/DecodeDvbString.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "text/CharacterTables.h"
#include "text/Utf8.h"

namespace {

// The most UTF-8 bytes a decoded text may have; a longer one is dropped whole. Its escaped
// bytes are bounded by the same figure, but each of them becomes at least one UTF-8 byte,
// so bounding the UTF-8 output is enough.
constexpr size_t kLimit = 3073;

// What one raw byte becomes in the output: its escape, its UTF-8 form, or nothing (a control
// byte). Eight bytes so that it is always copied whole and the length then decides how much
// of it counts.
struct EscapedUtf8 {
    char bytes[7];
    uint8_t length;
};
static_assert(sizeof(EscapedUtf8) == 8);
using EscapeTable = std::array<EscapedUtf8, 256>;

EscapedUtf8 Literal(std::string_view text) {
    EscapedUtf8 entry{};
    std::memcpy(entry.bytes, text.data(), text.size());
    entry.length = static_cast<uint8_t>(text.size());
    return entry;
}

EscapeTable BuildEscapeTable(CharacterTable characterTable) {
    const std::array<char32_t, 256>& codePoints = CodePoints(characterTable);
    EscapeTable table{};
    for (size_t byte = 0x20; byte < 0x100; ++byte) {
        EscapedUtf8& entry = table[byte];
        entry.length = static_cast<uint8_t>(EncodeUtf8(codePoints[byte], entry.bytes));
    }
    // Escaped on the raw bytes, before the character set is applied; the escapes are ASCII
    // and read the same in every set.
    table['&'] = Literal("&amp;");
    table['<'] = Literal("&lt;");
    table['>'] = Literal("&gt;");
    return table;
}

const EscapeTable& EscapeTableFor(CharacterTable characterTable) {
    static const std::array<EscapeTable, kCharacterTableCount> tables = {
        BuildEscapeTable(CharacterTable::Windows1252),
        BuildEscapeTable(CharacterTable::Iso8859_5),
        BuildEscapeTable(CharacterTable::Iso8859_6),
        BuildEscapeTable(CharacterTable::Iso8859_8),
    };
    return tables[static_cast<size_t>(characterTable)];
}

}  // namespace

void DecodeDvbString(std::string_view language, std::string_view text, std::string& result) {
    const EscapeTable& table = EscapeTableFor(SelectCharacterTable(language));
    // Room for the limit plus one whole entry: an entry is copied before its length is
    // known to fit.
    char buffer[kLimit + sizeof(EscapedUtf8)];
    size_t length = 0;
    for (const char c : text) {
        const EscapedUtf8& entry = table[static_cast<unsigned char>(c)];
        std::memcpy(buffer + length, &entry, sizeof entry);
        length += entry.length;
        if (length > kLimit) {
            result.clear();
            return;
        }
    }
    result.assign(buffer, length);
}
