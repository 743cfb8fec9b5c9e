#include "sibuild/TsPacketizer.h"

#include <algorithm>
#include <stdexcept>

namespace sibuild {

namespace {
constexpr size_t kHeaderSize = 4;
constexpr size_t kPayloadSize = kTsPacketSize - kHeaderSize;
}  // namespace

Bytes TsPacket(const TsHeader& header, const Bytes& adaptation, const Bytes& payload) {
    if (adaptation.size() + payload.size() > kPayloadSize) {
        throw std::length_error("adaptation field and payload exceed a packet");
    }
    const uint8_t control = static_cast<uint8_t>(
        (adaptation.empty() ? 0 : 0x20) | (header.hasPayload ? 0x10 : 0) | (header.counter & 0x0F));
    ByteWriter w;
    w.U8(0x47);
    w.U16(static_cast<uint16_t>((header.transportError ? 0x8000 : 0) |
                                (header.unitStart ? 0x4000 : 0) | (header.pid & 0x1FFF)));
    w.U8(control).Append(adaptation).Append(payload);
    Bytes packet = w.Take();
    packet.resize(kTsPacketSize, 0xFF);
    return packet;
}

Bytes AdaptationField(uint8_t length, bool discontinuity) {
    Bytes field{length};
    if (length > 0)
        field.push_back(discontinuity ? 0x80 : 0x00);
    const size_t size = std::min<size_t>(1 + length, kPayloadSize);
    field.resize(size, 0xFF);
    return field;
}

TsPacketizer::TsPacketizer(uint16_t pid, uint8_t firstCounter)
    : pid(pid), counter(firstCounter & 0x0F) {}

Bytes TsPacketizer::NextPacket(bool unitStart, const Bytes& payload) {
    TsHeader header;
    header.pid = pid;
    header.counter = counter;
    header.unitStart = unitStart;
    counter = (counter + 1) & 0x0F;
    return TsPacket(header, {}, payload);
}

Bytes TsPacketizer::Packetize(const std::vector<Bytes>& sections, bool packTogether) {
    std::vector<size_t> lastPackets;
    return Packetize(sections, packTogether, lastPackets);
}

Bytes TsPacketizer::Packetize(const std::vector<Bytes>& sections, bool packTogether,
                              std::vector<size_t>& lastPackets) {
    lastPackets.clear();
    Bytes out;
    size_t index = 0;   // section being written
    size_t offset = 0;  // bytes of it already written
    auto append = [&](Bytes& payload, size_t room) {
        const Bytes& section = sections[index];
        const size_t n = std::min(room, section.size() - offset);
        payload.insert(payload.end(), section.begin() + static_cast<std::ptrdiff_t>(offset),
                       section.begin() + static_cast<std::ptrdiff_t>(offset + n));
        offset += n;
        if (offset == section.size()) {
            lastPackets.push_back(out.size() / kTsPacketSize);
            ++index;
            offset = 0;
        }
    };
    while (index < sections.size()) {
        Bytes payload;
        const size_t rest = sections[index].size() - offset;
        const bool next = index + 1 < sections.size();
        // A packet starts a section when one begins at its start, or (packing) when the
        // current one ends early enough to leave a byte after the pointer_field.
        const bool unitStart = offset == 0 || (packTogether && next && rest + 1 < kPayloadSize);
        if (!unitStart) {
            append(payload, kPayloadSize);
        } else {
            const size_t pointer = offset == 0 ? 0 : rest;
            payload.push_back(static_cast<uint8_t>(pointer));
            if (pointer > 0)
                append(payload, pointer);
            do {
                append(payload, kPayloadSize - payload.size());
            } while (packTogether && index < sections.size() && offset == 0 &&
                     payload.size() < kPayloadSize);
        }
        for (uint8_t b : NextPacket(unitStart, payload))
            out.push_back(b);
    }
    return out;
}

Bytes PacketAt(const Bytes& stream, size_t index) {
    const auto first = stream.begin() + static_cast<std::ptrdiff_t>(index * kTsPacketSize);
    return Bytes(first, first + kTsPacketSize);
}

size_t PacketCount(const Bytes& stream) {
    return stream.size() / kTsPacketSize;
}

void SetTransportError(Bytes& stream, size_t index) {
    stream.at(index * kTsPacketSize + 1) |= 0x80;
}

void SetContinuityCounter(Bytes& stream, size_t index, uint8_t counter) {
    uint8_t& control = stream.at(index * kTsPacketSize + 3);
    control = static_cast<uint8_t>((control & 0xF0) | (counter & 0x0F));
}

Bytes To192(const Bytes& stream, uint32_t firstTimestamp, uint32_t increment) {
    Bytes out;
    uint32_t timestamp = firstTimestamp;
    for (size_t i = 0; i < PacketCount(stream); ++i, timestamp += increment) {
        ByteWriter w;
        w.U32(timestamp).Append(PacketAt(stream, i));
        const Bytes& unit = w.Data();
        out.insert(out.end(), unit.begin(), unit.end());
    }
    return out;
}

Bytes To204(const Bytes& stream) {
    Bytes out;
    for (size_t i = 0; i < PacketCount(stream); ++i) {
        const Bytes packet = PacketAt(stream, i);
        out.insert(out.end(), packet.begin(), packet.end());
        // Derived from the packet, as real parity is: the same packet gets the same bytes.
        uint32_t state = 2166136261u;
        for (uint8_t b : packet)
            state = (state ^ b) * 16777619u;
        if (state == 0)
            state = 1;
        for (int j = 0; j < 16; ++j) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            out.push_back(static_cast<uint8_t>(state));
        }
    }
    return out;
}

}  // namespace sibuild
