#pragma once
// The tables of a generated capture, built from its line-up: PAT, SDT actual and other, the two
// bouquets' BAT, EIT present/following and schedule, TOT descriptors.

#include <cstdint>
#include <vector>

#include "sibuild/CaptureLineup.h"
#include "sibuild/SectionBuilder.h"

namespace sibuild {

// An EIT section and the events it carries (indices into its service's events).
struct EventSection {
    Bytes bytes;
    std::vector<uint32_t> events;
};

constexpr size_t kMaxSdtBatSection = 1024;
constexpr size_t kMaxEitSection = 4096;

// Program 0 on the network PID and one program per service of the actual transport stream.
Bytes CapturePat(const Lineup& lineup);
// SDT actual (0x42), then SDT other (0x46) for each other transport stream.
std::vector<Bytes> CaptureSdt(const Lineup& lineup);
// The BAT of "Yes Bouquet 1" (`yesBouquet`) or of the other bouquet.
std::vector<Bytes> CaptureBat(const Lineup& lineup, bool yesBouquet);

// Schedule tables span 4 days each from the line-up's schedule start (0x50 or 0x60 onward).
int ScheduleTableCount(const Lineup& lineup);
// The sections of one schedule table of a service in one revision of its schedule: 3-hour
// segments of up to eight sections each; none when the revision has no event in the table.
std::vector<EventSection> ScheduleSections(const Lineup& lineup, size_t service, uint8_t revision,
                                           int tableIndex);

// Index of the event running at `time` in the revision, or of the next one to start; the
// number of events when none is left.
size_t PresentEventIndex(const LineupService& service, uint8_t revision, int64_t time);
// Present/following (0x4E or 0x4F): section 0 the event at `present` (when it runs at `time`),
// section 1 the one after it.
std::vector<EventSection> PresentFollowingSections(const Lineup& lineup, size_t service,
                                                   uint8_t revision, int64_t time, uint8_t version);

// The TOT's local time offsets of the line-up's countries.
Bytes CaptureTimeOffsets(const Lineup& lineup);

}  // namespace sibuild
