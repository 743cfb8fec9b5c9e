#include "sibuild/TimeTableBuilder.h"

#include <cstdlib>
#include <stdexcept>

#include "sibuild/DvbTime.h"

namespace sibuild {

namespace {
// section_syntax_indicator 0, reserved_future_use and reserved bits set, section_length.
uint16_t ShortSyntaxLength(size_t sectionLength) {
    if (sectionLength > 0x0FFF)
        throw std::length_error("section longer than 4095 bytes");
    return static_cast<uint16_t>(0x7000 | sectionLength);
}
// An offset of at most 99:59 as two BCD bytes, hours then minutes; the sign goes elsewhere.
void OffsetBcd(ByteWriter& w, int minutes) {
    const int magnitude = std::abs(minutes);
    w.U8(Bcd(magnitude / 60)).U8(Bcd(magnitude % 60));
}
}  // namespace

Bytes TdtSection(int64_t utcSeconds) {
    ByteWriter w;
    w.U8(0x70).U16(ShortSyntaxLength(5)).Append(EncodeUtcTime(utcSeconds));
    return w.Take();
}

Bytes TotSection(int64_t utcSeconds, const Bytes& descriptors) {
    const size_t sectionLength = 5 + 2 + descriptors.size() + 4;
    ByteWriter w;
    w.U8(0x73).U16(ShortSyntaxLength(sectionLength)).Append(EncodeUtcTime(utcSeconds));
    w.Append(LengthPrefixed12(descriptors)).U32(0);
    Bytes section = w.Take();
    FixCrc(section);
    return section;
}

Bytes LocalTimeOffsetDescriptor(const std::vector<LocalTimeOffset>& entries) {
    ByteWriter body;
    for (const LocalTimeOffset& entry : entries) {
        if (entry.country.size() != 3)
            throw std::invalid_argument("country code of 3 bytes");
        body.Append(entry.country);
        // region id, a reserved bit, then the polarity: 1 for west of Greenwich.
        body.U8(static_cast<uint8_t>((entry.regionId & 0x3F) << 2 | 0x02 |
                                     (entry.offsetMinutes < 0 ? 1 : 0)));
        OffsetBcd(body, entry.offsetMinutes);
        body.Append(EncodeUtcTime(entry.timeOfChange));
        OffsetBcd(body, entry.nextOffsetMinutes);
    }
    return Descriptor(0x58, body.Take());
}

}  // namespace sibuild
