#pragma once
// What a generated capture carries: its services, bouquets and events. The generator builds the
// line-up from its options and a seed, broadcasts it, and notes for every event the packet in
// which it first went out, so that tests can predict a harvest from the line-up alone.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sibuild/SectionBuilder.h"

namespace sibuild {

struct CaptureOptions {
    int services = 24;
    int days = 7;                   // of schedule, counted from the start time
    double siSharePercent = 5.0;    // of the packets (PAT, SDT, BAT, EIT, TDT, TOT); 100: SI only
    uint64_t sizeBytes = 64 << 20;  // the capture ends with the first packet that reaches it
    std::optional<double> durationSeconds;  // instead of a size: stream time to cover
    uint64_t seed = 1;
    int64_t start = 1768500000;     // UTC seconds of the first packet: 2026-01-15T18:00:00Z
    int packetSize = 188;           // 188, 192 (timestamped) or 204 (with parity bytes)
    uint64_t bitrate = 38'000'000;  // nominal transport stream bits per second

    // Throws std::invalid_argument naming the first option out of range.
    void Validate() const;
};

struct LineupEvent {
    uint16_t eventId = 0;
    int64_t start = 0;  // UTC seconds
    int32_t duration = 0;
    uint8_t addedInRevision = 0;    // 0: in the first schedule; n: added by the n-th revision
    uint8_t revisedInRevision = 0;  // 0: never changed; n: the n-th revision changed its sub-title
    std::string language;           // ISO 639-2 of all its texts
    // Texts as broadcast (selector byte and single-byte table).
    std::string title;
    std::string subTitle;
    std::string revisedSubTitle;
    std::string description;  // the extended event texts joined
    uint8_t genre = 0;
    Bytes descriptors;         // as first broadcast
    Bytes revisedDescriptors;  // from revision revisedInRevision on
    // Index of the packet in which a section carrying the event was first complete; set by
    // the generator, none while the event has not been broadcast whole.
    std::optional<uint64_t> firstPacket;

    int64_t Stop() const { return start + duration; }
    bool InRevision(uint8_t revision) const { return addedInRevision <= revision; }
    const Bytes& DescriptorsIn(uint8_t revision) const {
        return revisedInRevision != 0 && revisedInRevision <= revision ? revisedDescriptors
                                                                       : descriptors;
    }
};

struct LineupName {
    std::string language;  // the key a receiver stores the name under
    std::string raw;       // as broadcast
    std::string utf8;      // what it reads as in its language's table
};

struct LineupService {
    uint16_t serviceId = 0;
    uint16_t transportStreamId = 0;
    bool actual = true;          // in the transport stream of the capture (SDT and EIT "actual")
    uint8_t serviceType = 0x01;  // 0x01 TV, 0x02 radio, 0x19 HD TV, 0x0C data
    uint8_t runningStatus = 4;
    bool hasServiceDescriptor = true;
    std::string provider;                // raw, Windows-1252
    LineupName name;                     // the service descriptor's name, stored under "eng"
    std::vector<LineupName> otherNames;  // the multilingual service name descriptor's
    std::string language;                // of its programmes
    bool inBouquet = false;              // listed in "Yes Bouquet 1"
    uint16_t bouquetNumber = 0;  // its number there; 0 when listed without one or not listed
    uint16_t otherBouquetNumber = 0;
    uint16_t videoPid = 0;  // of the filler packets; 0 for none
    uint16_t audioPid = 0;
    uint8_t scheduleVersion = 0;  // version_number of its first schedule
    uint8_t presentFollowingVersion = 0;
    uint8_t revisions = 0;            // how many times its schedule can change
    std::vector<LineupEvent> events;  // in time order, back to back
};

struct Lineup {
    int64_t start = 0;
    int64_t scheduleStart = 0;  // midnight UTC of the start day: segment 0 of the schedule
    int64_t scheduleEnd = 0;
    uint16_t originalNetworkId = 0;
    uint16_t actualTransportStreamId = 0;
    uint8_t sdtVersion = 0;
    uint8_t batVersion = 0;
    std::string bouquetName;  // "Yes Bouquet 1"
    uint16_t bouquetId = 0;
    std::string otherBouquetName;
    uint16_t otherBouquetId = 0;
    // Listed in the bouquet with a number, yet in no SDT.
    std::vector<uint16_t> strayBouquetServiceIds;
    std::vector<LineupService> services;
};

Lineup BuildLineup(const CaptureOptions& options);

}  // namespace sibuild
