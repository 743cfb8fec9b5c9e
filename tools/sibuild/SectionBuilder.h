#pragma once
// Builds SI sections byte by byte for tests, benchmarks and the capture generator. Lengths
// and CRCs are computed unless a caller deliberately writes wrong ones.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace sibuild {

using Bytes = std::vector<uint8_t>;

class ByteWriter {
public:
    ByteWriter& U8(uint8_t v);
    ByteWriter& U16(uint16_t v);
    ByteWriter& U24(uint32_t v);
    ByteWriter& U32(uint32_t v);
    ByteWriter& Append(const Bytes& b);
    ByteWriter& Append(std::string_view text);
    // A length byte followed by the text (names of DVB descriptors).
    ByteWriter& Text8(std::string_view text);
    const Bytes& Data() const { return bytes; }
    Bytes Take() { return std::move(bytes); }

private:
    Bytes bytes;
};

Bytes Concat(std::initializer_list<Bytes> parts);

// tag, length = body size (at most 255), body.
Bytes Descriptor(uint8_t tag, const Bytes& body);
// A loop of descriptors prefixed by 4 reserved bits and a 12-bit length.
Bytes LengthPrefixed12(const Bytes& body, uint8_t reservedHighNibble = 0xF);

struct SectionHeader {
    uint8_t tableId = 0;
    uint16_t tableIdExtension = 0;
    uint8_t version = 0;
    bool currentNext = true;
    uint8_t sectionNumber = 0;
    uint8_t lastSectionNumber = 0;
};

// A long-syntax section: header, the payload after last_section_number, CRC_32.
// section_length is computed from the payload.
Bytes LongSection(const SectionHeader& header, const Bytes& payload);
// Sets section_length to fit the section's size and recomputes the CRC.
void FixLengthAndCrc(Bytes& section);
// Recomputes only the CRC (for tests that altered a declared length on purpose).
void FixCrc(Bytes& section);

}  // namespace sibuild
