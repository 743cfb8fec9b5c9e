#include "platform/ts/SectionAssembler.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kPacketSize = 188;
constexpr uint8_t kSyncByte = 0x47;
constexpr uint8_t kStuffingByte = 0xFF;
constexpr size_t kSectionHeaderSize = 3;  // table_id and section_length
constexpr uint8_t kMaxAdaptationLength = 183;
}  // namespace

SectionAssembler::SectionAssembler() : buffer(new uint8_t[kMaxSectionSize]) {}

void SectionAssembler::Reset() {
    DropPending();
    lastCounter = -1;
}

void SectionAssembler::Feed(const uint8_t* packet, SectionSink& sink) {
    ByteReader payload(packet, kPacketSize);
    if (payload.U8() != kSyncByte)
        return;
    const uint16_t flagsAndPid = payload.U16();
    if (flagsAndPid & 0x8000)
        return;  // transport_error_indicator: nothing in it can be trusted
    const bool unitStart = flagsAndPid & 0x4000;
    const uint8_t control = payload.U8();
    if (control & 0x20) {
        // Longer than a packet can hold: the header is damaged, whatever it says of a payload.
        const uint8_t adaptationLength = payload.U8();
        if (adaptationLength > kMaxAdaptationLength) {
            DropPending();
            return;
        }
        payload.Skip(adaptationLength);
    }
    if (!(control & 0x10))
        return;  // no payload: nothing carried, no counter to check
    ByteReader beforeTarget;
    if (unitStart) {
        const uint8_t pointer = payload.U8();
        beforeTarget = payload.Scope(pointer);
    }
    if (!payload.Ok()) {  // pointer_field past the payload's end
        DropPending();
        return;
    }

    const int counter = control & 0x0F;
    if (lastCounter >= 0) {
        if (counter == lastCounter)
            return;  // the same packet sent twice
        if (counter != ((lastCounter + 1) & 0x0F))
            DropPending();  // packets were lost
    }
    lastCounter = counter;

    if (!unitStart) {
        if (have > 0)
            Continue(payload, sink);
        return;
    }
    if (have > 0) {
        Continue(beforeTarget, sink);
        DropPending();  // a section starts at the target, so an unfinished one cannot go on
    }
    StartSections(payload, sink);
}

void SectionAssembler::Continue(ByteReader& payload, SectionSink& sink) {
    auto take = [&](size_t wanted) {
        const auto bytes = payload.Bytes(std::min(wanted, payload.Remaining()));
        if (!bytes.empty())
            std::memcpy(buffer.get() + have, bytes.data(), bytes.size());
        have += bytes.size();
    };
    if (need == 0) {
        take(kSectionHeaderSize - have);
        if (have < kSectionHeaderSize)
            return;
        ByteReader header(buffer.get(), kSectionHeaderSize);
        header.U8();
        need = kSectionHeaderSize + header.Length12();
    }
    take(need - have);
    if (have == need) {
        const size_t length = need;
        DropPending();
        sink.OnSection(buffer.get(), length);
    }
}

void SectionAssembler::StartSections(ByteReader& payload, SectionSink& sink) {
    while (payload.Remaining() > 0) {
        ByteReader header = payload.Rest();
        if (header.U8() == kStuffingByte)
            return;
        const size_t length = kSectionHeaderSize + header.Length12();
        if (header.Ok() && length <= payload.Remaining()) {
            // Whole within this packet: handed over in place, no copy.
            const auto section = payload.Bytes(length);
            sink.OnSection(section.data(), section.size());
            continue;
        }
        Continue(payload, sink);  // runs on in the next packets
        return;
    }
}
