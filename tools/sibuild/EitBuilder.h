#pragma once
// EIT sections of any table id 0x4E to 0x6F. Lengths are computed unless a field asks for a
// raw value, so that tests can also make sections whose lengths do not add up.

#include <cstdint>
#include <optional>
#include <vector>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

struct EitEvent {
    uint16_t eventId = 0;
    int64_t start = 0;     // UTC seconds, encoded by EncodeUtcTime
    int32_t duration = 0;  // seconds, at most 99:59:59
    uint8_t runningStatus = 4;
    bool freeCaMode = false;
    Bytes descriptors;
    // Odd fields: written as they stand instead of the computed ones.
    std::optional<Bytes> rawStart;                 // 5 bytes: MJD and BCD hh mm ss
    std::optional<Bytes> rawDuration;              // 3 BCD bytes
    std::optional<uint16_t> rawDescriptorsLength;  // 12 bits
};

struct EitSection {
    uint8_t tableId = 0x4E;
    uint16_t serviceId = 0;
    uint16_t transportStreamId = 1;
    uint16_t originalNetworkId = 1;
    uint8_t version = 0;
    bool currentNext = true;
    uint8_t sectionNumber = 0;
    uint8_t lastSectionNumber = 0;
    uint8_t segmentLastSectionNumber = 0;
    uint8_t lastTableId = 0x4E;
    std::vector<EitEvent> events;
};

// One event entry: the 12 fixed bytes and its descriptors.
Bytes EncodeEitEvent(const EitEvent& event);
// The whole section with section_length and CRC.
Bytes BuildEit(const EitSection& section);

}  // namespace sibuild
