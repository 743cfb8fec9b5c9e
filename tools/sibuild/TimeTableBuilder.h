#pragma once
// Time and date table (0x70) and time offset table (0x73): the short-syntax sections that
// carry the broadcast's UTC time on PID 0x0014.

#include <cstdint>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

// TDT: section_length 5, UTC_time, no CRC.
Bytes TdtSection(int64_t utcSeconds);
// TOT: UTC_time, a descriptor loop (raw bytes, e.g. local_time_offset descriptors), CRC_32.
Bytes TotSection(int64_t utcSeconds, const Bytes& descriptors = {});

}  // namespace sibuild
