#pragma once
// Follows the time tables of a transport stream as the demultiplexer will see them: frames the
// bytes with the same packet framer (so the same packets come out of the same bytes) and
// assembles the sections of PID 0x0014, noting the UTC_time of every TDT and TOT completed and
// how far into the stream the demultiplexer must have been fed to have completed it too.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ts/PacketFramer.h"
#include "platform/ts/SectionAssembler.h"

class TimeTableTracker final : private SectionSink {
public:
    // A TDT/TOT completed: its time, and the stream offset (bytes since the start of the
    // stream) from which a framer has delivered the packet that completed it.
    struct Mark {
        uint64_t readyAt;
        int64_t utcSeconds;
    };

    TimeTableTracker();
    TimeTableTracker(const TimeTableTracker&) = delete;
    TimeTableTracker& operator=(const TimeTableTracker&) = delete;

    // The next bytes of the stream. Afterwards First(), Last() and Marks() tell the TDT/TOTs that
    // these bytes completed (none when they completed none).
    void Push(const uint8_t* data, size_t size);
    // The end of the stream: what the remaining bytes still complete.
    void End();

    std::optional<int64_t> First() const { return first; }
    std::optional<int64_t> Last() const { return last; }
    // In stream order.
    const std::vector<Mark>& Marks() const { return marks; }
    // Bytes pushed since the start of the stream.
    uint64_t Pushed() const { return pushed; }

private:
    void OnSection(const uint8_t* section, size_t length) override;
    void Clear();

    PacketFramer framer;
    SectionAssembler assembler;
    std::optional<int64_t> first;
    std::optional<int64_t> last;
    std::vector<Mark> marks;
    uint64_t pushed = 0;
    uint64_t packetReadyAt = 0;  // of the packet being assembled
};
