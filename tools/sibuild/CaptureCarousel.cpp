#include "sibuild/CaptureCarousel.h"

#include <algorithm>
#include <cstring>

#include "sibuild/TimeTableBuilder.h"
#include "sibuild/TsPacketizer.h"

namespace sibuild {

namespace {
constexpr uint16_t kPatPid = 0x0000;
constexpr uint16_t kSdtBatPid = 0x0011;
constexpr uint16_t kEitPid = 0x0012;
constexpr uint16_t kTimePid = 0x0014;
// The schedule gets at least three times the bytes of SDT, BAT and present/following, and
// never less than this between two of their rounds.
constexpr size_t kMinScheduleBetweenRounds = 16 << 10;
constexpr size_t kNoEvent = SIZE_MAX;
}  // namespace

CaptureCarousel::CaptureCarousel(Lineup& lineup, uint64_t seed) : lineup(lineup), random(seed) {
    patSection = CapturePat(lineup);
    timeOffsets = CaptureTimeOffsets(lineup);
    // SDT before the bouquets, so that a receiver knows the services the bouquets number, and
    // the other bouquet before "Yes Bouquet 1", so that it is met first.
    std::vector<Bytes> sections = CaptureSdt(lineup);
    for (bool yesBouquet : {false, true})
        for (Bytes& section : CaptureBat(lineup, yesBouquet))
            sections.push_back(std::move(section));
    serviceBurst = MakeBurst(kSdtBatPid, sections);

    const size_t count = lineup.services.size();
    revision.assign(count, 0);
    pfSections.resize(count);
    pfPresent.assign(count, kNoEvent);
    pfRevision.assign(count, -1);
    for (const LineupService& service : lineup.services)
        pfVersion.push_back(service.presentFollowingVersion);
    const int tables = ScheduleTableCount(lineup);
    for (int table = 0; table < tables; ++table)
        for (size_t s = 0; s < count; ++s)
            if (!lineup.services[s].events.empty())
                scheduleOrder.emplace_back(s, table);
    scheduleBursts.resize(scheduleOrder.size());
}

CaptureCarousel::Burst CaptureCarousel::MakeBurst(uint16_t pid,
                                                  const std::vector<Bytes>& sections) {
    Burst burst;
    burst.pid = pid;
    burst.packets = TsPacketizer(pid).Packetize(sections, true);
    burst.sentWhole = true;  // nothing to note
    return burst;
}

CaptureCarousel::Burst CaptureCarousel::MakeBurst(uint16_t pid,
                                                  const std::vector<const EventSection*>& sections,
                                                  const std::vector<uint32_t>& services) {
    std::vector<Bytes> bytes;
    for (const EventSection* section : sections)
        bytes.push_back(section->bytes);
    std::vector<size_t> lastPackets;
    Burst burst;
    burst.pid = pid;
    burst.packets = TsPacketizer(pid).Packetize(bytes, true, lastPackets);
    for (size_t i = 0; i < sections.size(); ++i)
        if (!sections[i]->events.empty())
            burst.ends.push_back({lastPackets[i], services[i], sections[i]->events});
    return burst;
}

int64_t CaptureCarousel::TimeAt(uint64_t clock) const {
    return lineup.start + static_cast<int64_t>(clock / kTicksPerSecond);
}

void CaptureCarousel::Emit(uint8_t* out, const uint8_t* packet, uint16_t pid) {
    std::memcpy(out, packet, kTsPacketSize);
    out[3] = static_cast<uint8_t>((out[3] & 0xF0) | counters[pid]);
    counters[pid] = (counters[pid] + 1) & 0x0F;
}

void CaptureCarousel::EmitSection(uint8_t* out, uint16_t pid, const Bytes& section) {
    Emit(out, TsPacketizer(pid).Packetize(section).data(), pid);
}

void CaptureCarousel::NextPacket(uint8_t* out, uint64_t packet, uint64_t clock) {
    // What the clock calls for goes first, between the packets of a burst if need be.
    for (ClockItem* item : {&pat, &tdt, &tot}) {
        if (clock < item->due)
            continue;
        item->due = (clock / item->period + 1) * item->period;
        if (item == &pat)
            EmitSection(out, kPatPid, patSection);
        else if (item == &tdt)
            EmitSection(out, kTimePid, TdtSection(TimeAt(clock)));
        else
            EmitSection(out, kTimePid, TotSection(TimeAt(clock), timeOffsets));
        return;
    }

    if (current == nullptr || currentPacket == current->PacketCount())
        NextBurst(clock);
    Emit(out, current->packets.data() + currentPacket * kTsPacketSize, current->pid);
    if (!current->sentWhole) {
        for (;
             currentEnd < current->ends.size() && current->ends[currentEnd].packet == currentPacket;
             ++currentEnd) {
            const SectionEnd& end = current->ends[currentEnd];
            auto& events = lineup.services[end.service].events;
            for (uint32_t e : end.events)
                if (!events[e].firstPacket)
                    events[e].firstPacket = packet;
        }
    }
    if (++currentPacket == current->PacketCount())
        current->sentWhole = true;
}

void CaptureCarousel::NextBurst(uint64_t clock) {
    for (;;) {
        Burst* next = nullptr;
        if (fastPending == 2) {
            next = &serviceBurst;
            fastPending = 1;
        } else if (fastPending == 1) {
            next = &PresentFollowingBurst(clock);
            fastPending = 0;
            fastBytes = serviceBurst.packets.size() + next->packets.size();
        } else if (scheduleOrder.empty()) {
            fastPending = 2;
            continue;
        } else {
            next = &ScheduleBurst(scheduleCursor);
            if (++scheduleCursor == scheduleOrder.size()) {
                scheduleCursor = 0;
                EndOfCycle();
            }
            scheduleSinceFast += next->packets.size();
            if (scheduleSinceFast >= std::max(3 * fastBytes, kMinScheduleBetweenRounds)) {
                fastPending = 2;
                scheduleSinceFast = 0;
            }
        }
        if (next->PacketCount() == 0)
            continue;
        current = next;
        currentPacket = 0;
        currentEnd = 0;
        return;
    }
}

CaptureCarousel::Burst& CaptureCarousel::PresentFollowingBurst(uint64_t clock) {
    const int64_t now = TimeAt(clock);
    bool changed = false;
    std::vector<const EventSection*> sections;
    std::vector<uint32_t> services;
    for (size_t s = 0; s < lineup.services.size(); ++s) {
        const LineupService& service = lineup.services[s];
        if (service.events.empty())
            continue;
        // Which event is present, and whether it has begun.
        const size_t index = PresentEventIndex(service, revision[s], now);
        const bool begun = index < service.events.size() && service.events[index].start <= now;
        const size_t shown = index * 2 + (begun ? 1 : 0);
        if (shown != pfPresent[s] || revision[s] != pfRevision[s]) {
            if (pfRevision[s] >= 0)
                pfVersion[s] = static_cast<uint8_t>((pfVersion[s] + 1) & 0x1F);
            pfSections[s] = PresentFollowingSections(lineup, s, revision[s], now, pfVersion[s]);
            pfPresent[s] = shown;
            pfRevision[s] = revision[s];
            changed = true;
        }
        for (const EventSection& section : pfSections[s]) {
            sections.push_back(&section);
            services.push_back(static_cast<uint32_t>(s));
        }
    }
    if (changed)
        pfBurst = MakeBurst(kEitPid, sections, services);
    return pfBurst;
}

CaptureCarousel::Burst& CaptureCarousel::ScheduleBurst(size_t entry) {
    const auto [s, table] = scheduleOrder[entry];
    Burst& burst = scheduleBursts[entry];
    if (burst.revision != revision[s]) {
        const std::vector<EventSection> sections = ScheduleSections(lineup, s, revision[s], table);
        std::vector<const EventSection*> pointers;
        for (const EventSection& section : sections)
            pointers.push_back(&section);
        burst = MakeBurst(kEitPid, pointers,
                          std::vector<uint32_t>(sections.size(), static_cast<uint32_t>(s)));
        burst.revision = revision[s];
    }
    return burst;
}

void CaptureCarousel::EndOfCycle() {
    ++cycles;
    for (size_t s = 0; s < lineup.services.size(); ++s)
        if (revision[s] < lineup.services[s].revisions && random.Chance(50))
            ++revision[s];
}

}  // namespace sibuild
