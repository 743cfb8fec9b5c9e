#pragma once
// A small transponder's service information for end-to-end runs: the sections of a TDT, an
// SDT with two services and their EIT events, and the document elements a harvest of them
// must write, spelled out from the sections' contents.

#include <cstdint>
#include <string>
#include <vector>

#include "sibuild/SectionBuilder.h"

struct HarvestScenario {
    int64_t streamTime = 0;           // the TDT's UTC time
    std::vector<sibuild::Bytes> tdt;  // PID 0x0014
    std::vector<sibuild::Bytes> sdt;  // PID 0x0011
    std::vector<sibuild::Bytes> eit;  // PID 0x0012
    std::string expectedElements;     // channels, then programmes, as written
};

// `eventsPerService` schedule events for each of the two services, starting at streamTime.
HarvestScenario MakeHarvestScenario(int64_t streamTime, int eventsPerService);

// Transport packets of the scenario's sections, TDT first, then SDT, then EIT. Each call of
// the same carousel continues the continuity counters, as a repeating broadcast does.
class ScenarioCarousel {
public:
    explicit ScenarioCarousel(const HarvestScenario& scenario);
    sibuild::Bytes NextRound();

private:
    const HarvestScenario& scenario;
    uint8_t tdtCounter = 0;
    uint8_t sdtCounter = 0;
    uint8_t eitCounter = 0;
};
