#include "sibuild/TimeTableBuilder.h"

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

}  // namespace sibuild
