#include "platform/ts/PacketFramer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sibuild/TsPacketizer.h"

using sibuild::Bytes;

namespace {

// A packet that can be told apart from every other: its number in the PID and the payload.
// No byte after the sync byte is 0x47, so only the sync bytes and the garbage the cases put
// in on purpose can be taken for sync.
Bytes NumberedPacket(int number) {
    sibuild::TsHeader header;
    header.pid = static_cast<uint16_t>(0x100 + number);
    header.counter = static_cast<uint8_t>(number);
    Bytes payload(184);
    for (size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<uint8_t>(number * 7 + i);
        if (payload[i] == 0x47)
            payload[i] = 0x48;
    }
    return sibuild::TsPacket(header, {}, payload);
}

enum class Format { Ts188, Ts192, Ts204 };

// One piece of a test stream.
struct Piece {
    enum Kind { Packet, BrokenSync, Garbage, CutPacket } kind;
    int value;  // packet number, or garbage byte count, or bytes kept of a cut packet
};

Bytes Unit(const Bytes& packet, Format format, int number) {
    switch (format) {
        case Format::Ts188:
            return packet;
        case Format::Ts192:
            return sibuild::To192(packet, 0x00012345u * static_cast<uint32_t>(number + 1));
        case Format::Ts204:
            return sibuild::To204(packet);
    }
    return {};
}

Bytes Render(const std::vector<Piece>& pieces, Format format) {
    Bytes out;
    int next = 0;  // number of the next packet, also for cut ones
    for (const Piece& piece : pieces) {
        Bytes bytes;
        switch (piece.kind) {
            case Piece::Packet:
                bytes = Unit(NumberedPacket(piece.value), format, piece.value);
                next = piece.value + 1;
                break;
            case Piece::BrokenSync: {
                Bytes packet = NumberedPacket(piece.value);
                packet[0] = 0x46;
                bytes = Unit(packet, format, piece.value);
                next = piece.value + 1;
                break;
            }
            case Piece::Garbage:
                // One 0x47 among the garbage, which sync must not be found at.
                for (int i = 0; i < piece.value; ++i)
                    bytes.push_back(i == 2 ? 0x47 : 0x10 + i);
                break;
            case Piece::CutPacket:
                bytes = Unit(NumberedPacket(next), format, next);
                bytes.resize(static_cast<size_t>(piece.value));
                break;
        }
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<Piece> Packets(int first, int last) {
    std::vector<Piece> pieces;
    for (int i = first; i <= last; ++i)
        pieces.push_back({Piece::Packet, i});
    return pieces;
}

std::vector<Piece> Join(std::initializer_list<std::vector<Piece>> parts) {
    std::vector<Piece> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// The packets the framer delivers for `stream` pushed in chunks of the given sizes (the last
// chunk takes the rest).
std::vector<Bytes> Frame(const Bytes& stream, const std::vector<size_t>& chunks,
                         size_t* step = nullptr) {
    std::vector<Bytes> packets;
    PacketFramer framer([&](const uint8_t* data, size_t count) {
        for (size_t i = 0; i < count; ++i, data += 188) {
            EXPECT_EQ(data[0], 0x47);
            packets.emplace_back(data, data + 188);
        }
    });
    size_t pos = 0;
    for (size_t chunk : chunks) {
        chunk = std::min(chunk, stream.size() - pos);
        framer.Push(stream.data() + pos, chunk);
        pos += chunk;
    }
    framer.Push(stream.data() + pos, stream.size() - pos);
    if (step != nullptr)
        *step = framer.PacketStep();
    framer.End();
    return packets;
}

std::vector<size_t> RandomChunks(std::mt19937& random, size_t total, size_t largest) {
    std::uniform_int_distribution<size_t> size(1, largest);
    std::vector<size_t> chunks;
    for (size_t sum = 0; sum < total;) {
        chunks.push_back(size(random));
        sum += chunks.back();
    }
    return chunks;
}

struct FramingCase {
    std::string name;
    std::vector<Piece> pieces;
    std::vector<int> expected;  // packet numbers
};

std::vector<FramingCase> FramingCases() {
    return {
        {"Clean", Packets(0, 9), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"OnePacket", Packets(0, 0), {0}},
        {"TwoPackets", Packets(0, 1), {0, 1}},
        {"LeadingGarbage", Join({{{Piece::Garbage, 150}}, Packets(0, 5)}), {0, 1, 2, 3, 4, 5}},
        // No sync at the start and too few packets to find it.
        {"LeadingGarbageTwoPackets", Join({{{Piece::Garbage, 150}}, Packets(0, 1)}), {}},
        {"BrokenSyncByte",
         Join({Packets(0, 3), {{Piece::BrokenSync, 4}}, Packets(5, 9)}),
         {0, 1, 2, 3, 5, 6, 7, 8, 9}},
        // In sync at once on the first sync byte, although the second one is missing.
        {"SecondSyncMissing",
         Join({Packets(0, 0), {{Piece::BrokenSync, 1}}, Packets(2, 6)}),
         {0, 2, 3, 4, 5, 6}},
        {"BytesInserted",
         Join({Packets(0, 3), {{Piece::Garbage, 7}}, Packets(4, 9)}),
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"LostWithThreeLeft",
         Join({Packets(0, 4), {{Piece::Garbage, 5}}, Packets(5, 7)}),
         {0, 1, 2, 3, 4, 5, 6, 7}},
        {"LostWithTwoLeft",
         Join({Packets(0, 4), {{Piece::Garbage, 5}}, Packets(5, 6)}),
         {0, 1, 2, 3, 4}},
        // Sync bytes at two steps are not enough.
        {"TwoPacketsBetweenLosses",
         Join({Packets(0, 4),
               {{Piece::Garbage, 5}},
               Packets(5, 6),
               {{Piece::Garbage, 5}},
               Packets(7, 9)}),
         {0, 1, 2, 3, 4, 7, 8, 9}},
        // Three sync bytes, but the third packet is cut off: fewer than three packets.
        {"LostWithTwoAndAHalfLeft",
         Join({Packets(0, 4), {{Piece::Garbage, 5}}, Packets(5, 6), {{Piece::CutPacket, 100}}}),
         {0, 1, 2, 3, 4}},
        {"CutLastPacket", Join({Packets(0, 4), {{Piece::CutPacket, 187}}}), {0, 1, 2, 3, 4}},
        {"CutAfterSyncByte", Join({Packets(0, 2), {{Piece::CutPacket, 1}}}), {0, 1, 2}},
    };
}

class FramingTest : public testing::TestWithParam<Format> {};

TEST_P(FramingTest, DeliversTheSamePacketsHoweverTheBytesAreSplit) {
    const Format format = GetParam();
    std::mt19937 random(1234);
    for (const FramingCase& c : FramingCases()) {
        SCOPED_TRACE(c.name);
        std::vector<Bytes> expected;
        for (int number : c.expected)
            expected.push_back(NumberedPacket(number));
        const Bytes stream = Render(c.pieces, format);

        EXPECT_EQ(Frame(stream, {}), expected) << "whole";
        EXPECT_EQ(Frame(stream, std::vector<size_t>(stream.size(), 1)), expected) << "bytewise";
        for (int round = 0; round < 20; ++round) {
            const auto chunks = RandomChunks(random, stream.size(), round < 10 ? 300 : 5000);
            EXPECT_EQ(Frame(stream, chunks), expected) << "random split " << round;
        }
    }
}

// Where a packet was delivered from: its offset in the stream, when it was ready, and the
// stream bytes pushed before and after the push (or the end) that delivered it.
struct Placement {
    Bytes packet;
    uint64_t offset;
    uint64_t ready;
    uint64_t pushedBefore;
    uint64_t pushedAfter;
};

std::vector<Placement> Place(const Bytes& stream, const std::vector<size_t>& chunks) {
    std::vector<Placement> placements;
    PacketFramer* self = nullptr;
    uint64_t before = 0, after = 0;
    PacketFramer framer([&](const uint8_t* data, size_t count) {
        for (size_t i = 0; i < count; ++i)
            placements.push_back({Bytes(data + 188 * i, data + 188 * i + 188),
                                  self->DeliveredOffset() + i * self->PacketStep(),
                                  self->ReadyOffset(i), before, after});
    });
    self = &framer;
    size_t pos = 0;
    for (size_t chunk : chunks) {
        chunk = std::min(chunk, stream.size() - pos);
        before = pos;
        after = pos + chunk;
        framer.Push(stream.data() + pos, chunk);
        pos += chunk;
    }
    before = pos;
    after = stream.size();
    framer.Push(stream.data() + pos, stream.size() - pos);
    before = after = stream.size();
    framer.End();
    return placements;
}

// A stream reader that acts on what the framer delivered (the stream clock cuts its deliveries
// there) needs each packet's place and the bytes that make it ready, the same however the
// stream is split.
TEST_P(FramingTest, TellsWhereEachPacketLiesAndWhenItIsReady) {
    std::mt19937 random(99);
    for (const FramingCase& c : FramingCases()) {
        SCOPED_TRACE(c.name);
        const Bytes stream = Render(c.pieces, GetParam());
        const std::vector<Placement> bytewise =
            Place(stream, std::vector<size_t>(stream.size(), 1));
        ASSERT_EQ(bytewise.size(), c.expected.size());
        for (const Placement& p : bytewise) {
            ASSERT_LE(p.offset + 188, stream.size());
            EXPECT_EQ(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(p.offset),
                            stream.begin() + static_cast<std::ptrdiff_t>(p.offset + 188)),
                      p.packet);
            EXPECT_EQ(p.ready, p.pushedAfter) << "at " << p.offset;
        }
        for (int round = 0; round < 20; ++round) {
            const auto chunks = round == 0
                                    ? std::vector<size_t>{}
                                    : RandomChunks(random, stream.size(), round < 10 ? 300 : 5000);
            const std::vector<Placement> split = Place(stream, chunks);
            ASSERT_EQ(split.size(), bytewise.size()) << "split " << round;
            for (size_t i = 0; i < split.size(); ++i) {
                EXPECT_EQ(split[i].offset, bytewise[i].offset) << "split " << round;
                EXPECT_EQ(split[i].ready, bytewise[i].ready) << "split " << round;
                // Delivered by the push that brought its ready byte, or at the end.
                if (split[i].pushedBefore == stream.size()) {
                    EXPECT_EQ(split[i].ready, stream.size()) << "split " << round;
                } else {
                    EXPECT_LT(split[i].pushedBefore, split[i].ready) << "split " << round;
                    EXPECT_LE(split[i].ready, split[i].pushedAfter) << "split " << round;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PacketSizes, FramingTest,
                         testing::Values(Format::Ts188, Format::Ts192, Format::Ts204),
                         [](const testing::TestParamInfo<Format>& info) {
                             return std::to_string(info.param == Format::Ts188   ? 188
                                                   : info.param == Format::Ts192 ? 192
                                                                                 : 204);
                         });

TEST(PacketFramer, RecognisesThePacketSize) {
    const auto pieces = Packets(0, 9);
    struct {
        Format format;
        size_t step;
    } const cases[] = {{Format::Ts188, 188}, {Format::Ts192, 192}, {Format::Ts204, 204}};
    for (const auto& c : cases) {
        size_t step = 0;
        Frame(Render(pieces, c.format), {}, &step);
        EXPECT_EQ(step, c.step);
    }
}

// A timestamp that starts with 0x47 puts a sync byte at the very start of a 192-byte capture;
// the packets still line up at the fifth byte.
TEST(PacketFramer, TimestampStartingWithSyncByteDoesNotMislead) {
    Bytes stream;
    std::vector<Bytes> expected;
    for (int i = 0; i < 6; ++i) {
        expected.push_back(NumberedPacket(i));
        const Bytes unit = sibuild::To192(expected.back(), 0x47000000u + static_cast<uint32_t>(i));
        stream.insert(stream.end(), unit.begin(), unit.end());
    }
    size_t step = 0;
    EXPECT_EQ(Frame(stream, {}, &step), expected);
    EXPECT_EQ(step, 192u);
}

// After End the framer starts afresh: a 204-byte capture after a 188-byte one.
TEST(PacketFramer, EndStartsANewStream) {
    std::vector<Bytes> packets;
    PacketFramer framer([&](const uint8_t* data, size_t count) {
        for (size_t i = 0; i < count; ++i)
            packets.emplace_back(data + 188 * i, data + 188 * i + 188);
    });
    const Bytes first = Render(Join({Packets(0, 2), {{Piece::CutPacket, 50}}}), Format::Ts188);
    const Bytes second = Render(Packets(5, 7), Format::Ts204);
    framer.Push(first.data(), first.size());
    framer.End();
    framer.Push(second.data(), second.size());
    EXPECT_EQ(framer.PacketStep(), 204u);
    framer.End();
    const std::vector<Bytes> expected{NumberedPacket(0), NumberedPacket(1), NumberedPacket(2),
                                      NumberedPacket(5), NumberedPacket(6), NumberedPacket(7)};
    EXPECT_EQ(packets, expected);
}

TEST(PacketFramer, NothingButGarbageDeliversNothing) {
    Bytes stream(5000);
    for (size_t i = 0; i < stream.size(); ++i)
        stream[i] = static_cast<uint8_t>(i * 31 + 7);
    EXPECT_TRUE(Frame(stream, {}).empty());
    EXPECT_EQ(Frame(Bytes(1000, 0x47), {}).size(), 5u);  // sync bytes everywhere: in sync
}

}  // namespace
