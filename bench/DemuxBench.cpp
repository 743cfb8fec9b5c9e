// Packet framing and section demultiplexing, as a capture replay drives them: the file read in
// 64 KiB chunks, PIDs 0x11 and 0x12 mapped.

#include <benchmark/benchmark.h>

#include <random>

#include "TransponderStream.h"
#include "platform/ts/PacketFramer.h"
#include "platform/ts/SectionDemux.h"
#include "sibuild/SectionBuilder.h"
#include "sibuild/TsPacketizer.h"

using sibuild::Bytes;

namespace {

constexpr size_t kStreamBytes = 32 << 20;
constexpr size_t kChunkBytes = 64 << 10;

// EIT-sized sections (a few hundred bytes to 4 KiB) with random bodies.
std::vector<Bytes> EitSections(std::mt19937& random, size_t count) {
    std::uniform_int_distribution<size_t> size(300, 4000);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<Bytes> sections;
    for (size_t i = 0; i < count; ++i) {
        Bytes payload(size(random));
        for (auto& b : payload)
            b = static_cast<uint8_t>(byte(random));
        sibuild::SectionHeader header;
        header.tableId = static_cast<uint8_t>(0x50 + i % 16);
        header.tableIdExtension = static_cast<uint16_t>(i);
        sections.push_back(sibuild::LongSection(header, payload));
    }
    return sections;
}

// A carousel of SI packets only: EIT on 0x12 with an SDT-sized section on 0x11 now and then.
const Bytes& SiCarousel() {
    static const Bytes stream = [] {
        std::mt19937 random(7);
        const auto eit = EitSections(random, 64);
        const auto sdt = EitSections(random, 4);
        sibuild::TsPacketizer eitPackets(0x12), sdtPackets(0x11);
        Bytes out;
        while (out.size() < kStreamBytes) {
            const Bytes e = eitPackets.Packetize(eit, true);
            const Bytes s = sdtPackets.Packetize(sdt, true);
            out.insert(out.end(), e.begin(), e.end());
            out.insert(out.end(), s.begin(), s.end());
        }
        out.resize(kStreamBytes / 188 * 188);
        return out;
    }();
    return stream;
}

// A full transponder: one packet in twenty is SI, the rest audio and video on other PIDs.
const Bytes& Transponder() {
    static const Bytes stream = TransponderAround(SiCarousel(), kStreamBytes);
    return stream;
}

void Replay(benchmark::State& state, const Bytes& stream) {
    size_t sections = 0;
    SectionDemux demux([&](int, uint16_t, const uint8_t*, size_t) { ++sections; });
    demux.MapPid(0x11, 0);
    demux.MapPid(0x12, 1);
    PacketFramer framer([&](const uint8_t* packets, size_t count) { demux.Feed(packets, count); });
    for (auto _ : state) {
        for (size_t pos = 0; pos < stream.size(); pos += kChunkBytes) {
            framer.Push(stream.data() + pos, std::min(kChunkBytes, stream.size() - pos));
        }
        framer.End();
        demux.Reset();
    }
    benchmark::DoNotOptimize(sections);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
    state.counters["sections"] =
        benchmark::Counter(static_cast<double>(sections), benchmark::Counter::kIsRate);
}

void BM_DemuxSiCarousel(benchmark::State& state) {
    Replay(state, SiCarousel());
}
void BM_DemuxTransponder(benchmark::State& state) {
    Replay(state, Transponder());
}
void BM_DemuxTransponder204(benchmark::State& state) {
    static const Bytes stream = sibuild::To204(Transponder());
    Replay(state, stream);
}

}  // namespace

BENCHMARK(BM_DemuxSiCarousel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemuxTransponder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemuxTransponder204)->Unit(benchmark::kMillisecond);
