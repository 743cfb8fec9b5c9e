#include "text/CharacterTables.h"

#include <gtest/gtest.h>

#include <string>

#include "text/DecodeDvbString.h"
#include "text/IconvCheck.h"
#include "text/Utf8.h"

namespace {

struct CharacterSet {
    const char* language;
    const char* iconvName;
    CharacterTable table;
};

std::string Utf8Of(char32_t codePoint) {
    char bytes[4];
    return std::string(bytes, EncodeUtf8(codePoint, bytes));
}

class CharacterTableAgainstIconv : public ::testing::TestWithParam<CharacterSet> {};

// Every byte of our own table against glibc's: same character, or U+FFFD where glibc has
// none. The bytes that DecodeDvbString passes through must come out the same way there.
TEST_P(CharacterTableAgainstIconv, EveryByteMatches) {
    const CharacterSet& set = GetParam();
    ASSERT_EQ(SelectCharacterTable(set.language), set.table);
    const std::array<char32_t, 256>& codePoints = CodePoints(set.table);
    std::string decoded;
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(::testing::Message() << set.iconvName << " byte 0x" << std::hex << byte);
        const std::string raw(1, static_cast<char>(byte));
        const std::string expected =
            IconvConvert("UTF-8", set.iconvName, raw).value_or(Utf8Of(kReplacementCharacter));
        EXPECT_EQ(Utf8Of(codePoints[byte]), expected);
        if (byte < 0x20 || byte == '&' || byte == '<' || byte == '>')
            continue;
        DecodeDvbString(set.language, raw, decoded);
        EXPECT_EQ(decoded, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllSets, CharacterTableAgainstIconv,
    ::testing::Values(CharacterSet{"eng", "CP1252", CharacterTable::Windows1252},
                      CharacterSet{"rus", "ISO-8859-5", CharacterTable::Iso8859_5},
                      CharacterSet{"ara", "ISO-8859-6", CharacterTable::Iso8859_6},
                      CharacterSet{"heb", "ISO-8859-8", CharacterTable::Iso8859_8}),
    [](const ::testing::TestParamInfo<CharacterSet>& info) {
        return std::string(info.param.language);
    });

}  // namespace
