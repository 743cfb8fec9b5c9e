#pragma once
// What a harvest of a damaged generated capture must hold. The SI sections of the intact
// capture are found with the packets that carry each; a section reaches the parsers when none
// of its packets is lost, and the guide then holds exactly what those sections carried, in the
// order they complete.

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "sibuild/CaptureLineup.h"
#include "sibuild/SectionBuilder.h"

// One section of PID 0x0011 or 0x0012 and the packets (indices in the capture) that carry it.
struct SpannedSection {
    uint16_t pid = 0;
    std::vector<uint64_t> packets;  // the last one completes it
    sibuild::Bytes bytes;
};

// The sections of an intact 188-byte capture, in the order they complete.
std::vector<SpannedSection> SpannedSections(const sibuild::Bytes& capture);

using ProgrammeKey = std::tuple<uint16_t, std::string, std::string>;  // channel, start, stop

struct GuideContent {
    std::multiset<uint16_t> channels;
    std::multiset<ProgrammeKey> programmes;
};

// The guide of a harvest without the bouquet (channel ids are service ids) at `now`, when
// exactly the packets in `lost` never reach the demultiplexer. `lost` is sorted.
GuideContent ExpectedGuide(const sibuild::Lineup& lineup,
                           const std::vector<SpannedSection>& sections,
                           const std::vector<uint64_t>& lost, int64_t now);

// The channels and programmes a document holds.
GuideContent GuideOf(const std::string& document);
