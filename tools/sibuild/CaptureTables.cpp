#include "sibuild/CaptureTables.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "sibuild/BatBuilder.h"
#include "sibuild/EitBuilder.h"
#include "sibuild/PatBuilder.h"
#include "sibuild/SdtBuilder.h"
#include "sibuild/TimeTableBuilder.h"

namespace sibuild {

namespace {

constexpr int64_t kSegment = 3 * 3600;
constexpr int kSegmentsPerTable = 32;  // 4 days
constexpr int kSectionsPerSegment = 8;
constexpr size_t kEitOverhead = 18;  // header, the four fields after it, CRC
constexpr size_t kSdtOverhead = 15;
constexpr size_t kServicesPerBatEntry = 40;

// Splits items into runs whose sizes add up to at most `room` each (an item larger than
// `room` gets a run of its own).
std::vector<std::vector<size_t>> Pack(const std::vector<size_t>& sizes, size_t room) {
    std::vector<std::vector<size_t>> runs;
    size_t used = room + 1;
    for (size_t i = 0; i < sizes.size(); ++i) {
        if (runs.empty() || used + sizes[i] > room) {
            runs.emplace_back();
            used = 0;
        }
        runs.back().push_back(i);
        used += sizes[i];
    }
    return runs;
}

// The transport streams of the line-up, the actual one first.
std::vector<uint16_t> TransportStreams(const Lineup& lineup) {
    std::vector<uint16_t> ids{lineup.actualTransportStreamId};
    for (const LineupService& service : lineup.services)
        if (std::find(ids.begin(), ids.end(), service.transportStreamId) == ids.end())
            ids.push_back(service.transportStreamId);
    std::sort(ids.begin() + 1, ids.end());
    return ids;
}

SdtService SdtEntry(const LineupService& service) {
    SdtService entry;
    entry.serviceId = service.serviceId;
    entry.eitSchedule = entry.eitPresentFollowing = !service.events.empty();
    entry.runningStatus = service.runningStatus;
    if (service.hasServiceDescriptor)
        entry.descriptors =
            ServiceDescriptor(service.serviceType, service.provider, service.name.raw);
    if (!service.otherNames.empty()) {
        std::vector<MultilingualName> names;
        for (const LineupName& name : service.otherNames)
            names.push_back({name.language, service.provider, name.raw});
        const Bytes multilingual = MultilingualServiceNameDescriptor(names);
        entry.descriptors.insert(entry.descriptors.end(), multilingual.begin(), multilingual.end());
    }
    return entry;
}

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

Bytes CapturePat(const Lineup& lineup) {
    std::vector<PatProgram> programs{{0, 0x0010}};
    uint16_t pmt = 0x1000;
    for (const LineupService& service : lineup.services)
        if (service.actual)
            programs.push_back({service.serviceId, pmt++});
    return PatSection(lineup.actualTransportStreamId, 0, programs);
}

std::vector<Bytes> CaptureSdt(const Lineup& lineup) {
    std::vector<Bytes> sections;
    for (uint16_t tsid : TransportStreams(lineup)) {
        std::vector<SdtService> entries;
        std::vector<size_t> sizes;
        for (const LineupService& service : lineup.services) {
            if (service.transportStreamId != tsid)
                continue;
            entries.push_back(SdtEntry(service));
            sizes.push_back(SdtServiceEntry(entries.back()).size());
        }
        if (entries.empty())
            continue;
        const auto runs = Pack(sizes, kMaxSdtBatSection - kSdtOverhead);
        for (size_t k = 0; k < runs.size(); ++k) {
            SdtHeader header;
            header.tableId = tsid == lineup.actualTransportStreamId ? 0x42 : 0x46;
            header.transportStreamId = tsid;
            header.originalNetworkId = lineup.originalNetworkId;
            header.version = lineup.sdtVersion;
            header.sectionNumber = static_cast<uint8_t>(k);
            header.lastSectionNumber = static_cast<uint8_t>(runs.size() - 1);
            std::vector<SdtService> run;
            for (size_t i : runs[k])
                run.push_back(entries[i]);
            sections.push_back(SdtSection(header, run));
        }
    }
    return sections;
}

std::vector<Bytes> CaptureBat(const Lineup& lineup, bool yesBouquet) {
    // One transport stream entry per transport stream and run of services.
    std::vector<BatTransportStream> entries;
    for (uint16_t tsid : TransportStreams(lineup)) {
        std::vector<std::pair<uint16_t, uint8_t>> listed;  // service id, type
        std::vector<ChannelListEntry> numbers;
        for (const LineupService& service : lineup.services) {
            if (service.transportStreamId != tsid || (yesBouquet && !service.inBouquet))
                continue;
            listed.emplace_back(service.serviceId, service.serviceType);
            numbers.push_back({service.serviceId,
                               yesBouquet ? service.bouquetNumber : service.otherBouquetNumber});
        }
        if (yesBouquet && tsid == lineup.actualTransportStreamId) {
            for (uint16_t stray : lineup.strayBouquetServiceIds) {
                listed.emplace_back(stray, 0x01);
                numbers.push_back({stray, 999});
            }
        }
        for (size_t first = 0; first < listed.size(); first += kServicesPerBatEntry) {
            const size_t last = std::min(listed.size(), first + kServicesPerBatEntry);
            ByteWriter serviceList;
            for (size_t i = first; i < last; ++i)
                serviceList.U16(listed[i].first).U8(listed[i].second);
            BatTransportStream entry;
            entry.transportStreamId = tsid;
            entry.originalNetworkId = lineup.originalNetworkId;
            entry.descriptors = Concat(
                {Descriptor(0x41, serviceList.Data()),
                 ChannelListDescriptor({numbers.begin() + static_cast<std::ptrdiff_t>(first),
                                        numbers.begin() + static_cast<std::ptrdiff_t>(last)})});
            entries.push_back(std::move(entry));
        }
    }
    const std::string& name = yesBouquet ? lineup.bouquetName : lineup.otherBouquetName;
    const Bytes nameDescriptor = BouquetNameDescriptor(name);
    std::vector<size_t> sizes;
    for (const BatTransportStream& entry : entries)
        sizes.push_back(6 + entry.descriptors.size());
    // Header, the two loop lengths, the bouquet name (in every section: a receiver reads the
    // name of each section), CRC.
    const auto runs = Pack(sizes, kMaxSdtBatSection - 16 - nameDescriptor.size());
    std::vector<Bytes> sections;
    for (size_t k = 0; k < runs.size(); ++k) {
        BatSection section;
        section.bouquetId = yesBouquet ? lineup.bouquetId : lineup.otherBouquetId;
        section.version = lineup.batVersion;
        section.sectionNumber = static_cast<uint8_t>(k);
        section.lastSectionNumber = static_cast<uint8_t>(runs.size() - 1);
        section.bouquetDescriptors = nameDescriptor;
        for (size_t i : runs[k])
            section.transportStreams.push_back(entries[i]);
        sections.push_back(BuildBat(section));
    }
    return sections;
}

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
        const auto runs = Pack(sizes, kMaxEitSection - kEitOverhead);
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

Bytes CaptureTimeOffsets(const Lineup& lineup) {
    // Summer time starts some weeks after the start in the countries that have it.
    const int64_t change = lineup.scheduleStart + 45 * 86400 + 3600;
    return LocalTimeOffsetDescriptor({{"FRA", 0, 60, change, 120},
                                      {"DEU", 0, 60, change, 120},
                                      {"ESP", 0, 60, change, 120},
                                      {"GBR", 0, 0, change, 60},
                                      {"RUS", 0, 180, change, 180},
                                      {"ARE", 0, 240, change, 240},
                                      {"ISR", 0, 120, change, 180}});
}

}  // namespace sibuild
