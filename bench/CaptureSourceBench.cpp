// The capture source reading a transponder capture from the page cache, against plain reads of
// the same file in the same chunks (what `cat FILE > /dev/null` does): without and with the
// stream clock, whose look-ahead and time-table tracking are the source's own cost.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/sources/CaptureFileSource.h"
#include "sibuild/DvbTime.h"
#include "sibuild/TimeTableBuilder.h"
#include "sibuild/TsPacketizer.h"

using sibuild::Bytes;

namespace {

constexpr size_t kCaptureBytes = 128 << 20;

// Filler on audio/video PIDs, one packet in twenty of SI, a TDT about once a second of a
// 38 Mbit/s transponder.
const std::string& CapturePath() {
    static const std::string path = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / "epg-capture-bench.ts").string();
        std::ofstream out(file, std::ios::binary);
        sibuild::TsPacketizer time(0x14);
        uint8_t counter = 0;
        const Bytes filler(184, 0x5A);
        for (size_t i = 0; i * 188 < kCaptureBytes; ++i) {
            Bytes packet;
            if (i % 25000 == 0) {
                packet = time.Packetize(
                    sibuild::TdtSection(sibuild::UtcSeconds(2026, 1, 15) + int64_t(i / 25000)));
            } else {
                sibuild::TsHeader header;
                header.pid = static_cast<uint16_t>(i % 20 == 0 ? 0x12 : 0x100 + i % 7);
                header.counter = counter++;
                packet = sibuild::TsPacket(header, {}, filler);
            }
            out.write(reinterpret_cast<const char*>(packet.data()), 188);
        }
        return file;
    }();
    return path;
}

class CountingSink : public TransportStreamSink {
public:
    void DeliverBytes(const uint8_t* data, size_t size) override {
        benchmark::DoNotOptimize(data);
        bytes += size;
    }
    void DeliverEndOfStream() override {}
    size_t bytes = 0;
};

void BM_ReadFileInChunks(benchmark::State& state) {
    const std::string& path = CapturePath();
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[CaptureFileSource::kChunkSize]);
    size_t total = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        ssize_t n;
        while ((n = ::read(fd, buffer.get(), CaptureFileSource::kChunkSize)) > 0)
            total += static_cast<size_t>(n);
        ::close(fd);
    }
    state.SetBytesProcessed(static_cast<int64_t>(total));
}
BENCHMARK(BM_ReadFileInChunks)->Unit(benchmark::kMillisecond);

void BM_CaptureSource(benchmark::State& state) {
    const bool streamClock = state.range(0) != 0;
    auto clock = streamClock ? std::make_shared<CaptureTime>() : nullptr;
    auto source = CaptureFileSource::Open(CapturePath(), clock, nullptr);
    size_t total = 0;
    for (auto _ : state) {
        CountingSink sink;
        std::stop_source stop;
        source->Stream(stop.get_token(), sink);
        total += sink.bytes;
    }
    state.SetBytesProcessed(static_cast<int64_t>(total));
    state.SetLabel(streamClock ? "Clock=stream" : "Clock=system");
}
BENCHMARK(BM_CaptureSource)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
