// The framer and the demultiplexer on real broadcast captures.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "SectionRecorder.h"
#include "platform/ts/PacketFramer.h"
#include "si/Crc32Mpeg2.h"
#include "sibuild/TsPacketizer.h"

using sibuild::Bytes;

namespace {

Bytes ReadCapture(const std::string& name) {
    std::ifstream in(std::string(EPG_SOURCE_DIR) + "/tests/data/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The sections of PIDs 0x11 (output 1) and 0x12 (output 2), the stream pushed in chunks of at
// most `largestChunk` random bytes (0: whole).
std::vector<DeliveredSection> DemuxCapture(const Bytes& capture, size_t largestChunk,
                                           unsigned seed = 1) {
    SectionRecorder recorder;
    recorder.demux.MapPid(0x11, 1);
    recorder.demux.MapPid(0x12, 2);
    PacketFramer framer(
        [&](const uint8_t* packets, size_t count) { recorder.demux.Feed(packets, count); });
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> chunk(1, largestChunk == 0 ? 1 : largestChunk);
    for (size_t pos = 0; pos < capture.size();) {
        const size_t n =
            largestChunk == 0 ? capture.size() : std::min(chunk(random), capture.size() - pos);
        framer.Push(capture.data() + pos, n);
        pos += n;
    }
    framer.End();
    return std::move(recorder.delivered);
}

struct CaptureCase {
    std::string file;
    std::map<int, int> sectionsPerTable;
};

// Counted once by a separate, deliberately plain Python reading of the same packets (whole file
// in memory, per-PID byte queues, bitwise CRC), which also found every CRC correct. The EIT
// capture holds a counter jump on PID 0x12 and transport errors on another PID, which the
// counts include.
const CaptureCase kCaptures[] = {
    {"eit-pf-actual-other.ts", {{0x4E, 57}, {0x4F, 304}}},
    {"sdt-eit-pf.ts", {{0x42, 2}, {0x46, 4}, {0x4E, 17}, {0x4F, 16}}},
};

TEST(CaptureDemux, SectionsAreWholeWithCorrectCrc) {
    for (const CaptureCase& c : kCaptures) {
        SCOPED_TRACE(c.file);
        std::map<int, int> perTable;
        for (const DeliveredSection& d : DemuxCapture(ReadCapture(c.file), 0)) {
            ASSERT_GE(d.section.size(), 4u);
            EXPECT_EQ(d.section.size(), 3u + ((d.section[1] & 0x0F) << 8 | d.section[2]));
            EXPECT_EQ(Crc32Mpeg2(d.section.data(), d.section.size()), 0u)
                << "table 0x" << std::hex << int(d.section[0]);
            EXPECT_EQ(d.output, d.pid == 0x11 ? 1 : 2);
            ++perTable[d.section[0]];
        }
        EXPECT_EQ(perTable, c.sectionsPerTable);
    }
}

TEST(CaptureDemux, ChunkingAndPacketSizeChangeNothing) {
    for (const CaptureCase& c : kCaptures) {
        SCOPED_TRACE(c.file);
        const Bytes capture = ReadCapture(c.file);
        const auto expected = DemuxCapture(capture, 0);
        ASSERT_FALSE(expected.empty());
        for (unsigned seed : {1u, 2u}) {
            EXPECT_EQ(DemuxCapture(capture, 1000, seed), expected) << "small chunks " << seed;
            EXPECT_EQ(DemuxCapture(capture, 70000, seed), expected) << "large chunks " << seed;
        }
        EXPECT_EQ(DemuxCapture(sibuild::To192(capture), 5000), expected) << "192-byte packets";
        EXPECT_EQ(DemuxCapture(sibuild::To204(capture), 5000), expected) << "204-byte packets";
    }
}

}  // namespace
