#pragma once
#include <string>
#include <string_view>

// Raw DVB text to XML-escaped UTF-8 for element content. The character table is chosen by
// the three-letter language code beside the text ("rus", "ara", "heb"; anything else reads
// as Windows-1252); selector and other control bytes below 0x20 are dropped. The result is
// either complete or empty (over-long texts).
void DecodeDvbString(std::string_view language, std::string_view text, std::string& result);
