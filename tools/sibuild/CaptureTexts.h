#pragma once
// The words the capture generator builds its line-up from: service names and programme texts
// in the languages of a European satellite package, written in UTF-8.

#include <cstdint>
#include <string_view>
#include <vector>

#include "sibuild/SingleByteText.h"

namespace sibuild {

struct ServiceNameText {
    std::string_view latin;   // the service descriptor's name, Windows-1252
    std::string_view native;  // the name in the language's own script; empty for Latin ones
};

struct ShowText {
    std::string_view title;
    uint8_t genre;  // content_nibble_level_1 << 4 | content_nibble_level_2
    int minMinutes;
    int maxMinutes;
    bool film;  // credits its director in the extended event items
};

struct LanguageTexts {
    std::string_view code;  // ISO 639-2 as broadcast
    TextScript script;
    std::vector<ServiceNameText> tvNames;
    std::vector<ServiceNameText> hdNames;
    std::vector<ServiceNameText> radioNames;
    std::vector<ShowText> tvShows;
    std::vector<ShowText> radioShows;
    std::vector<std::string_view> subTitles;
    std::vector<std::string_view> sentences;
    std::string_view directorLabel;
    std::vector<std::string_view> people;
    std::string_view revisedNote;  // replaces a sub-title when a schedule is revised
};

// The texts of one of "fre", "ger", "spa", "eng", "rus", "ara", "heb"; throws for others.
const LanguageTexts& TextsOf(std::string_view code);

// Names of data services and of the services' provider.
const std::vector<std::string_view>& DataServiceNames();
std::string_view ProviderName(uint32_t index);

}  // namespace sibuild
