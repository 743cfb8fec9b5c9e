#include "sibuild/SectionBuilder.h"

#include <stdexcept>

#include "si/Crc32Mpeg2.h"

namespace sibuild {

ByteWriter& ByteWriter::U8(uint8_t v) {
    bytes.push_back(v);
    return *this;
}
ByteWriter& ByteWriter::U16(uint16_t v) { return U8(v >> 8).U8(v & 0xFF); }
ByteWriter& ByteWriter::U24(uint32_t v) { return U8((v >> 16) & 0xFF).U16(v & 0xFFFF); }
ByteWriter& ByteWriter::U32(uint32_t v) { return U16(v >> 16).U16(v & 0xFFFF); }
ByteWriter& ByteWriter::Append(const Bytes& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
}
ByteWriter& ByteWriter::Append(std::string_view text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
}
ByteWriter& ByteWriter::Text8(std::string_view text) {
    if (text.size() > 255) throw std::length_error("DVB text longer than 255 bytes");
    return U8(static_cast<uint8_t>(text.size())).Append(text);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Descriptor(uint8_t tag, const Bytes& body) {
    if (body.size() > 255) throw std::length_error("descriptor body longer than 255 bytes");
    ByteWriter w;
    w.U8(tag).U8(static_cast<uint8_t>(body.size())).Append(body);
    return w.Take();
}

Bytes LengthPrefixed12(const Bytes& body, uint8_t reservedHighNibble) {
    if (body.size() > 0x0FFF) throw std::length_error("loop longer than 4095 bytes");
    ByteWriter w;
    w.U16(static_cast<uint16_t>(reservedHighNibble << 12 | body.size())).Append(body);
    return w.Take();
}

Bytes LongSection(const SectionHeader& header, const Bytes& payload) {
    ByteWriter w;
    w.U8(header.tableId).U16(0).U16(header.tableIdExtension);
    w.U8(static_cast<uint8_t>(0xC0 | (header.version & 0x1F) << 1 | (header.currentNext ? 1 : 0)));
    w.U8(header.sectionNumber).U8(header.lastSectionNumber).Append(payload).U32(0);
    Bytes section = w.Take();
    FixLengthAndCrc(section);
    return section;
}

void FixLengthAndCrc(Bytes& section) {
    size_t sectionLength = section.size() - 3;
    if (section.size() < 7 || sectionLength > 0x0FFF) throw std::length_error("bad section size");
    section[1] = static_cast<uint8_t>(0xB0 | sectionLength >> 8);  // long syntax, reserved bits set
    section[2] = static_cast<uint8_t>(sectionLength & 0xFF);
    FixCrc(section);
}

void FixCrc(Bytes& section) {
    size_t n = section.size() - 4;
    uint32_t crc = Crc32Mpeg2(section.data(), n);
    section[n] = crc >> 24;
    section[n + 1] = (crc >> 16) & 0xFF;
    section[n + 2] = (crc >> 8) & 0xFF;
    section[n + 3] = crc & 0xFF;
}

}  // namespace sibuild
