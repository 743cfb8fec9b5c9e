#include "sibuild/CaptureGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "GeneratedCapture.h"
#include "si/Crc32Mpeg2.h"
#include "si/DvbTime.h"
#include "sibuild/DvbTime.h"

namespace {

const int64_t kStart = sibuild::UtcSeconds(2026, 1, 15, 18, 0, 0);

sibuild::CaptureOptions SmallOptions() {
    sibuild::CaptureOptions options;
    options.services = 6;
    options.days = 2;
    options.siSharePercent = 30;
    options.sizeBytes = 1 << 20;
    options.seed = 7;
    options.start = kStart;
    return options;
}

const GeneratedCapture& SmallCapture() {
    static const GeneratedCapture capture = Generate(SmallOptions());
    return capture;
}

bool IsSiPid(uint16_t pid) {
    return pid == 0x0000 || pid == 0x0011 || pid == 0x0012 || pid == 0x0014;
}

uint16_t PidOf(const uint8_t* packet) {
    return static_cast<uint16_t>((packet[1] & 0x1F) << 8 | packet[2]);
}

std::set<std::vector<uint8_t>> EitSections(const std::vector<CapturedSection>& sections) {
    std::set<std::vector<uint8_t>> eit;
    for (const CapturedSection& s : sections)
        if (s.bytes[0] >= 0x4E && s.bytes[0] <= 0x6F)
            eit.insert(s.bytes);
    return eit;
}

TEST(CaptureGenerator, OneSeedGivesTheSameBytesAnotherSeedOthers) {
    const GeneratedCapture& first = SmallCapture();
    EXPECT_EQ(Generate(SmallOptions()).bytes, first.bytes);

    sibuild::CaptureOptions options = SmallOptions();
    options.seed = 8;
    const GeneratedCapture other = Generate(options);
    ASSERT_EQ(other.bytes.size(), first.bytes.size());
    EXPECT_NE(other.bytes, first.bytes);
    // Not only the filler: the programme guide differs too.
    EXPECT_NE(EitSections(Demultiplex(other.bytes)), EitSections(Demultiplex(first.bytes)));
}

TEST(CaptureGenerator, TimestampedAndParityFormsCarryTheSamePackets) {
    const std::vector<uint8_t>& plain = SmallCapture().bytes;
    for (int unit : {192, 204}) {
        sibuild::CaptureOptions options = SmallOptions();
        options.packetSize = unit;
        const GeneratedCapture capture = Generate(options);
        const std::vector<uint8_t> packets = TsPackets(capture.bytes, static_cast<size_t>(unit));
        ASSERT_LE(packets.size(), plain.size());
        EXPECT_TRUE(std::equal(packets.begin(), packets.end(), plain.begin())) << unit;
    }

    // The 192-byte form's time stamps count the 27 MHz clock at the nominal bitrate.
    sibuild::CaptureOptions options = SmallOptions();
    options.packetSize = 192;
    const GeneratedCapture capture = Generate(options);
    for (uint64_t i : {0ull, 1ull, 2ull, 1000ull, 5460ull}) {
        const uint8_t* unit = capture.bytes.data() + i * 192;
        const uint32_t stamp =
            static_cast<uint32_t>(unit[0] << 24 | unit[1] << 16 | unit[2] << 8 | unit[3]);
        const uint64_t ticks = i * 1504 * 27'000'000 / options.bitrate;
        EXPECT_EQ(stamp, ticks & 0x3FFFFFFF) << i;
    }
}

TEST(CaptureGenerator, PacketsAreInSyncAndEveryPidCountsOn) {
    const GeneratedCapture& capture = SmallCapture();
    std::map<uint16_t, int> counters;
    std::set<uint16_t> expectedFiller;
    for (const sibuild::LineupService& service : capture.Lineup().services) {
        for (uint16_t pid : {service.videoPid, service.audioPid})
            if (pid != 0)
                expectedFiller.insert(pid);
    }
    std::set<uint16_t> filler;
    for (size_t at = 0; at < capture.bytes.size(); at += 188) {
        const uint8_t* packet = capture.bytes.data() + at;
        ASSERT_EQ(packet[0], 0x47) << "packet " << at / 188;
        ASSERT_EQ(packet[1] & 0x80, 0) << "transport error, packet " << at / 188;
        ASSERT_EQ(packet[3] & 0x30, 0x10) << "payload only, packet " << at / 188;
        const uint16_t pid = PidOf(packet);
        const int counter = packet[3] & 0x0F;
        if (counters.count(pid)) {
            ASSERT_EQ(counter, (counters[pid] + 1) % 16)
                << "PID " << pid << ", packet " << at / 188;
        }
        counters[pid] = counter;
        if (!IsSiPid(pid))
            filler.insert(pid);
    }
    EXPECT_EQ(filler, expectedFiller);
}

TEST(CaptureGenerator, EverySectionIsWholeWithItsCrc) {
    const GeneratedCapture& capture = SmallCapture();
    const std::vector<CapturedSection> sections = Demultiplex(capture.bytes);
    std::set<uint8_t> tables;
    size_t largestEit = 0;
    for (const CapturedSection& s : sections) {
        const uint8_t table = s.bytes[0];
        tables.insert(table);
        ASSERT_EQ(s.bytes.size(), ((s.bytes[1] & 0x0Fu) << 8 | s.bytes[2]) + 3u);
        if (table == 0x70) {
            EXPECT_EQ(s.bytes.size(), 8u);  // a TDT has no CRC
            continue;
        }
        EXPECT_EQ(Crc32Mpeg2(s.bytes.data(), s.bytes.size()), 0u) << "table " << int(table);
        if (table >= 0x4E) {
            EXPECT_LE(s.bytes.size(), 4096u);
            largestEit = std::max(largestEit, s.bytes.size());
        } else if (table != 0x00) {
            EXPECT_LE(s.bytes.size(), 1024u);
        }
    }
    EXPECT_EQ(tables,
              (std::set<uint8_t>{0x00, 0x42, 0x46, 0x4A, 0x4E, 0x4F, 0x50, 0x60, 0x70, 0x73}));
    EXPECT_GT(largestEit, 3000u);

    // The PAT lists the network PID and the programs of the actual transport stream.
    const auto pat = std::find_if(sections.begin(), sections.end(),
                                  [](const CapturedSection& s) { return s.bytes[0] == 0x00; });
    ASSERT_NE(pat, sections.end());
    std::set<uint16_t> programs;
    for (size_t at = 8; at + 4 <= pat->bytes.size() - 4; at += 4)
        programs.insert(static_cast<uint16_t>(pat->bytes[at] << 8 | pat->bytes[at + 1]));
    std::set<uint16_t> expected{0};
    for (const sibuild::LineupService& service : capture.Lineup().services)
        if (service.actual)
            expected.insert(service.serviceId);
    EXPECT_EQ(programs, expected);
}

TEST(CaptureGenerator, SiIsTheRequestedShareOfThePackets) {
    for (double share : {100.0, 30.0, 5.0, 0.5}) {
        sibuild::CaptureOptions options = SmallOptions();
        options.siSharePercent = share;
        options.sizeBytes = 512 << 10;
        const GeneratedCapture capture = Generate(options);
        uint64_t si = 0;
        for (size_t at = 0; at < capture.bytes.size(); at += 188)
            si += IsSiPid(PidOf(capture.bytes.data() + at)) ? 1 : 0;
        const double packets = static_cast<double>(capture.summary.packets);
        EXPECT_EQ(capture.summary.siPackets, si) << share;
        EXPECT_NEAR(static_cast<double>(si), packets * share / 100, 1.0) << share;
    }
}

TEST(CaptureGenerator, SizeOrDurationSetsTheLength) {
    struct Case {
        int unit;
        uint64_t size;
        uint64_t bytes;
    };
    const Case cases[] = {
        {188, 1'000'000, 5320 * 188},  // rounded up to whole packets
        {192, 1 << 20, 5462 * 192},
        {204, 204 * 1000, 204 * 1000},
        {188, 1, 188},
    };
    for (const Case& c : cases) {
        sibuild::CaptureOptions options = SmallOptions();
        options.packetSize = c.unit;
        options.sizeBytes = c.size;
        const GeneratedCapture capture = Generate(options);
        EXPECT_EQ(capture.bytes.size(), c.bytes) << c.unit << " " << c.size;
        EXPECT_EQ(capture.summary.bytes, c.bytes);
    }

    sibuild::CaptureOptions options = SmallOptions();
    options.durationSeconds = 0.5;  // 0.5 s * 38 Mbit/s / 1504 bits = 12632.98 packets
    const GeneratedCapture capture = Generate(options);
    EXPECT_EQ(capture.bytes.size(), 12633u * 188);
    EXPECT_GE(capture.summary.streamSeconds, 0.5);
}

TEST(CaptureGenerator, TimeTablesTellTheStreamTimeAtTheNominalBitrate) {
    sibuild::CaptureOptions options = SmallOptions();
    options.bitrate = 1'000'000;
    options.durationSeconds = 4.5;
    options.start = kStart + 7;
    const GeneratedCapture capture = Generate(options);
    std::vector<int64_t> tdt, tot;
    for (const CapturedSection& s : Demultiplex(capture.bytes)) {
        if (s.pid != 0x0014)
            continue;
        ASSERT_GE(s.bytes.size(), 8u);
        const int64_t time = UtcSecondsFromDvbTime(s.bytes.data() + 3);
        // The time of the packet that carries it: packets of 1504 bits at 1 Mbit/s.
        EXPECT_EQ(time, options.start + static_cast<int64_t>(s.packet * 1504 / options.bitrate));
        if (s.bytes[0] == 0x70) {
            tdt.push_back(time);
        } else {
            ASSERT_EQ(s.bytes[0], 0x73);
            EXPECT_EQ(Crc32Mpeg2(s.bytes.data(), s.bytes.size()), 0u);
            EXPECT_EQ(s.bytes[10], 0x58);  // local_time_offset_descriptor
            tot.push_back(time);
        }
    }
    const int64_t t0 = options.start;
    EXPECT_EQ(tdt, (std::vector<int64_t>{t0, t0 + 1, t0 + 2, t0 + 3, t0 + 4}));
    EXPECT_EQ(tot, (std::vector<int64_t>{t0}));
}

TEST(CaptureGenerator, RejectsOptionsOutOfRange) {
    using Change = void (*)(sibuild::CaptureOptions&);
    const Change changes[] = {
        [](sibuild::CaptureOptions& o) { o.services = 0; },
        [](sibuild::CaptureOptions& o) { o.services = 1001; },
        [](sibuild::CaptureOptions& o) { o.days = 0; },
        [](sibuild::CaptureOptions& o) { o.days = 61; },
        [](sibuild::CaptureOptions& o) { o.services = 200, o.days = 21; },
        [](sibuild::CaptureOptions& o) { o.siSharePercent = 0; },
        [](sibuild::CaptureOptions& o) { o.siSharePercent = std::nan(""); },
        [](sibuild::CaptureOptions& o) { o.packetSize = 190; },
        [](sibuild::CaptureOptions& o) { o.sizeBytes = 0; },
        [](sibuild::CaptureOptions& o) { o.durationSeconds = -1; },
        [](sibuild::CaptureOptions& o) { o.bitrate = 10; },
        [](sibuild::CaptureOptions& o) { o.start = -1; },
        [](sibuild::CaptureOptions& o) { o.start = sibuild::UtcSeconds(2038, 4, 20); },
    };
    for (const Change change : changes) {
        sibuild::CaptureOptions options = SmallOptions();
        change(options);
        EXPECT_THROW(sibuild::CaptureGenerator{options}, std::invalid_argument);
    }
}

}  // namespace
