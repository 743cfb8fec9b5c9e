#pragma once
// The tables of a generated capture that describe its services, built from its line-up: PAT,
// SDT actual and other, the two bouquets' BAT, the TOT's local time offsets.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sibuild/CaptureLineup.h"
#include "sibuild/SectionBuilder.h"

namespace sibuild {

constexpr size_t kMaxSdtBatSection = 1024;

// Splits items of these sizes, in order, into runs that add up to at most `room` each (an item
// larger than `room` gets a run of its own): the sections a table's entries need.
std::vector<std::vector<size_t>> PackIntoRuns(const std::vector<size_t>& sizes, size_t room);

// Program 0 on the network PID and one program per service of the actual transport stream.
Bytes CapturePat(const Lineup& lineup);
// SDT actual (0x42), then SDT other (0x46) for each other transport stream.
std::vector<Bytes> CaptureSdt(const Lineup& lineup);
// The BAT of "Yes Bouquet 1" (`yesBouquet`) or of the other bouquet.
std::vector<Bytes> CaptureBat(const Lineup& lineup, bool yesBouquet);

// The TOT's local time offsets of the line-up's countries.
Bytes CaptureTimeOffsets(const Lineup& lineup);

}  // namespace sibuild
