#pragma once
// Service description table sections and the descriptors the SDT parser reads. Malformed
// input is made from the raw forms: a descriptor from any body (sibuild::Descriptor), a
// declared descriptors_loop_length that differs from the loop, a service loop of raw bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

struct SdtHeader {
    uint8_t tableId = 0x42;  // 0x42 actual, 0x46 other transport stream
    uint16_t transportStreamId = 1;
    uint16_t originalNetworkId = 1;
    uint8_t version = 0;
    uint8_t sectionNumber = 0;
    uint8_t lastSectionNumber = 0;
};

struct SdtService {
    uint16_t serviceId = 0;
    bool eitSchedule = false;
    bool eitPresentFollowing = false;
    uint8_t runningStatus = 4;  // running
    bool freeCa = false;
    Bytes descriptors;  // the descriptor loop as it stands
    // descriptors_loop_length as written; the size of `descriptors` when not given.
    std::optional<uint16_t> descriptorsLoopLength;
};

// One service entry: service_id, flags, running_status, free_CA_mode, the descriptor loop.
Bytes SdtServiceEntry(const SdtService& service);
// A whole section (CRC included) with these services.
Bytes SdtSection(const SdtHeader& header, const std::vector<SdtService>& services);
// A whole section around a service loop given as raw bytes.
Bytes SdtSectionFromLoop(const SdtHeader& header, const Bytes& serviceLoop);

struct ServiceName {
    uint8_t serviceType = 0x01;
    std::string provider;
    std::string name;
};
// service_descriptor (0x48) with one name entry, the standard form.
Bytes ServiceDescriptor(uint8_t serviceType, std::string_view provider, std::string_view name);
// service_descriptor with several name entries in one body.
Bytes ServiceDescriptor(const std::vector<ServiceName>& entries);

struct MultilingualName {
    std::string language;  // ISO 639 code, three bytes
    std::string provider;
    std::string name;
};
// multilingual_service_name_descriptor (0x5D).
Bytes MultilingualServiceNameDescriptor(const std::vector<MultilingualName>& entries);

}  // namespace sibuild
