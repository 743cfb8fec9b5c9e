// Which bytes of a datagram are transport stream: plain datagrams, RTP packets with every
// optional header part, and broken ones.

#include <gtest/gtest.h>

#include "platform/sources/RtpPayload.h"
#include "sibuild/SectionBuilder.h"

using sibuild::Bytes;

namespace {

// Two packets' worth of transport stream, recognisable.
Bytes Ts() {
    Bytes ts(376, 0xAB);
    ts[0] = 0x47;
    ts[188] = 0x47;
    return ts;
}

struct RtpHeader {
    uint8_t version = 2;
    uint8_t payloadType = 33;
    std::vector<uint32_t> csrcs;
    std::optional<Bytes> extension;  // whole 32-bit words after its 4-byte head
    uint8_t padding = 0;             // bytes of padding, the last one holding the count
};

Bytes Rtp(const RtpHeader& h, const Bytes& payload) {
    sibuild::ByteWriter w;
    w.U8(static_cast<uint8_t>(h.version << 6 | (h.padding ? 0x20 : 0) | (h.extension ? 0x10 : 0) |
                              h.csrcs.size()));
    w.U8(h.payloadType).U16(0x1234).U32(90000).U32(0xCAFEF00D);
    for (uint32_t csrc : h.csrcs)
        w.U32(csrc);
    if (h.extension)
        w.U16(0xBEDE).U16(static_cast<uint16_t>(h.extension->size() / 4)).Append(*h.extension);
    w.Append(payload);
    for (int i = 1; i < h.padding; ++i)
        w.U8(0);
    if (h.padding)
        w.U8(h.padding);
    return w.Take();
}

Bytes Of(std::span<const uint8_t> span) {
    return Bytes(span.begin(), span.end());
}

TEST(RtpPayload, TakesTransportStreamOutOfEveryKindOfDatagram) {
    const Bytes ts = Ts();
    Bytes unaligned(ts.begin() + 10, ts.end());  // plain stream cut anywhere
    RtpHeader plain;
    RtpHeader otherType;
    otherType.payloadType = 96;
    RtpHeader full;
    full.csrcs = {1, 2, 3};
    full.extension = Bytes(8, 0x47);  // sync bytes in the extension are not payload
    full.padding = 5;

    struct Case {
        const char* name;
        Bytes datagram;
        bool rtpExpected;
        Bytes expected;
    };
    const Case cases[] = {
        {"plain over udp", ts, false, ts},
        {"plain over rtp", ts, true, ts},
        {"rtp over udp", Rtp(plain, ts), false, ts},
        {"rtp over rtp", Rtp(plain, ts), true, ts},
        {"dynamic payload type", Rtp(otherType, ts), true, ts},
        {"csrcs, extension, padding", Rtp(full, ts), false, ts},
        {"unaligned plain stream passes whole", unaligned, false, unaligned},
        {"rtp whose payload is not aligned, udp: whole", Rtp(plain, unaligned), false,
         Rtp(plain, unaligned)},
        {"rtp whose payload is not aligned, rtp: payload", Rtp(plain, unaligned), true, unaligned},
        {"header only", Rtp(plain, {}), true, {}},
        {"empty", {}, true, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Of(TransportStreamPayload(c.datagram, c.rtpExpected)), c.expected) << c.name;
}

TEST(RtpPayload, BrokenRtpIsNotTakenApart) {
    const Bytes ts = Ts();
    RtpHeader version1;
    version1.version = 1;
    RtpHeader csrcs;
    csrcs.csrcs = {1, 2};
    Bytes truncatedCsrcs = Rtp(csrcs, {});
    truncatedCsrcs.resize(truncatedCsrcs.size() - 2);
    RtpHeader extension;
    extension.extension = Bytes(4, 0);
    Bytes longExtension = Rtp(extension, ts);
    longExtension[14] = 0xFF;  // extension length: far more words than the datagram holds
    longExtension[15] = 0xFF;
    RtpHeader padded;
    padded.padding = 1;
    Bytes overPadded = Rtp(padded, Bytes{0x47, 0x00, 0x12});
    overPadded.back() = 5;  // more padding than payload
    Bytes zeroPadding = Rtp(padded, ts);
    zeroPadding.back() = 0;

    for (const Bytes& broken :
         {Rtp(version1, ts), truncatedCsrcs, longExtension, overPadded, zeroPadding}) {
        EXPECT_TRUE(TransportStreamPayload(broken, true).empty());
        // Over udp:// it may still be a plain stream that the framer makes sense of.
        EXPECT_EQ(Of(TransportStreamPayload(broken, false)), broken);
    }
}

}  // namespace
