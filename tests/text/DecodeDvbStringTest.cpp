#include "text/DecodeDvbString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;  // "..."s keeps embedded zero bytes

// The result replaces whatever the caller's string held, also when it is empty.
std::string Decode(std::string_view language, std::string_view text) {
    std::string result = "previous content";
    DecodeDvbString(language, text, result);
    return result;
}

struct DecodeCase {
    const char* name;
    std::string language;
    std::string text;
    std::string expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class DecodeDvbStringCases : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeDvbStringCases, Decodes) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(Decode(c.language, c.text), c.expected);
}

const DecodeCase kDecodeCases[] = {
    // Filtering and escaping on the raw bytes.
    {"Empty", "eng", "", ""},
    {"OnlyControlBytes", "eng", "\x01\x05\x0A\x1F\x00"s, ""},
    {"ControlBytesDroppedInside", "eng",
     "News\x0D\x0A"
     "at\x00 ten"s,
     "Newsat ten"},
    {"MarkupEscapedQuotesKept", "eng", "Tom & Jerry <\"live\"> 'now'",
     "Tom &amp; Jerry &lt;\"live\"&gt; 'now'"},
    {"EscapesSurviveIsoTable", "rus", "\xC0&\xC1", "\xD0\xA0&amp;\xD0\xA1"},
    {"DeleteKept", "eng", "a\x7F", "a\x7F"},
    // Selector bytes are not interpreted, only dropped with the other control bytes.
    {"SelectorLatin5Dropped", "eng",
     "\x05"
     "Caf\xE9",
     "Caf\xC3\xA9"},
    {"ThreeByteSelectorDropped", "rus", "\x10\x00\x05\xC0"s, "\xD0\xA0"},
    {"Utf8SelectorReadByteByByte", "eng",
     "\x15"
     "Caf\xC3\xA9",
     "Caf\xC3\x83\xC2\xA9"},
    // The language code picks the table.
    {"RusCyrillicEr", "rus", "\xC0", "\xD0\xA0"},
    {"HebAlef", "heb", "\xE0", "\xD7\x90"},
    {"EngEAcute", "eng", "\xE9", "\xC3\xA9"},
    {"AraAlef", "ara", "\xC7", "\xD8\xA7"},
    {"CapitalisedCodeIs1252", "Rus", "\xC0", "\xC3\x80"},
    {"CapitalCodeIs1252", "RUS", "\xC0", "\xC3\x80"},
    {"TwoLetterCodeIs1252", "ru", "\xC0", "\xC3\x80"},
    {"LongerCodeIs1252", "russ", "\xC0", "\xC3\x80"},
    {"CodeWithTrailingZeroIs1252", "rus\0"s, "\xC0", "\xC3\x80"},
    {"EmptyCodeIs1252", "", "\xC0", "\xC3\x80"},
    // DVB control codes 0x80-0x9F pass into the table like any other byte.
    {"CrLf1252", "eng", "\x8A", "\xC5\xA0"},
    {"CrLfIso5", "rus", "\x8A", "\xC2\x8A"},
    {"CrLfIso6", "ara", "\x8A", "\xC2\x8A"},
    {"CrLfIso8", "heb", "\x8A", "\xC2\x8A"},
    {"Emphasis1252", "eng",
     "\x86"
     "a\x87",
     "\xE2\x80\xA0"
     "a\xE2\x80\xA1"},
    {"EmphasisIso", "heb",
     "\x86"
     "a\x87",
     "\xC2\x86"
     "a\xC2\x87"},
    // A byte without a character neither fails nor cuts the text.
    {"Unassigned1252", "eng",
     "a\x81"
     "b\x9D",
     "a\xEF\xBF\xBD"
     "b\xEF\xBF\xBD"},
    {"UnassignedIso6", "ara",
     "\xA1"
     "x",
     "\xEF\xBF\xBD"
     "x"},
    {"UnassignedIso8", "heb", "\xE0\xFF\xE1", "\xD7\x90\xEF\xBF\xBD\xD7\x91"},
};

INSTANTIATE_TEST_SUITE_P(Table, DecodeDvbStringCases, ::testing::ValuesIn(kDecodeCases),
                         [](const ::testing::TestParamInfo<DecodeCase>& info) {
                             return std::string(info.param.name);
                         });

// The limits: more than 3073 escaped bytes, or more than 3073 UTF-8 bytes, give an empty
// result; never a shortened one.
struct LimitCase {
    const char* name;
    std::string language;
    std::string text;
    size_t expectedLength;  // 0: dropped whole
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const LimitCase& c, std::ostream* os) {
    *os << c.name;
}

std::string Repeat(std::string_view piece, size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i)
        s += piece;
    return s;
}

class DecodeDvbStringLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(DecodeDvbStringLimits, CompleteOrEmpty) {
    const LimitCase& c = GetParam();
    const std::string result = Decode(c.language, c.text);
    EXPECT_EQ(result.size(), c.expectedLength);
}

const LimitCase kLimitCases[] = {
    {"SixHundredAmpersands", "eng", Repeat("&", 600), 3000},
    {"ThousandAmpersands", "eng", Repeat("&", 1000), 0},
    {"AsciiAtLimit", "eng", Repeat("a", 3073), 3073},
    {"AsciiOverLimit", "eng", Repeat("a", 3074), 0},
    {"EscapesAtLimit", "eng", Repeat("&", 614) + "abc", 3073},
    {"EscapesOverLimit", "eng", Repeat("&", 614) + "abcd", 0},
    {"EscapeCrossesLimit", "eng", Repeat("a", 3070) + "<", 0},
    {"ControlBytesDoNotCount", "eng", Repeat("a\x01", 3073), 3073},
    // Few escaped bytes, but two or three UTF-8 bytes each.
    {"TwoByteUtf8AtLimit", "rus", Repeat("\xC0", 1536) + "a", 3073},
    {"TwoByteUtf8OverLimit", "rus", Repeat("\xC0", 1537), 0},
    {"ThreeByteUtf8AtLimit", "eng", Repeat("\x80", 1024) + "a", 3073},
    {"ThreeByteUtf8OverLimit", "eng", Repeat("\x80", 1024) + "ab", 0},
    {"ReplacementOverLimit", "heb", Repeat("\xFF", 1025), 0},
};

INSTANTIATE_TEST_SUITE_P(Table, DecodeDvbStringLimits, ::testing::ValuesIn(kLimitCases),
                         [](const ::testing::TestParamInfo<LimitCase>& info) {
                             return std::string(info.param.name);
                         });

// At the limit the text is whole, up to the escape that ends exactly on it.
TEST(DecodeDvbStringLimits, ContentAtLimitIsWhole) {
    EXPECT_EQ(Decode("rus", Repeat("\xC0", 1534) + "&"), Repeat("\xD0\xA0", 1534) + "&amp;");
    EXPECT_EQ(Decode("rus", Repeat("\xC0", 1535) + "&"), "");
}

}  // namespace
