// What the demultiplexer filter delivers for a transport stream pushed into its input: whole
// sections per output, in completion order, before Receive returns, whatever the chunking.

#include <gtest/gtest.h>

#include "DemuxRig.h"
#include "platform/dshow/Mpeg2Demultiplexer.h"
#include "sibuild/TsPacketizer.h"

using sibuild::Bytes;

namespace {

Bytes Section(uint8_t tableId, uint16_t extension, size_t payloadSize) {
    sibuild::SectionHeader header;
    header.tableId = tableId;
    header.tableIdExtension = extension;
    Bytes payload(payloadSize);
    for (size_t i = 0; i < payloadSize; ++i)
        payload[i] = static_cast<uint8_t>(i * 7 + extension);
    return sibuild::LongSection(header, payload);
}

Bytes Join(std::initializer_list<Bytes> parts) {
    return sibuild::Concat(parts);
}

Bytes Packet(uint16_t pid, uint8_t counter, bool unitStart, const Bytes& payload) {
    sibuild::TsHeader header;
    header.pid = pid;
    header.counter = counter;
    header.unitStart = unitStart;
    return sibuild::TsPacket(header, {}, payload);
}

// Packet `index` of a stream repeated right after itself.
Bytes DuplicatePacket(const Bytes& stream, size_t index) {
    Bytes out(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>((index + 1) * 188));
    const Bytes copy = sibuild::PacketAt(stream, index);
    out.insert(out.end(), copy.begin(), copy.end());
    out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>((index + 1) * 188),
               stream.end());
    return out;
}

Bytes InsertGarbage(const Bytes& stream, size_t beforePacket, size_t size) {
    Bytes out = stream;
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(beforePacket * 188), size, 0x00);
    return out;
}

const Bytes kLong = Section(0x50, 1, 4000);  // 22 packets
const Bytes kSmall1 = Section(0x4E, 2, 20);
const Bytes kSmall2 = Section(0x4E, 3, 30);
const Bytes kSmall3 = Section(0x4F, 4, 10);
const Bytes kSdt = Section(0x42, 5, 150);

struct StreamCase {
    const char* what;
    Bytes stream;
    std::vector<Bytes> eit;  // PID 0x12, sink 0
    std::vector<Bytes> sdt;  // PID 0x11, sink 1
};

std::vector<StreamCase> StreamCases() {
    std::vector<StreamCase> cases;
    {
        sibuild::TsPacketizer eit(0x12), sdt(0x11);
        cases.push_back({"a section over many packets",
                         Join({eit.Packetize(kLong), sdt.Packetize(kSdt), eit.Packetize(kSmall1)}),
                         {kLong, kSmall1},
                         {kSdt}});
    }
    {
        sibuild::TsPacketizer eit(0x12);
        cases.push_back({"several sections in one packet",
                         eit.Packetize({kSmall1, kSmall2, kSmall3}, true),
                         {kSmall1, kSmall2, kSmall3},
                         {}});
    }
    {
        // After kSmall1 stuffing starts: what follows it must not be read as a section.
        const Bytes first = Join({Bytes{0x00}, kSmall1, Bytes{0xFF}, kSmall2});
        cases.push_back({"stuffing after a section",
                         Join({Packet(0x12, 0, true, first),
                               Packet(0x12, 1, true, Join({Bytes{0x00}, kSmall3}))}),
                         {kSmall1, kSmall3},
                         {}});
    }
    {
        sibuild::TsPacketizer eit(0x12), sdt(0x11);
        Bytes stream = Join({eit.Packetize(kLong), sdt.Packetize(kSdt), eit.Packetize(kSmall1)});
        sibuild::SetContinuityCounter(stream, 5, 9);
        cases.push_back(
            {"a continuity jump discards the unfinished section", stream, {kSmall1}, {kSdt}});
    }
    {
        sibuild::TsPacketizer eit(0x12);
        const Bytes stream = Join({eit.Packetize(kLong), eit.Packetize(kSmall1)});
        cases.push_back(
            {"a duplicated packet is ignored", DuplicatePacket(stream, 3), {kLong, kSmall1}, {}});
    }
    {
        sibuild::TsPacketizer eit(0x12), sdt(0x11);
        Bytes stream = Join({eit.Packetize(kLong), sdt.Packetize(kSdt), eit.Packetize(kSmall1)});
        sibuild::SetTransportError(stream, 4);
        cases.push_back({"a packet with a transport error is dropped", stream, {kSmall1}, {kSdt}});
    }
    {
        sibuild::TsPacketizer eit(0x12), sdt(0x11);
        const Bytes stream =
            Join({eit.Packetize(kLong), sdt.Packetize(kSdt), eit.Packetize(kSmall1)});
        cases.push_back(
            {"lost sync is regained", InsertGarbage(stream, 10, 100), {kLong, kSmall1}, {kSdt}});
    }
    {
        sibuild::TsPacketizer eit(0x12), sdt(0x11);
        const Bytes stream = Join({eit.Packetize(kLong), sdt.Packetize(kSdt),
                                   eit.Packetize(kSmall1), eit.Packetize(kSmall2)});
        const size_t packets = sibuild::PacketCount(stream);
        cases.push_back({"too few packets after a loss of sync are ignored",
                         InsertGarbage(stream, packets - 2, 50),
                         {kLong},
                         {kSdt}});
    }
    {
        sibuild::TsPacketizer other(0x100);
        const Bytes unmapped = other.Packetize(kSdt);
        sibuild::TsPacketizer eit(0x12);
        cases.push_back({"unmapped PIDs are passed over",
                         Join({unmapped, eit.Packetize(kSmall1), unmapped}),
                         {kSmall1},
                         {}});
    }
    return cases;
}

TEST(DemuxDelivery, DeliversTheSectionsTheStreamCarriesWhateverTheChunks) {
    for (const StreamCase& c : StreamCases()) {
        for (size_t chunk :
             {size_t{0}, size_t{1}, size_t{187}, size_t{188}, size_t{189}, size_t{5000}}) {
            SCOPED_TRACE(testing::Message() << c.what << ", chunks of " << chunk);
            DemuxRig rig;
            rig.Push(c.stream, chunk);
            rig.End();
            EXPECT_EQ(rig.Sections(0), c.eit);
            EXPECT_EQ(rig.Sections(1), c.sdt);
        }
    }
}

TEST(DemuxDelivery, SamplesHoldOneOutputsSectionsInCompletionOrder) {
    // EIT kSmall1 and kSmall2 complete, then the SDT section, then kSmall3 and kLong.
    sibuild::TsPacketizer eit(0x12), sdt(0x11);
    const Bytes stream = Join({eit.Packetize({kSmall1, kSmall2}, true), sdt.Packetize(kSdt),
                               eit.Packetize({kSmall3, kLong}, true)});
    DemuxRig rig;
    rig.Push(stream);
    const std::vector<DemuxRig::Delivery> expected{
        {0, Join({kSmall1, kSmall2})}, {1, kSdt}, {0, Join({kSmall3, kLong})}};
    EXPECT_EQ(rig.deliveries, expected);
}

TEST(DemuxDelivery, EverythingReceivedIsDeliveredBeforeReceiveReturns) {
    sibuild::TsPacketizer eit(0x12), sdt(0x11);
    const Bytes head = Join({eit.Packetize(kLong), sdt.Packetize(kSdt)});
    const Bytes tail = eit.Packetize(kSmall1);
    DemuxRig rig;
    rig.Push(head);
    EXPECT_EQ(rig.Sections(0), std::vector<Bytes>{kLong});
    EXPECT_EQ(rig.Sections(1), std::vector<Bytes>{kSdt});
    rig.Push(tail);
    EXPECT_EQ(rig.Sections(0), (std::vector<Bytes>{kLong, kSmall1}));
}

TEST(DemuxDelivery, SamplesStayBoundedWhenOneChunkCompletesMany) {
    std::vector<Bytes> sections;
    for (uint16_t i = 0; i < 200; ++i)
        sections.push_back(Section(0x50, i, 1000));
    sibuild::TsPacketizer eit(0x12);
    DemuxRig rig;
    rig.Push(eit.Packetize(sections, true));
    EXPECT_GT(rig.deliveries.size(), 1u);
    for (const auto& d : rig.deliveries)
        EXPECT_LE(d.sample.size(), Mpeg2Demultiplexer::kMaxSampleBytes);
    EXPECT_EQ(rig.Sections(0), sections);
}

TEST(DemuxDelivery, SectionsOfAnUnconnectedOutputAreDropped) {
    DemuxRig rig({{L"EIT", {0x12}}, {L"SDT", {0x11}}, {L"Time", {0x14}, false}});
    sibuild::TsPacketizer eit(0x12), time(0x14), sdt(0x11);
    rig.Push(Join({eit.Packetize(kSmall1), time.Packetize(kSmall3), eit.Packetize(kSmall2),
                   sdt.Packetize(kSdt)}));
    EXPECT_TRUE(rig.sinks[2]->Received(0).empty());
    // Nothing of the dropped output comes between the two EIT sections either.
    const std::vector<DemuxRig::Delivery> expected{{0, Join({kSmall1, kSmall2})}, {1, kSdt}};
    EXPECT_EQ(rig.deliveries, expected);
}

// An unfinished section does not survive the end of its stream: neither an end of stream nor a
// stop and a new run let its remaining packets complete it.
TEST(DemuxDelivery, AStreamsEndDropsUnfinishedSections) {
    struct Case {
        const char* what;
        void (*end)(DemuxRig&);
    };
    const Case cases[] = {{"end of stream", [](DemuxRig& rig) { rig.End(); }},
                          {"stop and run", [](DemuxRig& rig) {
                               EXPECT_EQ(rig.filter->Stop(), S_OK);
                               EXPECT_EQ(rig.filter->Run(0), S_OK);
                           }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sibuild::TsPacketizer eit(0x12);
        const Bytes stream = Join({eit.Packetize(kLong), eit.Packetize(kSmall1)});
        const size_t cut = 5 * 188;
        DemuxRig rig;
        rig.Push(Bytes(stream.begin(), stream.begin() + cut));
        c.end(rig);
        rig.Push(Bytes(stream.begin() + cut, stream.end()));
        EXPECT_EQ(rig.Sections(0), std::vector<Bytes>{kSmall1});
    }
}

TEST(DemuxDelivery, EndOfStreamReachesEveryConnectedOutput) {
    DemuxRig rig({{L"EIT", {0x12}}, {L"SDT", {0x11}}, {L"Loose", {0x14}, false}});
    // A stream's first bytes wait until they show its packet size; the end of stream delivers
    // what they complete before it passes on.
    sibuild::TsPacketizer eit(0x12);
    rig.Push(eit.Packetize(kSmall1));
    EXPECT_TRUE(rig.deliveries.empty());
    rig.End();
    EXPECT_EQ(rig.Sections(0), std::vector<Bytes>{kSmall1});
    EXPECT_EQ(rig.sinks[0]->EndsOfStream(0), 1);
    EXPECT_EQ(rig.sinks[1]->EndsOfStream(0), 1);
    EXPECT_EQ(rig.sinks[2]->EndsOfStream(0), 0);
}

TEST(DemuxDelivery, AStoppedFilterTakesNothing) {
    DemuxRig rig;
    ASSERT_EQ(rig.filter->Stop(), S_OK);
    sibuild::TsPacketizer eit(0x12);
    EXPECT_EQ(rig.source->Deliver(0, eit.Packetize(kSmall1)), VFW_E_WRONG_STATE);
    EXPECT_EQ(rig.source->DeliverEndOfStream(0), VFW_E_WRONG_STATE);
    EXPECT_TRUE(rig.deliveries.empty());
    EXPECT_EQ(rig.sinks[0]->EndsOfStream(0), 0);
}

}  // namespace
