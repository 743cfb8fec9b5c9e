#pragma once
// Time and date table (0x70) and time offset table (0x73): the short-syntax sections that
// carry the broadcast's UTC time on PID 0x0014.

#include <cstdint>
#include <string>
#include <vector>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

// TDT: section_length 5, UTC_time, no CRC.
Bytes TdtSection(int64_t utcSeconds);
// TOT: UTC_time, a descriptor loop (raw bytes, e.g. local_time_offset descriptors), CRC_32.
Bytes TotSection(int64_t utcSeconds, const Bytes& descriptors = {});

struct LocalTimeOffset {
    std::string country;       // ISO 3166 alpha-3, three bytes
    uint8_t regionId = 0;      // 6 bits
    int offsetMinutes = 0;     // local time minus UTC
    int64_t timeOfChange = 0;  // UTC seconds
    int nextOffsetMinutes = 0;
};
// local_time_offset_descriptor (0x58) for a TOT's descriptor loop.
Bytes LocalTimeOffsetDescriptor(const std::vector<LocalTimeOffset>& entries);

}  // namespace sibuild
