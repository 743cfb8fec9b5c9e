#pragma once
// The EIT of a generated capture: present/following and schedule sections of one service,
// built from its line-up in one revision of its schedule.

#include <cstddef>
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

constexpr size_t kMaxEitSection = 4096;

// Schedule tables span 4 days each from the line-up's schedule start (0x50 or 0x60 onward).
int ScheduleTableCount(const Lineup& lineup);
// The sections of one schedule table of a service in one revision of its schedule: 3-hour
// segments of up to eight sections each; none when the revision has no event in the table.
std::vector<EventSection> ScheduleSections(const Lineup& lineup, size_t service, uint8_t revision,
                                           int tableIndex);

// Index of the event running at `time` in the revision, or of the next one to start; the
// number of events when none is left.
size_t PresentEventIndex(const LineupService& service, uint8_t revision, int64_t time);
// Present/following (0x4E or 0x4F): section 0 the event running at `time` (empty when none
// does), section 1 the one after it.
std::vector<EventSection> PresentFollowingSections(const Lineup& lineup, size_t service,
                                                   uint8_t revision, int64_t time, uint8_t version);

}  // namespace sibuild
