#include "sibuild/SingleByteText.h"

#include <gtest/gtest.h>

#include <string>

#include "sibuild/CaptureTexts.h"
#include "text/CharacterTables.h"
#include "text/Utf8.h"

using sibuild::TextScript;

namespace {

struct EncodeCase {
    const char* utf8;
    TextScript script;
    std::string bytes;
};

TEST(SingleByteText, EncodesEachTable) {
    const EncodeCase cases[] = {
        {"Télé Ça", TextScript::Latin1252,
         "T\xE9l\xE9 \xC7"
         "a"},
        {"€–’œ", TextScript::Latin1252, "\x80\x96\x92\x9C"},
        {"Канал Ёж №", TextScript::Cyrillic8859_5, "\xBA\xD0\xDD\xD0\xDB \xA1\xD6 \xF0"},
        {"قناة، HD", TextScript::Arabic8859_6, "\xE2\xE6\xC7\xC9\xAC HD"},
        {"ערוץ 2", TextScript::Hebrew8859_8, "\xF2\xF8\xE5\xF5 2"},
    };
    for (const EncodeCase& c : cases)
        EXPECT_EQ(sibuild::EncodeSingleByte(c.utf8, c.script), c.bytes) << c.utf8;
}

TEST(SingleByteText, RefusesWhatTheTableLacks) {
    EXPECT_THROW(sibuild::EncodeSingleByte("Ж", TextScript::Latin1252), std::invalid_argument);
    EXPECT_THROW(sibuild::EncodeSingleByte("é", TextScript::Cyrillic8859_5), std::invalid_argument);
    EXPECT_THROW(sibuild::EncodeSingleByte("é", TextScript::Hebrew8859_8), std::invalid_argument);
    EXPECT_THROW(sibuild::EncodeSingleByte("«", TextScript::Arabic8859_6), std::invalid_argument);
    EXPECT_THROW(sibuild::EncodeSingleByte("\xC3", TextScript::Latin1252), std::invalid_argument);
}

TEST(SingleByteText, BroadcastTextPutsTheSelectorFirst) {
    EXPECT_EQ(sibuild::BroadcastText("Ёж", TextScript::Cyrillic8859_5), "\x01\xA1\xD6");
    EXPECT_EQ(sibuild::BroadcastText("ة", TextScript::Arabic8859_6), "\x02\xC9");
    EXPECT_EQ(sibuild::BroadcastText("ץ", TextScript::Hebrew8859_8), "\x04\xF5");
    EXPECT_EQ(sibuild::BroadcastText("é", TextScript::Latin1252), "\xE9");
}

// The bytes read back through the receiver's table.
std::string ReadBack(const std::string& bytes, TextScript script) {
    static constexpr CharacterTable tables[] = {
        CharacterTable::Windows1252, CharacterTable::Iso8859_5, CharacterTable::Iso8859_6,
        CharacterTable::Iso8859_8};
    const auto& codePoints = CodePoints(tables[static_cast<int>(script)]);
    std::string utf8;
    for (char byte : bytes) {
        char out[4];
        utf8.append(out, EncodeUtf8(codePoints[static_cast<uint8_t>(byte)], out));
    }
    return utf8;
}

// Every text the generator draws on is in its table, and a receiver reads it as written.
TEST(SingleByteText, EveryGeneratorTextReadsBackUnchanged) {
    for (const char* code : {"fre", "ger", "spa", "eng", "rus", "ara", "heb"}) {
        const sibuild::LanguageTexts& texts = sibuild::TextsOf(code);
        std::vector<std::string_view> native(texts.subTitles.begin(), texts.subTitles.end());
        native.insert(native.end(), texts.sentences.begin(), texts.sentences.end());
        native.insert(native.end(), texts.people.begin(), texts.people.end());
        native.push_back(texts.directorLabel);
        native.push_back(texts.revisedNote);
        std::vector<std::string_view> latin;
        for (const auto* names : {&texts.tvNames, &texts.hdNames, &texts.radioNames}) {
            for (const sibuild::ServiceNameText& name : *names) {
                latin.push_back(name.latin);
                if (!name.native.empty())
                    native.push_back(name.native);
            }
        }
        for (const auto* shows : {&texts.tvShows, &texts.radioShows})
            for (const sibuild::ShowText& show : *shows)
                native.push_back(show.title);
        for (std::string_view text : native)
            EXPECT_EQ(ReadBack(sibuild::EncodeSingleByte(text, texts.script), texts.script), text)
                << code;
        for (std::string_view text : latin)
            EXPECT_EQ(ReadBack(sibuild::EncodeSingleByte(text, TextScript::Latin1252),
                               TextScript::Latin1252),
                      text)
                << code;
    }
}

}  // namespace
