#pragma once
// Program association table sections (table id 0x00, PID 0x0000).

#include <cstdint>
#include <vector>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

struct PatProgram {
    uint16_t programNumber;  // 0: the network PID
    uint16_t pid;            // 13 bits
};

// The whole section with section_length and CRC.
Bytes PatSection(uint16_t transportStreamId, uint8_t version,
                 const std::vector<PatProgram>& programs);

}  // namespace sibuild
