#pragma once
// The SI of a generated capture as a broadcaster's carousel sends it: PAT, TDT and TOT by the
// clock; SDT, BAT and EIT present/following often; the EIT schedule tables in turn between
// them, each service's schedule now and then revised with a new version_number.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sibuild/CaptureEit.h"
#include "sibuild/CaptureLineup.h"
#include "sibuild/CaptureRandom.h"
#include "sibuild/CaptureTables.h"
#include "sibuild/SectionBuilder.h"

namespace sibuild {

class CaptureCarousel {
public:
    static constexpr uint64_t kTicksPerSecond = 27'000'000;

    // Notes in `lineup`'s events the packet in which each first went out whole.
    CaptureCarousel(Lineup& lineup, uint64_t seed);

    // Writes the next SI packet (188 bytes) to `out`: packet `packet` of the capture, sent
    // `clock` ticks of 27 MHz after its start.
    void NextPacket(uint8_t* out, uint64_t packet, uint64_t clock);

    // Complete passes through all schedule tables so far.
    uint32_t ScheduleCycles() const { return cycles; }

private:
    // Where an EIT section ends in its burst, and what it carries.
    struct SectionEnd {
        size_t packet;
        uint32_t service;
        std::vector<uint32_t> events;
    };
    // Sections of one PID packed into packets, sent one after the other.
    struct Burst {
        uint16_t pid = 0;
        Bytes packets;
        std::vector<SectionEnd> ends;
        bool sentWhole = false;  // every section has gone out once: nothing more to note
        int revision = -1;       // of a schedule burst
        size_t PacketCount() const { return packets.size() / 188; }
    };
    struct ClockItem {
        uint64_t period;
        uint64_t due = 0;
    };

    // `services[i]` is the service whose events sections[i] carries (EIT only).
    static Burst MakeBurst(uint16_t pid, const std::vector<const EventSection*>& sections,
                           const std::vector<uint32_t>& services);
    static Burst MakeBurst(uint16_t pid, const std::vector<Bytes>& sections);
    int64_t TimeAt(uint64_t clock) const;
    void Emit(uint8_t* out, const uint8_t* packet, uint16_t pid);
    void EmitSection(uint8_t* out, uint16_t pid, const Bytes& section);
    void NextBurst(uint64_t clock);
    Burst& PresentFollowingBurst(uint64_t clock);
    Burst& ScheduleBurst(size_t entry);
    void EndOfCycle();

    Lineup& lineup;
    CaptureRandom random;
    std::array<uint8_t, 0x2000> counters{};

    ClockItem pat{kTicksPerSecond / 10};
    ClockItem tdt{kTicksPerSecond};
    ClockItem tot{kTicksPerSecond * 10};
    Bytes patSection;
    Bytes timeOffsets;

    Burst serviceBurst;  // SDT and both BATs, PID 0x11
    Burst pfBurst;       // present/following of every service, PID 0x12
    std::vector<std::vector<EventSection>> pfSections;  // per service: its two sections
    // The event they show as present: its index times 2, plus 1 once it has begun.
    std::vector<size_t> pfPresent;
    std::vector<int> pfRevision;
    std::vector<uint8_t> pfVersion;

    std::vector<uint8_t> revision;                      // per service
    std::vector<std::pair<size_t, int>> scheduleOrder;  // service, table
    std::vector<Burst> scheduleBursts;                  // in scheduleOrder
    size_t scheduleCursor = 0;
    uint32_t cycles = 0;

    Burst* current = nullptr;
    size_t currentPacket = 0;
    size_t currentEnd = 0;
    int fastPending = 2;           // bursts of the SDT/BAT/PF group still to send
    size_t scheduleSinceFast = 0;  // schedule bytes since that group
    size_t fastBytes = 0;
};

}  // namespace sibuild
