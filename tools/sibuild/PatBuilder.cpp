#include "sibuild/PatBuilder.h"

namespace sibuild {

Bytes PatSection(uint16_t transportStreamId, uint8_t version,
                 const std::vector<PatProgram>& programs) {
    ByteWriter payload;
    for (const PatProgram& program : programs)
        payload.U16(program.programNumber)
            .U16(static_cast<uint16_t>(0xE000 | (program.pid & 0x1FFF)));
    SectionHeader header;
    header.tableId = 0x00;
    header.tableIdExtension = transportStreamId;
    header.version = version;
    return LongSection(header, payload.Take());
}

}  // namespace sibuild
