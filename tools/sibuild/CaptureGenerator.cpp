#include "sibuild/CaptureGenerator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "sibuild/CaptureCarousel.h"
#include "sibuild/CaptureRandom.h"
#include "sibuild/TsPacketizer.h"

namespace sibuild {

namespace {

constexpr uint64_t kBitsPerPacket = 188 * 8;
constexpr uint32_t kMillion = 1'000'000;
constexpr size_t kChunkPackets = 4096;
constexpr size_t kPoolSize = 256 << 10;  // random bytes the filler payloads are cut from

// Audio and video packets with random payload, as a scrambled or compressed programme looks to
// anything that does not decode it.
class Filler {
public:
    Filler(const Lineup& lineup, uint64_t seed) : random(seed), pool(kPoolSize + 188) {
        for (size_t i = 0; i < pool.size(); i += 8) {
            const uint64_t r = random.Next();
            std::memcpy(pool.data() + i, &r, std::min<size_t>(8, pool.size() - i));
        }
        // Seven video packets to one of audio, spread over the actual transport stream's
        // services.
        std::vector<uint16_t> video, audio;
        for (const LineupService& service : lineup.services) {
            if (service.videoPid != 0)
                video.push_back(service.videoPid);
            if (service.audioPid != 0)
                audio.push_back(service.audioPid);
        }
        if (video.empty() && audio.empty())
            video.push_back(0x0100);
        for (size_t i = 0; i < pids.size(); ++i) {
            const bool useAudio = video.empty() || (i % 8 == 7 && !audio.empty());
            const std::vector<uint16_t>& from = useAudio ? audio : video;
            pids[i] = from[(i / 8 + i) % from.size()];
        }
    }

    void Packet(uint8_t* out) {
        const uint64_t r = random.Next();
        const uint16_t pid = pids[r & (pids.size() - 1)];
        out[0] = 0x47;
        out[1] = static_cast<uint8_t>(pid >> 8);
        out[2] = static_cast<uint8_t>(pid & 0xFF);
        out[3] = static_cast<uint8_t>(0x10 | counters[pid]);
        counters[pid] = (counters[pid] + 1) & 0x0F;
        std::memcpy(out + 4, pool.data() + (r >> 16) % kPoolSize, 184);
    }

    // Bytes that stand where a 204-byte capture has its Reed-Solomon parity.
    const uint8_t* Parity() { return pool.data() + (random.Next() >> 16) % kPoolSize; }

private:
    CaptureRandom random;
    std::vector<uint8_t> pool;
    std::array<uint16_t, 256> pids{};
    std::array<uint8_t, 0x2000> counters{};
};

}  // namespace

CaptureGenerator::CaptureGenerator(const CaptureOptions& options)
    : options(options), lineup(BuildLineup(options)) {}

uint64_t CaptureGenerator::PacketCount() const {
    if (options.durationSeconds)
        return static_cast<uint64_t>(std::ceil(
            *options.durationSeconds * static_cast<double>(options.bitrate) / kBitsPerPacket));
    const uint64_t size = static_cast<uint64_t>(options.packetSize);
    return (options.sizeBytes + size - 1) / size;
}

double CaptureGenerator::PacketTime(uint64_t packet) const {
    return static_cast<double>(packet) * kBitsPerPacket / static_cast<double>(options.bitrate);
}

CaptureSummary CaptureGenerator::Write(const CaptureSink& sink) {
    if (written)
        throw std::logic_error("a capture generator writes once");
    written = true;
    // Independent streams of random numbers, so that the SI and the filler of a 188-byte
    // capture stand unchanged in its 192- and 204-byte forms.
    CaptureCarousel carousel(lineup, options.seed ^ 0xC0FFEE0000000001ull);
    Filler filler(lineup, options.seed ^ 0xF111E40000000002ull);
    Filler parity(lineup, options.seed ^ 0x9A41770000000003ull);

    const size_t unit = static_cast<size_t>(options.packetSize);
    const size_t offset = unit == 192 ? 4 : 0;  // of the 188 bytes within a unit
    // SI when the share, accumulated packet by packet, reaches a whole packet; the first packet
    // is SI.
    const uint32_t share = static_cast<uint32_t>(std::lround(options.siSharePercent * 10'000));
    uint32_t due = kMillion - share;
    // 27 MHz clock of the packet, advanced exactly: ticks per packet = 1504 * 27e6 / bitrate.
    const uint64_t tickNumerator = kBitsPerPacket * CaptureCarousel::kTicksPerSecond;
    uint64_t clock = 0, remainder = 0;

    CaptureSummary summary;
    const uint64_t total = PacketCount();
    std::vector<uint8_t> chunk(kChunkPackets * unit);
    size_t filled = 0;
    for (uint64_t packet = 0; packet < total; ++packet) {
        uint8_t* out = chunk.data() + filled * unit;
        if (unit == 192) {
            // TP_extra_header: copy permission 0, then the 30-bit arrival time stamp.
            const uint32_t stamp = static_cast<uint32_t>(clock & 0x3FFFFFFF);
            out[0] = static_cast<uint8_t>(stamp >> 24);
            out[1] = static_cast<uint8_t>(stamp >> 16);
            out[2] = static_cast<uint8_t>(stamp >> 8);
            out[3] = static_cast<uint8_t>(stamp);
        }
        due += share;
        if (due >= kMillion) {
            due -= kMillion;
            carousel.NextPacket(out + offset, packet, clock);
            ++summary.siPackets;
        } else {
            filler.Packet(out + offset);
        }
        if (unit == 204)
            std::memcpy(out + 188, parity.Parity(), 16);
        remainder += tickNumerator;
        clock += remainder / options.bitrate;
        remainder %= options.bitrate;
        if (++filled == kChunkPackets) {
            sink(chunk.data(), filled * unit);
            filled = 0;
        }
    }
    if (filled > 0)
        sink(chunk.data(), filled * unit);

    summary.packets = total;
    summary.bytes = total * unit;
    summary.streamSeconds = PacketTime(total);
    summary.scheduleCycles = carousel.ScheduleCycles();
    return summary;
}

}  // namespace sibuild
