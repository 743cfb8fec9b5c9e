#pragma once
// Broadcast texts in the four single-byte character tables a receiver reads: the generator
// writes its texts in UTF-8 and turns them into the bytes a broadcaster sends.

#include <cstdint>
#include <string>
#include <string_view>

namespace sibuild {

enum class TextScript : uint8_t { Latin1252, Cyrillic8859_5, Arabic8859_6, Hebrew8859_8 };

// The UTF-8 text in the script's table, one byte per character. Throws std::invalid_argument
// for a character the table lacks or for text that is not UTF-8.
std::string EncodeSingleByte(std::string_view utf8, TextScript script);

// The EN 300 468 character-table selector put before a text of the script: 0x01 (8859-5),
// 0x02 (8859-6), 0x04 (8859-8); 0 for the default table, which needs none.
uint8_t SelectorByte(TextScript script);

// The text as a broadcaster sends it: the selector byte, if any, then the encoded text.
std::string BroadcastText(std::string_view utf8, TextScript script);

}  // namespace sibuild
