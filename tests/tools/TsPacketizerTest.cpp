#include "sibuild/TsPacketizer.h"

#include <gtest/gtest.h>

using sibuild::Bytes;

namespace {

TEST(TsPacketizer, HeaderFieldsAndAdaptationField) {
    sibuild::TsHeader header;
    header.pid = 0x1ABC;
    header.counter = 0x1B;  // only the low four bits count
    header.unitStart = true;
    header.transportError = true;
    const Bytes packet = sibuild::TsPacket(header, sibuild::AdaptationField(3, true), {0x00, 0x42});
    ASSERT_EQ(packet.size(), 188u);
    EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 11),
              (Bytes{0x47, 0xDA, 0xBC, 0x3B, 3, 0x80, 0xFF, 0xFF, 0x00, 0x42, 0xFF}));
    EXPECT_EQ(packet.back(), 0xFF);

    header.hasPayload = false;
    EXPECT_EQ(sibuild::TsPacket(header, {}, {})[3], 0x0B);
    EXPECT_THROW(sibuild::TsPacket(header, sibuild::AdaptationField(100), Bytes(84)),
                 std::length_error);
    EXPECT_EQ(sibuild::AdaptationField(200).size(), 184u);
}

TEST(TsPacketizer, PacksSectionsWithPointerFieldsAndCounters) {
    const Bytes a(200, 0xAA), b(50, 0xBB), c(10, 0xCC);
    sibuild::TsPacketizer packetizer(0x12, 14);
    const Bytes packed = packetizer.Packetize({a, b, c}, true);
    ASSERT_EQ(sibuild::PacketCount(packed), 2u);
    const Bytes first = sibuild::PacketAt(packed, 0), second = sibuild::PacketAt(packed, 1);
    EXPECT_EQ(first[1] & 0x40, 0x40);
    EXPECT_EQ(first[3] & 0x0F, 14);
    EXPECT_EQ(first[4], 0);  // a starts at once
    EXPECT_EQ(second[1] & 0x40, 0x40);
    EXPECT_EQ(second[3] & 0x0F, 15);
    EXPECT_EQ(second[4], 200 - 183);  // b starts after a's last 17 bytes
    EXPECT_EQ(second[5 + 17], 0xBB);
    EXPECT_EQ(second[5 + 17 + 50], 0xCC);
    EXPECT_EQ(second[5 + 17 + 60], 0xFF);
    EXPECT_EQ(packetizer.Counter(), 0);

    // One per packet: the continuation of a carries no unit start, and b and c start their own.
    const Bytes apart = packetizer.Packetize({a, b, c});
    ASSERT_EQ(sibuild::PacketCount(apart), 4u);
    EXPECT_EQ(sibuild::PacketAt(apart, 1)[1] & 0x40, 0);
    EXPECT_EQ(sibuild::PacketAt(apart, 1)[4 + 17], 0xFF);
    EXPECT_EQ(sibuild::PacketAt(apart, 3)[5], 0xCC);
}

TEST(TsPacketizer, NotesThePacketEachSectionEndsIn) {
    const Bytes a(200, 0xAA), b(50, 0xBB), c(183, 0xCC), d(10, 0xDD);
    std::vector<size_t> lastPackets{99};
    sibuild::TsPacketizer packetizer(0x12);
    // Packed, a and b end in packet 1; c starts there and ends in packet 2, and d after it.
    const Bytes packed = packetizer.Packetize({a, b, c, d}, true, lastPackets);
    EXPECT_EQ(lastPackets, (std::vector<size_t>{1, 1, 2, 2}));
    EXPECT_EQ(packed, sibuild::TsPacketizer(0x12).Packetize({a, b, c, d}, true));
    packetizer.Packetize({a, b, c, d}, false, lastPackets);
    EXPECT_EQ(lastPackets, (std::vector<size_t>{1, 2, 3, 4}));
    // A section that fills its packet to the last byte: the next one starts a packet.
    packetizer.Packetize({c, d}, true, lastPackets);
    EXPECT_EQ(lastPackets, (std::vector<size_t>{0, 1}));
}

TEST(TsPacketizer, TimestampedAndParityForms) {
    sibuild::TsPacketizer packetizer(0x11);
    const Bytes packets = packetizer.Packetize({Bytes(400, 0x11)});
    const Bytes ts192 = sibuild::To192(packets, 0x01020304, 0x10);
    const Bytes ts204 = sibuild::To204(packets);
    ASSERT_EQ(ts192.size(), 3 * 192u);
    ASSERT_EQ(ts204.size(), 3 * 204u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Bytes(ts192.begin() + 192 * i + 4, ts192.begin() + 192 * (i + 1)),
                  sibuild::PacketAt(packets, i));
        EXPECT_EQ(Bytes(ts204.begin() + 204 * i, ts204.begin() + 204 * i + 188),
                  sibuild::PacketAt(packets, i));
    }
    EXPECT_EQ(Bytes(ts192.begin() + 192, ts192.begin() + 196), (Bytes{1, 2, 3, 0x14}));
}

}  // namespace
