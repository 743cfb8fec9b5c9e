// The demultiplexer's byte path: transport stream bytes through the packet framer and the
// section demultiplexer for the PIDs the program maps (PAT, SDT/BAT, EIT, TDT/TOT). Every
// section handed over must be exactly as long as its header says, and the sections must not
// depend on how the bytes were split into chunks (a file and a socket split them differently).
// The same bytes are also taken as one UDP datagram: the transport stream found in it must lie
// inside it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include "platform/sources/RtpPayload.h"
#include "platform/ts/PacketFramer.h"
#include "platform/ts/SectionDemux.h"
#include "platform/ts/StreamClock.h"

namespace {

constexpr uint16_t kPids[] = {0x0000, 0x0011, 0x0012, 0x0014};

struct Delivered {
    int output;
    uint16_t pid;
    std::vector<uint8_t> bytes;
    bool operator==(const Delivered&) const = default;
};

void Fail(const char* what) {
    std::fprintf(stderr, "demux: %s\n", what);
    __builtin_trap();
}

// Frames and demultiplexes `data`, pushed in chunks whose sizes `nextChunk` chooses.
template <typename ChunkSizes>
std::vector<Delivered> Demultiplex(const uint8_t* data, size_t size, ChunkSizes nextChunk) {
    std::vector<Delivered> delivered;
    SectionDemux demux([&](int output, uint16_t pid, const uint8_t* section, size_t length) {
        if (length < 3 || length > SectionAssembler::kMaxSectionSize)
            Fail("section length out of range");
        const size_t declared = 3 + (((section[1] & 0x0F) << 8) | section[2]);
        if (length != declared)
            Fail("section length differs from its header");
        if (pid == kTimePid)
            (void)ParseTimeSection(section, length);
        // Copying reads every byte: the sanitizer sees any that lies outside the section.
        delivered.push_back({output, pid, std::vector<uint8_t>(section, section + length)});
    });
    for (int i = 0; i < 4; ++i)
        demux.MapPid(kPids[i], i);
    PacketFramer framer([&](const uint8_t* packets, size_t count) {
        for (size_t i = 0; i < count; ++i)
            if (packets[i * PacketFramer::kPacketSize] != PacketFramer::kSyncByte)
                Fail("packet without sync byte");
        demux.Feed(packets, count);
    });
    size_t pos = 0;
    while (pos < size) {
        const size_t chunk = std::min(nextChunk(), size - pos);
        framer.Push(data + pos, chunk);
        pos += chunk;
    }
    framer.End();
    return delivered;
}

void CheckDatagram(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> datagram(data, size);
    for (bool rtpExpected : {false, true}) {
        const std::span<const uint8_t> payload = TransportStreamPayload(datagram, rtpExpected);
        if (!payload.empty() &&
            (payload.data() < data || payload.data() + payload.size() > data + size))
            Fail("datagram payload outside the datagram");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return -1;
    CheckDatagram(data, size);
    const std::vector<Delivered> whole = Demultiplex(data, size, [size] { return size; });
    // Small uneven chunks, from a sequence the input's size picks, cut through every field.
    uint32_t state = static_cast<uint32_t>(size) * 2654435761u + 1;
    const std::vector<Delivered> chunked = Demultiplex(data, size, [&state] {
        state = state * 1103515245u + 12345u;
        return size_t{1} + (state >> 16) % 211;
    });
    if (whole != chunked)
        Fail("sections depend on how the stream was split into chunks");
    return 0;
}
