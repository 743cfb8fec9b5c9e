#include "sibuild/EitBuilder.h"

#include <stdexcept>

#include "sibuild/DvbTime.h"

namespace sibuild {

Bytes EncodeEitEvent(const EitEvent& event) {
    const Bytes start = event.rawStart ? *event.rawStart : EncodeUtcTime(event.start);
    const Bytes duration = event.rawDuration ? *event.rawDuration : EncodeDuration(event.duration);
    if (start.size() != 5 || duration.size() != 3)
        throw std::length_error("EIT time field size");
    if (event.descriptors.size() > 0x0FFF)
        throw std::length_error("descriptor loop too long");
    const uint16_t loopLength = event.rawDescriptorsLength
                                    ? *event.rawDescriptorsLength
                                    : static_cast<uint16_t>(event.descriptors.size());
    ByteWriter w;
    w.U16(event.eventId).Append(start).Append(duration);
    w.U16(static_cast<uint16_t>((event.runningStatus & 0x07) << 13 |
                                (event.freeCaMode ? 1 : 0) << 12 | (loopLength & 0x0FFF)));
    w.Append(event.descriptors);
    return w.Take();
}

Bytes BuildEit(const EitSection& section) {
    ByteWriter payload;
    payload.U16(section.transportStreamId).U16(section.originalNetworkId);
    payload.U8(section.segmentLastSectionNumber).U8(section.lastTableId);
    for (const EitEvent& event : section.events)
        payload.Append(EncodeEitEvent(event));
    SectionHeader header;
    header.tableId = section.tableId;
    header.tableIdExtension = section.serviceId;
    header.version = section.version;
    header.currentNext = section.currentNext;
    header.sectionNumber = section.sectionNumber;
    header.lastSectionNumber = section.lastSectionNumber;
    return LongSection(header, payload.Take());
}

}  // namespace sibuild
