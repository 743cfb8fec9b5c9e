#include "sibuild/BatBuilder.h"

#include <stdexcept>

namespace sibuild {

namespace {
Bytes Loop12(const Bytes& body, std::optional<uint16_t> rawLength) {
    if (body.size() > 0x0FFF)
        throw std::length_error("loop longer than 4095 bytes");
    ByteWriter w;
    const uint16_t length = rawLength ? *rawLength : static_cast<uint16_t>(body.size());
    w.U16(static_cast<uint16_t>(0xF000 | (length & 0x0FFF))).Append(body);
    return w.Take();
}
}  // namespace

Bytes BouquetNameDescriptor(std::string_view name) {
    ByteWriter w;
    w.Append(name);
    return Descriptor(0x47, w.Take());
}

Bytes ChannelListDescriptor(const std::vector<ChannelListEntry>& entries) {
    ByteWriter w;
    for (const ChannelListEntry& entry : entries)
        w.U16(entry.serviceId).U16(entry.channelNumber);
    return Descriptor(0xE2, w.Take());
}

Bytes BuildBat(const BatSection& section) {
    ByteWriter streams;
    for (const BatTransportStream& ts : section.transportStreams) {
        streams.U16(ts.transportStreamId).U16(ts.originalNetworkId);
        streams.Append(Loop12(ts.descriptors, ts.rawDescriptorsLength));
    }
    ByteWriter payload;
    payload.Append(Loop12(section.bouquetDescriptors, section.rawBouquetDescriptorsLength));
    payload.Append(Loop12(streams.Data(), section.rawTransportStreamLoopLength));
    SectionHeader header;
    header.tableId = 0x4A;
    header.tableIdExtension = section.bouquetId;
    header.version = section.version;
    header.sectionNumber = section.sectionNumber;
    header.lastSectionNumber = section.lastSectionNumber;
    return LongSection(header, payload.Take());
}

}  // namespace sibuild
