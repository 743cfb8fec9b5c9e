#include "sibuild/CaptureEit.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "sibuild/CaptureTables.h"
#include "sibuild/EitBuilder.h"

namespace sibuild {

namespace {

constexpr int64_t kSegment = 3 * 3600;
constexpr int kSegmentsPerTable = 32;  // 4 days
constexpr int kSectionsPerSegment = 8;
constexpr size_t kEitOverhead = 18;  // header, the four fields after it, CRC

EitEvent ToEitEvent(const LineupEvent& event, uint8_t revision, uint8_t runningStatus) {
    EitEvent out;
    out.eventId = event.eventId;
    out.start = event.start;
    out.duration = event.duration;
    out.runningStatus = runningStatus;
    out.descriptors = event.DescriptorsIn(revision);
    return out;
}

size_t EventSize(const LineupEvent& event, uint8_t revision) {
    return 12 + event.DescriptorsIn(revision).size();
}

int SegmentOf(const Lineup& lineup, const LineupEvent& event) {
    return static_cast<int>((event.start - lineup.scheduleStart) / kSegment);
}

}  // namespace

int ScheduleTableCount(const Lineup& lineup) {
    int count = 0;
    for (const LineupService& service : lineup.services)
        if (!service.events.empty())
            count =
                std::max(count, SegmentOf(lineup, service.events.back()) / kSegmentsPerTable + 1);
    return count;
}

std::vector<EventSection> ScheduleSections(const Lineup& lineup, size_t serviceIndex,
                                           uint8_t revision, int tableIndex) {
    const LineupService& service = lineup.services.at(serviceIndex);
    // The events of the table by segment, and the revision's last table.
    std::map<int, std::vector<uint32_t>> segments;
    int lastTable = -1;
    for (uint32_t i = 0; i < service.events.size(); ++i) {
        const LineupEvent& event = service.events[i];
        if (!event.InRevision(revision))
            continue;
        const int segment = SegmentOf(lineup, event);
        lastTable = std::max(lastTable, segment / kSegmentsPerTable);
        if (segment / kSegmentsPerTable == tableIndex)
            segments[segment % kSegmentsPerTable].push_back(i);
    }
    if (segments.empty())
        return {};

    struct Planned {
        uint8_t sectionNumber;
        uint8_t segmentLast;
        std::vector<uint32_t> events;
    };
    std::vector<Planned> planned;
    for (const auto& [segment, events] : segments) {
        std::vector<size_t> sizes;
        for (uint32_t i : events)
            sizes.push_back(EventSize(service.events[i], revision));
        const auto runs = PackIntoRuns(sizes, kMaxEitSection - kEitOverhead);
        if (runs.size() > kSectionsPerSegment)
            throw std::logic_error("a segment's events need more than eight sections");
        const int first = segment * kSectionsPerSegment;
        for (size_t k = 0; k < runs.size(); ++k) {
            Planned p{static_cast<uint8_t>(first + static_cast<int>(k)),
                      static_cast<uint8_t>(first + static_cast<int>(runs.size()) - 1),
                      {}};
            for (size_t j : runs[k])
                p.events.push_back(events[j]);
            planned.push_back(std::move(p));
        }
    }

    const uint8_t baseTable = service.actual ? 0x50 : 0x60;
    std::vector<EventSection> sections;
    for (const Planned& p : planned) {
        EitSection section;
        section.tableId = static_cast<uint8_t>(baseTable + tableIndex);
        section.serviceId = service.serviceId;
        section.transportStreamId = service.transportStreamId;
        section.originalNetworkId = lineup.originalNetworkId;
        section.version = static_cast<uint8_t>((service.scheduleVersion + revision) & 0x1F);
        section.sectionNumber = p.sectionNumber;
        section.lastSectionNumber = planned.back().sectionNumber;
        section.segmentLastSectionNumber = p.segmentLast;
        section.lastTableId = static_cast<uint8_t>(baseTable + lastTable);
        for (uint32_t i : p.events)
            section.events.push_back(ToEitEvent(service.events[i], revision, 0));
        sections.push_back({BuildEit(section), p.events});
    }
    return sections;
}

size_t PresentEventIndex(const LineupService& service, uint8_t revision, int64_t time) {
    const auto& events = service.events;
    const auto it = std::upper_bound(events.begin(), events.end(), time,
                                     [](int64_t t, const LineupEvent& e) { return t < e.Stop(); });
    // Later revisions only add events at the end, so the first one missing ends the list.
    if (it == events.end() || !it->InRevision(revision))
        return events.size();
    return static_cast<size_t>(it - events.begin());
}

std::vector<EventSection> PresentFollowingSections(const Lineup& lineup, size_t serviceIndex,
                                                   uint8_t revision, int64_t time,
                                                   uint8_t version) {
    const LineupService& service = lineup.services.at(serviceIndex);
    const size_t next = PresentEventIndex(service, revision, time);
    std::vector<uint32_t> present, following;
    size_t followingIndex = next;
    if (next < service.events.size() && service.events[next].start <= time) {
        present.push_back(static_cast<uint32_t>(next));
        ++followingIndex;
    }
    if (followingIndex < service.events.size() &&
        service.events[followingIndex].InRevision(revision))
        following.push_back(static_cast<uint32_t>(followingIndex));

    const uint8_t tableId = service.actual ? 0x4E : 0x4F;
    std::vector<EventSection> sections;
    for (uint8_t number = 0; number < 2; ++number) {
        const std::vector<uint32_t>& events = number == 0 ? present : following;
        EitSection section;
        section.tableId = tableId;
        section.serviceId = service.serviceId;
        section.transportStreamId = service.transportStreamId;
        section.originalNetworkId = lineup.originalNetworkId;
        section.version = static_cast<uint8_t>(version & 0x1F);
        section.sectionNumber = number;
        section.lastSectionNumber = 1;
        section.segmentLastSectionNumber = 1;
        section.lastTableId = tableId;
        for (uint32_t i : events)
            section.events.push_back(ToEitEvent(service.events[i], revision, number == 0 ? 4 : 1));
        sections.push_back({BuildEit(section), events});
    }
    return sections;
}

}  // namespace sibuild
