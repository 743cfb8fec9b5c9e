#include "DamagedCapture.h"

#include <algorithm>
#include <map>

#include "sibuild/CaptureCommandLine.h"
#include "support/XmltvTime.h"

namespace {

constexpr size_t kPacket = 188;
constexpr int64_t kDay = 86400;

uint16_t U16(const sibuild::Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
}

// A plain reassembly, enough for a capture without faults: sections start at pointer_field's
// target and follow back to back until stuffing.
class SpanTracker {
public:
    explicit SpanTracker(uint16_t pid) : pid(pid) {}

    void Packet(const uint8_t* packet, uint64_t index, std::vector<SpannedSection>& out) {
        size_t at = 4;
        if (packet[3] & 0x20)
            at += 1 + packet[4];
        if (!(packet[3] & 0x10) || at >= kPacket)
            return;
        if (packet[1] & 0x40) {
            const size_t target = at + 1 + packet[at];
            Take(packet, at + 1, target, index, out);
            at = target;
            while (at < kPacket && packet[at] != 0xFF) {
                pending = {pid, {}, {}};
                active = true;
                at = Take(packet, at, kPacket, index, out);
            }
        } else {
            Take(packet, at, kPacket, index, out);
        }
    }

private:
    // Adds bytes [from, to) to the pending section; returns where it stopped (at its end).
    size_t Take(const uint8_t* packet, size_t from, size_t to, uint64_t index,
                std::vector<SpannedSection>& out) {
        while (active && from < to) {
            if (pending.packets.empty() || pending.packets.back() != index)
                pending.packets.push_back(index);
            pending.bytes.push_back(packet[from++]);
            if (pending.bytes.size() >= 3 &&
                pending.bytes.size() == size_t{3} + (U16(pending.bytes, 1) & 0x0FFF)) {
                out.push_back(std::move(pending));
                active = false;
            }
        }
        return from;
    }

    uint16_t pid;
    SpannedSection pending;
    bool active = false;
};

bool Lost(const std::vector<uint64_t>& lost, const SpannedSection& section) {
    return std::any_of(section.packets.begin(), section.packets.end(), [&](uint64_t packet) {
        return std::binary_search(lost.begin(), lost.end(), packet);
    });
}

std::string Between(const std::string& line, const std::string& open, const std::string& close) {
    const size_t begin = line.find(open);
    if (begin == std::string::npos)
        return {};
    const size_t start = begin + open.size();
    return line.substr(start, line.find(close, start) - start);
}

}  // namespace

std::vector<SpannedSection> SpannedSections(const sibuild::Bytes& capture) {
    std::vector<SpannedSection> sections;
    SpanTracker sdt(0x0011), eit(0x0012);
    for (uint64_t index = 0; (index + 1) * kPacket <= capture.size(); ++index) {
        const uint8_t* packet = capture.data() + index * kPacket;
        const uint16_t pid = static_cast<uint16_t>((packet[1] & 0x1F) << 8 | packet[2]);
        if (pid == 0x0011)
            sdt.Packet(packet, index, sections);
        else if (pid == 0x0012)
            eit.Packet(packet, index, sections);
    }
    return sections;
}

GuideContent ExpectedGuide(const sibuild::Lineup& lineup,
                           const std::vector<SpannedSection>& sections,
                           const std::vector<uint64_t>& lost, int64_t now) {
    std::map<uint16_t, const sibuild::LineupService*> byId;
    for (const sibuild::LineupService& service : lineup.services)
        byId[service.serviceId] = &service;

    GuideContent guide;
    std::set<uint16_t> registered;
    std::set<std::pair<uint16_t, uint16_t>> harvested;  // service, event
    for (const SpannedSection& section : sections) {
        if (Lost(lost, section))
            continue;
        const sibuild::Bytes& b = section.bytes;
        const size_t end = b.size() - 4;
        if (b[0] == 0x42 || b[0] == 0x46) {
            for (size_t at = 11; at + 5 <= end; at += 5 + (U16(b, at + 3) & 0x0FFF)) {
                const uint16_t serviceId = U16(b, at);
                if (!registered.insert(serviceId).second)
                    continue;
                auto found = byId.find(serviceId);
                if (found != byId.end() && found->second->hasServiceDescriptor)
                    guide.channels.insert(serviceId);
            }
        } else if (b[0] >= 0x4E && b[0] <= 0x6F) {
            const uint16_t serviceId = U16(b, 3);
            auto found = byId.find(serviceId);
            if (!registered.count(serviceId) || found == byId.end())
                continue;
            const sibuild::LineupService& service = *found->second;
            const bool programmes = service.hasServiceDescriptor && service.runningStatus == 4 &&
                                    (service.serviceType == 0x01 || service.serviceType == 0x02 ||
                                     service.serviceType == 0x19);
            if (!programmes)
                continue;
            for (size_t at = 14; at + 12 <= end; at += 12 + (U16(b, at + 10) & 0x0FFF)) {
                const uint16_t eventId = U16(b, at);
                if (!harvested.insert({serviceId, eventId}).second)
                    continue;
                for (const sibuild::LineupEvent& event : service.events)
                    if (event.eventId == eventId && event.Stop() >= now - kDay &&
                        event.Stop() <= now + 14 * kDay)
                        guide.programmes.emplace(serviceId, XmltvTimeDigits(event.start),
                                                 XmltvTimeDigits(event.Stop()));
            }
        }
    }
    return guide;
}

GuideContent GuideOf(const std::string& document) {
    GuideContent guide;
    for (size_t at = 0; at < document.size();) {
        const size_t end = document.find("\r\n", at);
        const std::string line = document.substr(at, end - at);
        at = end == std::string::npos ? document.size() : end + 2;
        if (line.rfind("<channel id=\"", 0) == 0)
            guide.channels.insert(static_cast<uint16_t>(std::stoi(Between(line, "id=\"", "\""))));
        else if (line.rfind("<programme channel=\"", 0) == 0)
            guide.programmes.emplace(
                static_cast<uint16_t>(std::stoi(Between(line, "channel=\"", "\""))),
                Between(line, "start=\"", " +0000"), Between(line, "stop=\"", " +0000"));
    }
    return guide;
}
