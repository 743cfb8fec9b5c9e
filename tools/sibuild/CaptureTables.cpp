#include "sibuild/CaptureTables.h"

#include <algorithm>

#include "sibuild/BatBuilder.h"
#include "sibuild/PatBuilder.h"
#include "sibuild/SdtBuilder.h"
#include "sibuild/TimeTableBuilder.h"

namespace sibuild {

namespace {

constexpr size_t kSdtOverhead = 15;
constexpr size_t kServicesPerBatEntry = 40;

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

}  // namespace

std::vector<std::vector<size_t>> PackIntoRuns(const std::vector<size_t>& sizes, size_t room) {
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
        const auto runs = PackIntoRuns(sizes, kMaxSdtBatSection - kSdtOverhead);
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
    const auto runs = PackIntoRuns(sizes, kMaxSdtBatSection - 16 - nameDescriptor.size());
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
