#pragma once
// Packs sections into 188-byte transport packets, and builds the odd packets that tests need
// (adaptation fields, transport errors, no payload, wrong pointer fields), plus the 192-byte
// (timestamped) and 204-byte (Reed-Solomon) forms of a capture.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

constexpr size_t kTsPacketSize = 188;

struct TsHeader {
    uint16_t pid = 0;
    uint8_t counter = 0;  // low 4 bits used
    bool unitStart = false;
    bool transportError = false;
    bool hasPayload = true;
};

// A 188-byte packet: header, `adaptation` (the whole adaptation field with its length byte, or
// empty for none), then `payload`; what is left is filled with 0xFF. Throws when it does not fit.
Bytes TsPacket(const TsHeader& header, const Bytes& adaptation, const Bytes& payload);
// An adaptation field whose length byte says `length`: a flags byte, then 0xFF stuffing, cut at
// 184 bytes in all so that even an impossible length (184 and more) fits in a packet.
Bytes AdaptationField(uint8_t length, bool discontinuity = false);

class TsPacketizer {
public:
    explicit TsPacketizer(uint16_t pid, uint8_t firstCounter = 0);

    // The packets of `sections` in order. Each section starts a packet of its own (pointer_field
    // 0) unless `packTogether`, where a section starts in the packet in which the one before it
    // ends, as long as one byte of it fits. The last packet is filled with 0xFF.
    Bytes Packetize(const std::vector<Bytes>& sections, bool packTogether = false);
    // The same, noting for each section the index of the packet (counted in the returned bytes)
    // in which it ends.
    Bytes Packetize(const std::vector<Bytes>& sections, bool packTogether,
                    std::vector<size_t>& lastPackets);
    Bytes Packetize(const Bytes& section) { return Packetize(std::vector<Bytes>{section}); }

    // Counter of the next packet; set it to make a jump.
    uint8_t Counter() const { return counter; }
    void SetCounter(uint8_t next) { counter = next & 0x0F; }

private:
    Bytes NextPacket(bool unitStart, const Bytes& payload);

    uint16_t pid;
    uint8_t counter;
};

// Packet `index` of a 188-byte stream, as a copy.
Bytes PacketAt(const Bytes& stream, size_t index);
size_t PacketCount(const Bytes& stream);
// Sets transport_error_indicator in packet `index`.
void SetTransportError(Bytes& stream, size_t index);
// Gives packet `index` another continuity counter (a jump, or a repeat of the one before).
void SetContinuityCounter(Bytes& stream, size_t index, uint8_t counter);

// Each packet preceded by a 4-byte timestamp, counting up from `firstTimestamp` by `increment`.
Bytes To192(const Bytes& stream, uint32_t firstTimestamp = 0, uint32_t increment = 0x12345);
// Each packet followed by 16 parity bytes (pseudo-random: nothing reads them as a code).
Bytes To204(const Bytes& stream);

}  // namespace sibuild
