// The EIT of a generated capture as a receiver sees it: schedule sections in the segments of
// their events, revisions that keep their events and add new ones, present/following that
// moves on with the stream clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "GeneratedCapture.h"
#include "si/DvbTime.h"
#include "sibuild/DvbTime.h"

namespace {

const int64_t kStart = sibuild::UtcSeconds(2026, 1, 15, 18, 0, 0);

// SI only and long enough for many passes through the schedule, so that schedules are revised.
const GeneratedCapture& Capture() {
    static const GeneratedCapture capture = [] {
        sibuild::CaptureOptions options;
        options.services = 6;
        options.days = 2;
        options.siSharePercent = 100;
        options.sizeBytes = 3 << 20;
        options.seed = 11;
        options.start = kStart;
        return Generate(options);
    }();
    return capture;
}

const std::vector<CapturedSection>& Sections() {
    static const std::vector<CapturedSection> sections = Demultiplex(Capture().bytes);
    return sections;
}

bool IsSchedule(const CapturedSection& s) {
    return s.pid == 0x0012 && s.bytes[0] >= 0x50 && s.bytes[0] <= 0x6F;
}

struct EitHeader {
    uint8_t table;
    uint16_t service;
    uint8_t version;
    uint8_t section;
    uint8_t lastSection;
    uint8_t segmentLast;
    uint8_t lastTable;
};

EitHeader ReadEitHeader(const std::vector<uint8_t>& s) {
    return {s[0],
            static_cast<uint16_t>(s[3] << 8 | s[4]),
            static_cast<uint8_t>(s[5] >> 1 & 0x1F),
            s[6],
            s[7],
            s[12],
            s[13]};
}

// Event ids and start times of an EIT section.
std::vector<std::pair<uint16_t, int64_t>> ReadEvents(const std::vector<uint8_t>& s) {
    std::vector<std::pair<uint16_t, int64_t>> events;
    for (size_t at = 14; at + 12 <= s.size() - 4;) {
        events.emplace_back(static_cast<uint16_t>(s[at] << 8 | s[at + 1]),
                            UtcSecondsFromDvbTime(s.data() + at + 2));
        at += 12 + ((s[at + 10] & 0x0Fu) << 8 | s[at + 11]);
    }
    return events;
}

TEST(CaptureSchedule, RevisedTablesKeepTheirEventsAndAddNewOnes) {
    // Per sub-table, the event ids of each version in the order the versions appear.
    std::map<std::pair<uint8_t, uint16_t>, std::vector<std::pair<uint8_t, std::set<uint16_t>>>>
        tables;
    for (const CapturedSection& s : Sections()) {
        if (!IsSchedule(s))
            continue;
        const EitHeader header = ReadEitHeader(s.bytes);
        auto& versions = tables[{header.table, header.service}];
        if (versions.empty() || versions.back().first != header.version)
            versions.emplace_back(header.version, std::set<uint16_t>{});
        for (const auto& [id, start] : ReadEvents(s.bytes))
            versions.back().second.insert(id);
    }
    size_t revised = 0, grown = 0;
    for (const auto& [table, versions] : tables) {
        for (size_t i = 1; i < versions.size(); ++i) {
            const auto& [oldVersion, oldIds] = versions[i - 1];
            const auto& [newVersion, newIds] = versions[i];
            // A version seen again after a later one would be a table going back.
            EXPECT_EQ(newVersion, (oldVersion + 1) % 32);
            EXPECT_TRUE(std::includes(newIds.begin(), newIds.end(), oldIds.begin(), oldIds.end()));
            ++revised;
            grown += newIds.size() > oldIds.size() ? 1 : 0;
        }
    }
    EXPECT_GT(revised, 0u);
    EXPECT_GT(grown, 0u);
}

TEST(CaptureSchedule, SectionsStandInTheSegmentsOfTheirEvents) {
    const sibuild::Lineup& lineup = Capture().Lineup();
    for (const CapturedSection& s : Sections()) {
        if (!IsSchedule(s))
            continue;
        const EitHeader h = ReadEitHeader(s.bytes);
        const int tableIndex = h.table & 0x0F;
        ASSERT_LE(h.section, h.segmentLast);
        ASSERT_EQ(h.section / 8, h.segmentLast / 8);
        ASSERT_LE(h.segmentLast, h.lastSection);
        ASSERT_GE(h.lastTable, h.table);
        ASSERT_EQ(h.lastTable & 0xF0, h.table & 0xF0);
        for (const auto& [id, start] : ReadEvents(s.bytes)) {
            const int64_t segment = (start - lineup.scheduleStart) / (3 * 3600);
            ASSERT_EQ(segment, tableIndex * 32 + h.section / 8) << "event " << id;
        }
    }
}

TEST(CapturePresentFollowing, MovesOnWhenThePresentEventEnds) {
    // Where the event running at the start time of the first service ends.
    sibuild::CaptureOptions options;
    options.services = 3;
    options.days = 1;
    options.seed = 5;
    options.start = kStart;
    const sibuild::Lineup probe = sibuild::BuildLineup(options);
    const auto& events = probe.services[0].events;
    const auto present =
        std::find_if(events.begin(), events.end(),
                     [](const sibuild::LineupEvent& e) { return e.Stop() > kStart; });
    ASSERT_NE(present, events.end());
    const int64_t boundary = present->Stop();

    // A capture of the five seconds around that end, at a low bitrate to keep it small.
    options.start = boundary - 2;
    options.durationSeconds = 5;
    options.bitrate = 300'000;
    options.siSharePercent = 100;
    const GeneratedCapture capture = Generate(options);
    const uint16_t serviceId = capture.Lineup().services[0].serviceId;
    ASSERT_EQ(capture.Lineup().services[0].events[present - events.begin()].Stop(), boundary);

    std::vector<std::tuple<uint64_t, uint16_t, uint8_t>> shown;  // packet, present event, version
    for (const CapturedSection& s : Demultiplex(capture.bytes)) {
        if (s.pid != 0x0012)
            continue;
        const EitHeader h = ReadEitHeader(s.bytes);
        if (h.table != 0x4E || h.service != serviceId || h.section != 0)
            continue;
        const auto eventsIn = ReadEvents(s.bytes);
        ASSERT_EQ(eventsIn.size(), 1u);
        if (shown.empty() || std::get<1>(shown.back()) != eventsIn[0].first)
            shown.emplace_back(s.packet, eventsIn[0].first, h.version);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(std::get<1>(shown[0]), present->eventId);
    EXPECT_EQ(std::get<1>(shown[1]), present->eventId + 1);
    EXPECT_EQ(std::get<2>(shown[1]), (std::get<2>(shown[0]) + 1) % 32);
    EXPECT_GE(options.start + capture.generator->PacketTime(std::get<0>(shown[1])),
              static_cast<double>(boundary));
}

}  // namespace
