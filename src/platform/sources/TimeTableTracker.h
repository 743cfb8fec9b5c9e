#pragma once
// Follows the time tables of a transport stream as the demultiplexer will see them: frames the
// bytes with the same packet framer (so the same packets come out of the same bytes) and
// assembles the sections of PID 0x0014, noting the UTC_time of every TDT and TOT completed.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/ts/PacketFramer.h"
#include "platform/ts/SectionAssembler.h"

class TimeTableTracker final : private SectionSink {
public:
    TimeTableTracker();
    TimeTableTracker(const TimeTableTracker&) = delete;
    TimeTableTracker& operator=(const TimeTableTracker&) = delete;

    // The next bytes of the stream. Afterwards First() and Last() tell the times of the first
    // and the last TDT/TOT that these bytes completed (none when they completed none).
    void Push(const uint8_t* data, size_t size);
    // The end of the stream: what the remaining bytes still complete.
    void End();

    std::optional<int64_t> First() const { return first; }
    std::optional<int64_t> Last() const { return last; }

private:
    void OnSection(const uint8_t* section, size_t length) override;

    PacketFramer framer;
    SectionAssembler assembler;
    std::optional<int64_t> first;
    std::optional<int64_t> last;
};
