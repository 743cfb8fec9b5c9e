// Routing of whole sections from several PIDs to their outputs.

#include "platform/ts/SectionDemux.h"

#include <gtest/gtest.h>

#include "SectionRecorder.h"
#include "sibuild/TsPacketizer.h"

using sibuild::Bytes;

namespace {

Bytes Section(size_t size, uint8_t seed) {
    Bytes s(size, seed);
    s[0] = 0x42;
    s[1] = static_cast<uint8_t>(0xB0 | (size - 3) >> 8);
    s[2] = static_cast<uint8_t>((size - 3) & 0xFF);
    return s;
}

// The packets of several streams taken in turn, one packet each, as a multiplex mixes them.
Bytes Interleave(const std::vector<Bytes>& streams) {
    Bytes out;
    for (size_t i = 0;; ++i) {
        bool any = false;
        for (const Bytes& s : streams) {
            if (i < sibuild::PacketCount(s)) {
                const Bytes p = sibuild::PacketAt(s, i);
                out.insert(out.end(), p.begin(), p.end());
                any = true;
            }
        }
        if (!any)
            return out;
    }
}

TEST(SectionDemux, RoutesMappedPidsInCompletionOrder) {
    const Bytes eit = Section(500, 1), sdt = Section(150, 2), tdt = Section(8, 3);
    sibuild::TsPacketizer eitPackets(0x12), sdtPackets(0x11), timePackets(0x14);
    const Bytes stream = Interleave(
        {eitPackets.Packetize({eit, eit}), sdtPackets.Packetize(sdt), timePackets.Packetize(tdt)});
    SectionRecorder recorder;
    recorder.demux.MapPid(0x12, 2);
    recorder.demux.MapPid(0x11, 1);
    recorder.Feed(stream);
    // The SDT section ends in the first round of packets, each EIT section in its third.
    const std::vector<DeliveredSection> expected{{1, 0x11, sdt}, {2, 0x12, eit}, {2, 0x12, eit}};
    EXPECT_EQ(recorder.delivered, expected);
}

TEST(SectionDemux, MappingChangesKeepEveryOtherPidIntact) {
    const Bytes first = Section(300, 1), second = Section(40, 2);
    sibuild::TsPacketizer a(0x100), b(0x101), c(0x102), d(0x103);
    const Bytes headA = a.Packetize(first), headB = b.Packetize(first), headC = c.Packetize(first),
                headD = d.Packetize(first);
    const Bytes tailA = a.Packetize(second), tailB = b.Packetize(second),
                tailC = c.Packetize(second), tailD = d.Packetize(second);
    auto firstPacket = [](const Bytes& s) { return sibuild::PacketAt(s, 0); };
    auto secondPacket = [](const Bytes& s) { return sibuild::PacketAt(s, 1); };

    SectionRecorder recorder;
    for (uint16_t pid = 0x100; pid <= 0x103; ++pid)
        recorder.demux.MapPid(pid, pid - 0x100);
    recorder.Feed(Interleave(
        {firstPacket(headA), firstPacket(headB), firstPacket(headC), firstPacket(headD)}));
    recorder.demux.UnmapPid(0x100);   // forgets A's unfinished section
    recorder.demux.MapPid(0x101, 9);  // B moves with its unfinished section
    recorder.demux.UnmapPid(0x100);   // unmapping twice changes nothing
    recorder.demux.MapPid(0x100, 5);  // A again, from nothing
    EXPECT_TRUE(recorder.demux.IsMapped(0x100));
    recorder.demux.UnmapPid(0x103);
    EXPECT_FALSE(recorder.demux.IsMapped(0x103));
    recorder.Feed(Interleave(
        {secondPacket(headA), secondPacket(headB), secondPacket(headC), secondPacket(headD)}));
    recorder.Feed(Interleave({tailA, tailB, tailC, tailD}));
    const std::vector<DeliveredSection> expected{{9, 0x101, first},
                                                 {2, 0x102, first},
                                                 {5, 0x100, second},
                                                 {9, 0x101, second},
                                                 {2, 0x102, second}};
    EXPECT_EQ(recorder.delivered, expected);
}

}  // namespace
