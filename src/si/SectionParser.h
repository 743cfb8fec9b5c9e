#pragma once
// The state the table parsers share: where the document goes, the services known so far
// and whether the bouquet writes the channel elements.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "si/ProgressCounter.h"

// What the system knows of one service; the first SDT entry seen decides it.
struct ServiceRecord {
    uint16_t channelNumber = 0;  // 0: no number (yet)
    uint8_t serviceType = 0;
    uint8_t runningStatus = 0;
    std::unordered_map<std::string, std::string> names;  // language code -> raw name bytes
    std::unordered_set<uint16_t> events;                  // event ids already handled
};

// UTC seconds since 1970-01-01.
int64_t SystemUtcNow();

struct SectionParser {
    FILE* outputStream = nullptr;  // not owned
    std::unordered_map<uint16_t, ServiceRecord> services;
    bool batFlag = false;
    // "Now" for the programme time window: the system clock unless the platform (a replayed
    // capture's stream clock) or a test puts another in.
    std::function<int64_t()> now = SystemUtcNow;
    // For a progress display: elements written and sections received so far.
    ProgressCounter channelsWritten;
    ProgressCounter programmesWritten;
    ProgressCounter sectionsSeen;
};
