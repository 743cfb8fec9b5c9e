// The assembly rules of one PID, driven through the demultiplexer with packets from the
// packetizer.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SectionRecorder.h"
#include "sibuild/TsPacketizer.h"

using sibuild::Bytes;
using sibuild::TsHeader;

namespace {

constexpr uint16_t kPid = 0x12;
constexpr int kOutput = 7;

// A section of `size` bytes: table_id, section_length, then bytes that change with `seed`.
Bytes RawSection(size_t size, uint8_t seed, uint8_t tableId = 0x4E) {
    Bytes s(size);
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<uint8_t>(seed + i * 13);
    s[0] = tableId;
    s[1] = static_cast<uint8_t>(0xB0 | (size - 3) >> 8);
    s[2] = static_cast<uint8_t>((size - 3) & 0xFF);
    return s;
}

std::vector<Bytes> Demux(const Bytes& stream) {
    SectionRecorder recorder;
    recorder.demux.MapPid(kPid, kOutput);
    recorder.Feed(stream);
    std::vector<Bytes> sections;
    for (const auto& d : recorder.delivered) {
        EXPECT_EQ(d.output, kOutput);
        EXPECT_EQ(d.pid, kPid);
        sections.push_back(d.section);
    }
    return sections;
}

Bytes Join(const std::vector<Bytes>& packets) {
    Bytes out;
    for (const Bytes& p : packets)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Packet(uint8_t counter, bool unitStart, const Bytes& payload, const Bytes& adaptation = {}) {
    TsHeader header;
    header.pid = kPid;
    header.counter = counter;
    header.unitStart = unitStart;
    return sibuild::TsPacket(header, adaptation, payload);
}

TEST(SectionAssembly, SectionsOfEverySizeComeBackWholeAndInOrder) {
    // Sizes from the smallest possible up to several packets, so that sections and their
    // three header bytes end at every place in a packet, packed and one per packet.
    std::vector<Bytes> sections;
    for (size_t size = 3; size <= 600; ++size)
        sections.push_back(RawSection(size, uint8_t(size)));
    sections.push_back(RawSection(SectionAssembler::kMaxSectionSize, 1));
    sections.push_back(RawSection(3, 2));
    for (bool packTogether : {false, true}) {
        SCOPED_TRACE(packTogether ? "packed" : "one per packet");
        sibuild::TsPacketizer packetizer(kPid);
        EXPECT_EQ(Demux(packetizer.Packetize(sections, packTogether)), sections);
    }
}

// A stream of packets and the sections it must give.
struct StreamCase {
    std::string name;
    std::function<Bytes()> stream;
    std::vector<Bytes> expected;
};

void RunCases(const std::vector<StreamCase>& cases) {
    for (const StreamCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Demux(c.stream()), c.expected);
    }
}

TEST(SectionAssembly, PacketLayoutCorners) {
    const Bytes a = RawSection(20, 1);
    const Bytes b = RawSection(30, 2);
    const Bytes c = RawSection(25, 3);
    const Bytes big = RawSection(300, 4);  // 183 bytes after a pointer_field, then 117
    const Bytes bigHead(big.begin(), big.begin() + 183);
    const Bytes bigTail(big.begin() + 183, big.end());
    const Bytes twoPackets = RawSection(2 * 183, 5);
    const Bytes next = RawSection(200, 6);
    RunCases({
        // Also when what follows the 0xFF would read as a whole section.
        {"StuffingEndsThePacket",
         [&] {
             return Packet(0, true, Join({{0}, a, {0xFF, 0xF0, 0x02, 0x4E, 0x4E}, b}));
         },
         {a}},
        {"AdaptationFieldSkipped",
         [&] {
             return Packet(0, true, Join({{0}, a, b}), sibuild::AdaptationField(40));
         },
         {a, b}},
        // After a finished section, only a payload_unit_start packet can start another.
        {"NoStartWithoutUnitStart",
         [&] {
             return Join(
                 {Packet(0, true, Join({{0}, bigHead})), Packet(1, false, Join({bigTail, b}))});
         },
         {big}},
        // Bytes before the pointer target that follow the finished section are ignored.
        {"NoStartBeforeThePointerTarget",
         [&] {
             return Join(
                 {Packet(0, true, Join({{0}, bigHead})),
                  Packet(1, true, Join({{uint8_t(bigTail.size() + b.size())}, bigTail, b, c}))});
         },
         {big, c}},
        // The bytes before the target do not finish the section: it is dropped.
        {"UnfinishedBeforeThePointerTarget",
         [&] {
             // The new section runs on into the next packet, which must not extend the old.
             const Bytes part(bigTail.begin(), bigTail.end() - 1);
             const Bytes head(next.begin(), next.begin() + 183 - part.size());
             const Bytes tail(next.begin() + head.size(), next.end());
             return Join({Packet(0, true, Join({{0}, bigHead})),
                          Packet(1, true, Join({{uint8_t(part.size())}, part, head})),
                          Packet(2, false, tail)});
         },
         {next}},
        {"ContinuationWithoutStart",
         [&] {
             return Join({Packet(0, false, bigTail), Packet(1, true, Join({{0}, a}))});
         },
         {a}},
        // The pending section ends exactly at the payload's end, where the pointer points.
        {"PointerToThePayloadEnd",
         [&] {
             return Join(
                 {Packet(0, true, Join({{0}, Bytes(twoPackets.begin(), twoPackets.begin() + 183)})),
                  Packet(1, true, Join({{183}, Bytes(twoPackets.begin() + 183, twoPackets.end())})),
                  Packet(2, true, Join({{0}, a}))});
         },
         {twoPackets, a}},
        {"CutOffAtTheEnd",
         [&] {
             return Packet(0, true, Join({{0}, a, Bytes(big.begin(), big.begin() + 150)}));
         },
         {a}},
    });
}

// Sections A (three packets, counters 0 to 2) and B (one packet, counter 3) on one PID, and
// what happens to them when packets are lost, repeated, damaged or put in between.
TEST(SectionAssembly, ContinuityAndOddPackets) {
    const Bytes a = RawSection(400, 10);
    const Bytes b = RawSection(100, 20);
    sibuild::TsPacketizer packetizer(kPid);
    const Bytes base = packetizer.Packetize({a, b});
    ASSERT_EQ(sibuild::PacketCount(base), 4u);
    const Bytes p0 = sibuild::PacketAt(base, 0), p1 = sibuild::PacketAt(base, 1),
                p2 = sibuild::PacketAt(base, 2), p3 = sibuild::PacketAt(base, 3);
    auto withCounter = [](Bytes packet, uint8_t counter) {
        sibuild::SetContinuityCounter(packet, 0, counter);
        return packet;
    };
    auto withError = [](Bytes packet) {
        sibuild::SetTransportError(packet, 0);
        return packet;
    };
    auto noPayload = [](uint8_t counter) {
        TsHeader header;
        header.pid = kPid;
        header.counter = counter;
        header.hasPayload = false;
        return sibuild::TsPacket(header, sibuild::AdaptationField(183), {});
    };
    const Bytes garbage(184, 0x33);
    // Packets that are ignored whole, each with counter `counter`.
    const std::vector<std::pair<std::string, std::function<Bytes(uint8_t)>>> broken = {
        {"AdaptationLength184",
         [&](uint8_t counter) {
             return Packet(counter, false, {}, sibuild::AdaptationField(184));
         }},
        {"AdaptationLength200WithoutPayload",
         [&](uint8_t counter) {
             TsHeader header;
             header.pid = kPid;
             header.counter = counter;
             header.hasPayload = false;
             return sibuild::TsPacket(header, sibuild::AdaptationField(200), {});
         }},
        {"AdaptationLength255",
         [&](uint8_t counter) { return Packet(counter, true, {}, sibuild::AdaptationField(255)); }},
        {"PointerPastPayload",
         [&](uint8_t counter) {
             return Packet(counter, true, Join({{184}, Bytes(183, 0x4E)}), {});
         }},
        {"PointerPastShortPayload",
         [&](uint8_t counter) {
             return Packet(counter, true, Join({{100}, Bytes(99, 0x4E)}),
                           sibuild::AdaptationField(83));
         }},
        {"NoRoomForPointer",
         [&](uint8_t counter) { return Packet(counter, true, {}, sibuild::AdaptationField(183)); }},
    };

    std::vector<StreamCase> cases = {
        {"Clean",
         [&] {
             return Join({p0, p1, p2, p3});
         },
         {a, b}},
        {"DuplicateFirst",
         [&] {
             return Join({p0, p0, p1, p2, p3});
         },
         {a, b}},
        {"DuplicateMiddle",
         [&] {
             return Join({p0, p1, p1, p2, p3});
         },
         {a, b}},
        {"DuplicateSingle",
         [&] {
             return Join({p0, p1, p2, p3, p3});
         },
         {a, b}},
        {"LostMiddle",
         [&] {
             return Join({p0, p2, p3});
         },
         {b}},
        {"JumpBeforeStart",
         [&] {
             return Join({p0, p1, p2, withCounter(p3, 9)});
         },
         {a, b}},
        {"JumpWraps",
         [&] {
             return Join(
                 {withCounter(p0, 15), withCounter(p1, 0), withCounter(p2, 1), withCounter(p3, 2)});
         },
         {a, b}},
        {"TransportErrorInMiddle",
         [&] {
             return Join({p0, withError(p1), p2, p3});
         },
         {b}},
        // Dropped before the counter check: its counter breaks nothing.
        {"TransportErrorBetween",
         [&] {
             return Join({p0, withError(Packet(9, false, garbage)), p1, p2, p3});
         },
         {a, b}},
        {"PayloadlessBetween",
         [&] {
             return Join({p0, noPayload(9), p1, noPayload(1), p2, p3});
         },
         {a, b}},
        // The flag does not excuse a jump, nor turn a repeated counter into new data.
        {"DiscontinuityFlagOnJump",
         [&] {
             const Bytes tail(a.begin() + 183 + 184, a.end());
             return Join({p0, p1, Packet(9, false, tail, sibuild::AdaptationField(1, true)),
                          withCounter(p3, 10)});
         },
         {b}},
        {"DiscontinuityFlagOnRepeat",
         [&] {
             return Join({p0, Packet(0, false, Bytes(100, 0x55), sibuild::AdaptationField(1, true)),
                          p1, p2, p3});
         },
         {a, b}},
    };
    for (const auto& [name, make] : broken) {
        // The unfinished section is lost with the broken packet...
        cases.push_back({name + "LosesPending",
                         [&, make] {
                             return Join({p0, make(1), p1, p2, p3});
                         },
                         {b}});
        // ...and its counter is not taken: B's packet, with the same counter, is not a repeat.
        cases.push_back({name + "KeepsCounter",
                         [&, make] {
                             return Join({p0, p1, p2, make(3), p3});
                         },
                         {a, b}});
    }
    RunCases(cases);
}

TEST(SectionAssembly, ResetForgetsTheUnfinishedSectionAndTheCounter) {
    const Bytes a = RawSection(400, 10);
    const Bytes b = RawSection(100, 20);
    sibuild::TsPacketizer packetizer(kPid);
    const Bytes stream = packetizer.Packetize({a, b});
    SectionRecorder recorder;
    recorder.demux.MapPid(kPid, kOutput);
    recorder.demux.Feed(stream.data(), 2);
    recorder.demux.Reset();
    // The rest of A has nothing to continue.
    recorder.demux.Feed(stream.data() + 2 * 188, 1);
    EXPECT_TRUE(recorder.delivered.empty());

    recorder.demux.Feed(stream.data(), 2);
    recorder.demux.Reset();
    // B with the counter of the last packet before the reset is not taken for a repeat.
    const Bytes single = Packet(1, true, Join({{0}, b}));
    recorder.Feed(single);
    ASSERT_EQ(recorder.delivered.size(), 1u);
    EXPECT_EQ(recorder.delivered[0].section, b);
}

}  // namespace
