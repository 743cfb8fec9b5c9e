#pragma once
// The descriptors of EIT events. Language codes are taken as raw bytes (normally three
// letters), so that tests can also put odd bytes there.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

// 0x4D: language, event name, text.
Bytes ShortEventDescriptor(std::string_view language, std::string_view name, std::string_view text);

struct ExtendedEventItem {
    std::string description;
    std::string item;
};
// 0x4E: descriptor numbers, language, items, text.
Bytes ExtendedEventDescriptor(uint8_t number, uint8_t lastNumber, std::string_view language,
                              const std::vector<ExtendedEventItem>& items, std::string_view text);

// 0x50: stream_content (low nibble), component_type, language; the high nibble of the first
// byte is stream_content_ext.
Bytes ComponentDescriptor(uint8_t streamContent, uint8_t componentType, std::string_view language,
                          uint8_t streamContentExt = 0x0F, uint8_t componentTag = 0,
                          std::string_view text = {});

struct ContentEntry {
    uint8_t nibbles;  // content_nibble_level_1 << 4 | content_nibble_level_2
    uint8_t userByte;
};
// 0x54.
Bytes ContentDescriptor(const std::vector<ContentEntry>& entries);

// 0xCE, the user-defined url descriptor: the payload as it stands.
Bytes UrlDescriptor(const Bytes& payload);

// 0x55: country code and rating per entry.
Bytes ParentalRatingDescriptor(const std::vector<std::pair<std::string, uint8_t>>& ratings);

}  // namespace sibuild
