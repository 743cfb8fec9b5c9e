#pragma once
// Generated captures held in memory, and their SI sections as a receiver's demultiplexer
// delivers them, for the tests of the capture generator.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ts/SectionDemux.h"
#include "sibuild/CaptureGenerator.h"

struct GeneratedCapture {
    std::unique_ptr<sibuild::CaptureGenerator> generator;
    sibuild::CaptureSummary summary;
    std::vector<uint8_t> bytes;

    const sibuild::Lineup& Lineup() const { return generator->Description(); }
};

inline GeneratedCapture Generate(const sibuild::CaptureOptions& options) {
    GeneratedCapture capture;
    capture.generator = std::make_unique<sibuild::CaptureGenerator>(options);
    capture.summary = capture.generator->Write([&](const uint8_t* data, size_t size) {
        capture.bytes.insert(capture.bytes.end(), data, data + size);
    });
    return capture;
}

// The 188-byte packets of a capture of 188-, 192- or 204-byte units.
inline std::vector<uint8_t> TsPackets(const std::vector<uint8_t>& bytes, size_t unit) {
    const size_t offset = unit == 192 ? 4 : 0;
    std::vector<uint8_t> packets;
    packets.reserve(bytes.size() / unit * 188);
    for (size_t at = 0; at + unit <= bytes.size(); at += unit)
        packets.insert(packets.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + offset),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + offset + 188));
    return packets;
}

struct CapturedSection {
    uint64_t packet;  // index of the packet that completed it
    uint16_t pid;
    std::vector<uint8_t> bytes;
};

// Every section on the PAT, SDT/BAT, EIT and TDT/TOT PIDs, in the order they complete.
inline std::vector<CapturedSection> Demultiplex(const std::vector<uint8_t>& packets) {
    std::vector<CapturedSection> sections;
    uint64_t packet = 0;
    SectionDemux demux([&](int, uint16_t pid, const uint8_t* section, size_t length) {
        sections.push_back({packet, pid, std::vector<uint8_t>(section, section + length)});
    });
    for (uint16_t pid : {0x0000, 0x0011, 0x0012, 0x0014})
        demux.MapPid(pid, pid);
    for (; packet < packets.size() / 188; ++packet)
        demux.Feed(packets.data() + packet * 188, 1);
    return sections;
}
