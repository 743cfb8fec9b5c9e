#pragma once
// Routes the packets of mapped PIDs to one section assembler each and hands over their complete
// sections, tagged with the output the PID is mapped to, in the order the sections complete.
// Packets of unmapped PIDs cost one table look-up.
//
// A PID has one output at a time: every caller maps each PID to one output pin, so several
// outputs per PID would only cost copies. Mapping a mapped PID again moves it to the new output
// with its unfinished section.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ts/SectionAssembler.h"

class SectionDemux {
public:
    static constexpr size_t kPidCount = 0x2000;

    // One complete section of `pid`, mapped to `output`. The bytes are valid only during the
    // call; the handler must not map or unmap PIDs or feed packets.
    using SectionHandler =
        std::function<void(int output, uint16_t pid, const uint8_t* section, size_t length)>;

    explicit SectionDemux(SectionHandler onSection);
    SectionDemux(const SectionDemux&) = delete;
    SectionDemux& operator=(const SectionDemux&) = delete;

    void MapPid(uint16_t pid, int output);
    // Forgets the PID and its unfinished section; unmapped PIDs are ignored.
    void UnmapPid(uint16_t pid);
    bool IsMapped(uint16_t pid) const;

    // `count` 188-byte packets back to back, as the packet framer delivers them.
    void Feed(const uint8_t* packets, size_t count);
    // Forgets every unfinished section and continuity counter; the mapping stays.
    void Reset();

private:
    struct Route final : SectionSink {
        Route(uint16_t pid, int output, const SectionHandler& handler)
            : pid(pid), output(output), handler(handler) {}
        void OnSection(const uint8_t* section, size_t length) override {
            handler(output, pid, section, length);
        }
        uint16_t pid;
        int output;
        const SectionHandler& handler;
        SectionAssembler assembler;
    };

    SectionHandler onSection;
    std::array<uint16_t, kPidCount> routeOfPid{};  // 1 + index into routes; 0: unmapped
    std::vector<std::unique_ptr<Route>> routes;
};
