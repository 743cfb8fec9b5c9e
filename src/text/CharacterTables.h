#pragma once
#include <array>
#include <cstdint>
#include <string_view>

// The four single-byte character sets that broadcast texts are read in. Bytes 0x00-0x7F
// are ASCII in all of them; a byte that its set leaves unassigned reads as U+FFFD.
enum class CharacterTable : uint8_t { Windows1252, Iso8859_5, Iso8859_6, Iso8859_8 };

inline constexpr int kCharacterTableCount = 4;
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The Unicode code point of every byte of `table`.
const std::array<char32_t, 256>& CodePoints(CharacterTable table);

// The set a text is read in, from the whole language code beside it: exactly "rus", "ara"
// or "heb" (case-sensitive); anything else, "eng" and the empty code included, is
// Windows-1252.
CharacterTable SelectCharacterTable(std::string_view language);
