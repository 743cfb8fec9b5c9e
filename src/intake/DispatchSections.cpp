#include "intake/DispatchSections.h"

#include "si/ByteReader.h"
#include "si/Crc32Mpeg2.h"
#include "si/ParseBatSection.h"
#include "si/ParseEitSection.h"
#include "si/ParseSdtSection.h"

namespace {

// One verified section to the parser of its table; sections of other tables bring nothing.
bool RouteSection(SectionParser& parser, const uint8_t* section, int32_t totalLength) {
    switch (section[0]) {
        case 0x42:  // service description, actual transport stream
        case 0x46:  // service description, other transport stream
            return ParseSdtSection(parser, section, totalLength);
        case 0x4A:  // bouquet association; it walks by its own section_length
            return ParseBatSection(parser, section);
        default:
            // Event information: present/following and schedule, actual and other streams.
            if (section[0] >= 0x4E && section[0] <= 0x6F)
                return ParseEitSection(parser, section, totalLength);
            return false;
    }
}

}  // namespace

bool DispatchSections(const uint8_t* buffer, int32_t length, SectionParser& parser) {
    bool result = false;
    ByteReader rest(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    while (rest.Remaining() >= 3) {  // fewer: a partial header, dropped
        ByteReader header = rest.Rest();
        header.Skip(1);
        const size_t extent = header.Length12() + size_t{3};
        const uint8_t* section = rest.Position();
        ByteReader whole = rest.Scope(extent);
        if (!rest.Ok())
            break;  // truncated: it and anything after it are dropped
        parser.sectionsSeen.Add();
        // section_length 0 or 1 leaves no byte in front of a CRC: nothing to verify.
        if (extent < 5)
            continue;
        whole.Skip(extent - 4);
        if (Crc32Mpeg2(section, extent - 4) != whole.U32())
            continue;
        if (RouteSection(parser, section, static_cast<int32_t>(extent)))
            result = true;
    }
    return result;
}
