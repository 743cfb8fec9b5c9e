#include "sibuild/SdtBuilder.h"

#include <stdexcept>

namespace sibuild {

Bytes SdtServiceEntry(const SdtService& service) {
    const size_t loopLength = service.descriptorsLoopLength.value_or(service.descriptors.size());
    if (loopLength > 0x0FFF)
        throw std::length_error("descriptor loop longer than 4095 bytes");
    if (service.runningStatus > 7)
        throw std::out_of_range("running_status has three bits");
    ByteWriter w;
    w.U16(service.serviceId);
    w.U8(static_cast<uint8_t>(0xFC | (service.eitSchedule ? 2 : 0) |
                              (service.eitPresentFollowing ? 1 : 0)));
    w.U16(static_cast<uint16_t>(service.runningStatus << 13 | (service.freeCa ? 1 << 12 : 0) |
                                loopLength));
    w.Append(service.descriptors);
    return w.Take();
}

Bytes SdtSectionFromLoop(const SdtHeader& header, const Bytes& serviceLoop) {
    ByteWriter payload;
    payload.U16(header.originalNetworkId).U8(0xFF).Append(serviceLoop);
    return LongSection({.tableId = header.tableId,
                        .tableIdExtension = header.transportStreamId,
                        .version = header.version,
                        .currentNext = true,
                        .sectionNumber = header.sectionNumber,
                        .lastSectionNumber = header.lastSectionNumber},
                       payload.Data());
}

Bytes SdtSection(const SdtHeader& header, const std::vector<SdtService>& services) {
    ByteWriter loop;
    for (const SdtService& service : services)
        loop.Append(SdtServiceEntry(service));
    return SdtSectionFromLoop(header, loop.Data());
}

Bytes ServiceDescriptor(uint8_t serviceType, std::string_view provider, std::string_view name) {
    return ServiceDescriptor(
        std::vector<ServiceName>{{serviceType, std::string(provider), std::string(name)}});
}

Bytes ServiceDescriptor(const std::vector<ServiceName>& entries) {
    ByteWriter body;
    for (const ServiceName& entry : entries)
        body.U8(entry.serviceType).Text8(entry.provider).Text8(entry.name);
    return Descriptor(0x48, body.Data());
}

Bytes MultilingualServiceNameDescriptor(const std::vector<MultilingualName>& entries) {
    ByteWriter body;
    for (const MultilingualName& entry : entries) {
        if (entry.language.size() != 3)
            throw std::invalid_argument("language code of 3 bytes");
        body.Append(entry.language).Text8(entry.provider).Text8(entry.name);
    }
    return Descriptor(0x5D, body.Data());
}

}  // namespace sibuild
