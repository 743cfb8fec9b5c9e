#pragma once
// Synthetic DVB-S captures for the demo, the tests and the benchmarks: a transport stream of a
// described line-up with its SI carousel, mixed with filler packets on video and audio PIDs so
// that SI is a chosen share of the packets. The stream time advances with the packets at a
// nominal bitrate, and TDT and TOT tell it. The output is streamed in chunks (memory bounded
// by the line-up, not by the capture's size) and one seed gives the same bytes every time.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "sibuild/CaptureLineup.h"

namespace sibuild {

struct CaptureSummary {
    uint64_t packets = 0;
    uint64_t siPackets = 0;  // PIDs 0x0000, 0x0011, 0x0012 and 0x0014
    uint64_t bytes = 0;
    double streamSeconds = 0;     // stream time the capture covers
    uint32_t scheduleCycles = 0;  // complete passes through the schedule tables
};

// Receives the capture in order, in chunks of whole packets.
using CaptureSink = std::function<void(const uint8_t* data, size_t size)>;

class CaptureGenerator {
public:
    // Validates the options (std::invalid_argument) and builds the line-up.
    explicit CaptureGenerator(const CaptureOptions& options);

    const CaptureOptions& Options() const { return options; }
    // What the capture carries; after Write, each event's firstPacket tells whether and where it
    // went out whole.
    const Lineup& Description() const { return lineup; }
    // The size target rounded up to whole packets, or the duration's packets at the bitrate.
    uint64_t PacketCount() const;
    // Stream time of packet `packet`, in seconds after the start.
    double PacketTime(uint64_t packet) const;

    // Writes the whole capture; call once.
    CaptureSummary Write(const CaptureSink& sink);

private:
    CaptureOptions options;
    Lineup lineup;
    bool written = false;
};

}  // namespace sibuild
