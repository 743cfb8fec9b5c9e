#pragma once
// A demultiplexer that keeps a copy of every section it hands over, for the tests.

#include <cstdint>
#include <ostream>
#include <vector>

#include "platform/ts/SectionDemux.h"
#include "sibuild/SectionBuilder.h"

struct DeliveredSection {
    int output;
    uint16_t pid;
    sibuild::Bytes section;
    bool operator==(const DeliveredSection&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const DeliveredSection& s) {
    return out << "{output " << s.output << ", pid " << s.pid << ", " << s.section.size()
               << " bytes, table " << (s.section.empty() ? -1 : s.section[0]) << "}";
}

struct SectionRecorder {
    SectionRecorder()
        : demux([this](int output, uint16_t pid, const uint8_t* section, size_t length) {
              delivered.push_back({output, pid, sibuild::Bytes(section, section + length)});
          }) {}
    // Whole 188-byte packets.
    void Feed(const sibuild::Bytes& packets) { demux.Feed(packets.data(), packets.size() / 188); }

    SectionDemux demux;
    std::vector<DeliveredSection> delivered;
};
