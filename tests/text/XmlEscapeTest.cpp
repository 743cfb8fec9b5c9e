#include "text/XmlEscape.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/IconvCheck.h"

namespace {

using namespace std::string_literals;  // "..."s keeps embedded zero bytes

const std::string kFffd = "\xEF\xBF\xBD";

struct EscapeCase {
    const char* name;
    std::string input;
    std::string expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const EscapeCase& c, std::ostream* os) {
    *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<EscapeCase>& info) {
    return info.param.name;
}

class LanguageAttributeCases : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(LanguageAttributeCases, Escapes) {
    const EscapeCase& c = GetParam();
    const std::string written = LanguageAttribute(c.input);
    EXPECT_EQ(written, c.expected);
    EXPECT_TRUE(IsSafeAttributeValue(written));
}

const EscapeCase kLanguageCases[] = {
    {"ThreeLetterCode", "eng", "en"},
    {"KeptAsCarried", "RUS", "RU"},
    {"Empty", "", ""},
    {"OneByte", "e", "e"},
    {"ZeroFirst", "\0ng"s, ""},
    {"ZeroSecond", "e\0g"s, "e"},
    {"QuoteFirst", "\"x", "&quot;x"},
    {"QuoteSecond", "x\"", "x&quot;"},
    {"AmpersandAndLess", "&<", "&amp;&lt;"},
    {"Greater", ">a", "&gt;a"},
    {"ApostropheKept", "'a", "'a"},
    {"SpaceAndTildeKept", " ~", " ~"},
    {"ControlByte",
     "\x1F"
     "a",
     kFffd + "a"},
    {"Delete", "a\x7F", "a" + kFffd},
    {"HighByte",
     "\xFF"
     "a",
     kFffd + "a"},
    {"Utf8BytesEachReplaced", "\xC3\xA9", kFffd + kFffd},
};

INSTANTIATE_TEST_SUITE_P(Table, LanguageAttributeCases, ::testing::ValuesIn(kLanguageCases),
                         CaseName);

// Whatever two bytes a broadcast puts in a language code, the attribute stays well-formed.
TEST(LanguageAttribute, EveryTwoByteCodeIsSafe) {
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const std::string code = {static_cast<char>(first), static_cast<char>(second), 'x'};
            ASSERT_TRUE(IsSafeAttributeValue(LanguageAttribute(code)))
                << "bytes " << first << ", " << second;
        }
    }
}

class EscapeAttributeTextCases : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeAttributeTextCases, Escapes) {
    const EscapeCase& c = GetParam();
    const std::string written = EscapeAttributeText(c.input);
    EXPECT_EQ(written, c.expected);
    EXPECT_TRUE(IsSafeAttributeValue(written));
}

const EscapeCase kAttributeTextCases[] = {
    {"PlainPath", "/etc/epg/config.ini", "/etc/epg/config.ini"},
    {"Empty", "", ""},
    {"Markup", "a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e'f"},
    {"ControlBytes", "a\tb\0c\x1F"s, "a" + kFffd + "b" + kFffd + "c" + kFffd},
    {"DeleteKept", "a\x7F", "a\x7F"},
    // Well-formed UTF-8 passes, at the edges of each length and around the surrogates.
    {"TwoByte", "caf\xC3\xA9 \xC2\x80", "caf\xC3\xA9 \xC2\x80"},
    {"ThreeByte", "\xE2\x82\xAC\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80",
     "\xE2\x82\xAC\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80"},
    {"FourByte", "\xF0\x9D\x84\x9E\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
     "\xF0\x9D\x84\x9E\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
    {"ReplacementCharacterKept", "\xEF\xBF\xBD", kFffd},
    // Each byte that belongs to no well-formed sequence becomes one U+FFFD.
    {"LoneContinuation",
     "a\x80"
     "b",
     "a" + kFffd + "b"},
    {"HighByte", "\xFF", kFffd},
    {"TruncatedAtEnd", "\xE2\x82", kFffd + kFffd},
    {"TruncatedBeforeAscii",
     "\xF0\x9D\x84"
     "A",
     kFffd + kFffd + kFffd + "A"},
    {"TruncatedBeforeQuote", "\xC3\"", kFffd + "&quot;"},
    {"BadLeadThenValid", "\xE2\xE2\x82\xAC", kFffd + "\xE2\x82\xAC"},
    {"OverlongTwoByte", "\xC0\xAF\xC1\xBF", kFffd + kFffd + kFffd + kFffd},
    {"OverlongThreeByte", "\xE0\x80\xAF", kFffd + kFffd + kFffd},
    {"OverlongFourByte", "\xF0\x8F\xBF\xBF", kFffd + kFffd + kFffd + kFffd},
    {"HighSurrogate", "\xED\xA0\x80", kFffd + kFffd + kFffd},
    {"LowSurrogate", "\xED\xBF\xBF", kFffd + kFffd + kFffd},
    {"AboveUnicode", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
    {"FiveByteLead", "\xF8\x88\x80\x80\x80", kFffd + kFffd + kFffd + kFffd + kFffd},
    // Well-formed, but no XML character: the whole sequence is one U+FFFD.
    {"NonCharacters",
     "\xEF\xBF\xBE"
     "a\xEF\xBF\xBF",
     kFffd + "a" + kFffd},
};

INSTANTIATE_TEST_SUITE_P(Table, EscapeAttributeTextCases, ::testing::ValuesIn(kAttributeTextCases),
                         CaseName);

// True when every code point could stand in an attribute as it is.
bool NeedsNoEscape(const std::u32string& codePoints) {
    for (const char32_t c : codePoints) {
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF || c == '"' || c == '&' || c == '<' || c == '>')
            return false;
    }
    return true;
}

// Random bytes, weighted towards the troublesome ones, never break the attribute; and input
// that glibc finds well-formed and harmless passes unchanged.
TEST(EscapeAttributeText, RandomBytesStaySafe) {
    std::mt19937 random(20190122);
    const std::string interesting = "\x00\x1F\"&<>\x7F\x80\xBF\xC0\xC2\xE0\xED\xEF\xF0\xF4\xFF"s;
    int unchanged = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string input(random() % 12, '\0');
        for (char& c : input) {
            c = random() % 2 ? interesting[random() % interesting.size()]
                             : static_cast<char>(random() % 256);
        }
        const std::string written = EscapeAttributeText(input);
        ASSERT_TRUE(IsSafeAttributeValue(written)) << ::testing::PrintToString(input);
        const std::optional<std::u32string> codePoints = DecodeUtf8WithIconv(input);
        if (codePoints && NeedsNoEscape(*codePoints)) {
            EXPECT_EQ(written, input);
            ++unchanged;
        }
    }
    EXPECT_GT(unchanged, 100) << "too few well-formed inputs to check the pass-through";
}

}  // namespace
