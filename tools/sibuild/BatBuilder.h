#pragma once
// BAT sections: bouquet descriptors, transport stream entries with their descriptors, and the
// bouquet's private channel list descriptor (tag 0xE2). Raw length fields can replace the
// computed ones to make sections whose lengths do not add up.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

struct BatTransportStream {
    uint16_t transportStreamId = 1;
    uint16_t originalNetworkId = 1;
    Bytes descriptors;
    std::optional<uint16_t> rawDescriptorsLength;  // 12 bits
};

struct BatSection {
    uint16_t bouquetId = 1;
    uint8_t version = 0;
    uint8_t sectionNumber = 0;
    uint8_t lastSectionNumber = 0;
    Bytes bouquetDescriptors;
    std::vector<BatTransportStream> transportStreams;
    std::optional<uint16_t> rawBouquetDescriptorsLength;   // 12 bits
    std::optional<uint16_t> rawTransportStreamLoopLength;  // 12 bits
};

struct ChannelListEntry {
    uint16_t serviceId;
    uint16_t channelNumber;
};

// 0x47, the name as raw bytes.
Bytes BouquetNameDescriptor(std::string_view name);
// 0xE2: four bytes per entry, service_id then channel number.
Bytes ChannelListDescriptor(const std::vector<ChannelListEntry>& entries);
// The whole section (table id 0x4A) with section_length and CRC.
Bytes BuildBat(const BatSection& section);

}  // namespace sibuild
