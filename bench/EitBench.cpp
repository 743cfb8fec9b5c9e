// ParseEitSection on schedule sections as a broadcast carries them: about 4 KiB each, eight
// events with short event, extended event, component and content descriptors.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "si/ParseEitSection.h"
#include "sibuild/DvbTime.h"
#include "sibuild/EitBuilder.h"
#include "sibuild/EventDescriptors.h"

namespace {

constexpr int Services = 8;
constexpr int SectionsPerService = 8;
constexpr int EventsPerSection = 8;
const int64_t Now = sibuild::UtcSeconds(2024, 5, 1, 6, 0, 0);

std::vector<sibuild::Bytes> ScheduleSections() {
    using namespace sibuild;
    const std::string plot =
        "Tonight's guests discuss the week's news, from the election results in the north to the "
        "new caf\xE9 culture downtown. Plus: live music from the studio band, a cooking segment "
        "with a celebrity chef, and the weekend weather & more.";
    std::vector<Bytes> sections;
    for (int service = 0; service < Services; ++service) {
        for (int s = 0; s < SectionsPerService; ++s) {
            EitSection section;
            section.tableId = 0x50;
            section.serviceId = static_cast<uint16_t>(100 + service);
            section.sectionNumber = static_cast<uint8_t>(s * 8);
            section.lastSectionNumber = 0xF8;
            section.lastTableId = 0x50;
            for (int e = 0; e < EventsPerSection; ++e) {
                const int index = s * EventsPerSection + e;
                EitEvent event;
                event.eventId = static_cast<uint16_t>(1000 + index);
                event.start = Now + int64_t{index} * 1800;
                event.duration = 1800;
                event.descriptors = Concat({
                    ShortEventDescriptor(
                        "eng", "The Late Show & Friends: Caf\xE9 Talk " + std::to_string(index),
                        "Episode " + std::to_string(index) +
                            " of the evening programme, live from the studio"),
                    ExtendedEventDescriptor(0, 1, "eng", {{"Dir", "Smith"}}, plot),
                    ExtendedEventDescriptor(1, 1, "eng", {},
                                            " Repeated on Sunday afternoon, with sign language "
                                            "and audio description for this episode."),
                    ComponentDescriptor(0x05, 0x0B, "eng"),
                    ComponentDescriptor(0x02, 0x03, "eng"),
                    ComponentDescriptor(0x03, 0x10, "eng"),
                    ContentDescriptor({{0x10, 0x00}, {0x23, 0x05}}),
                });
                section.events.push_back(std::move(event));
            }
            sections.push_back(BuildEit(section));
        }
    }
    return sections;
}

struct Harness {
    Harness() : sections(ScheduleSections()) {
        parser.outputStream = std::fopen("/dev/null", "wb");
        parser.now = [] { return Now; };
        for (int service = 0; service < Services; ++service) {
            ServiceRecord& record = parser.services[static_cast<uint16_t>(100 + service)];
            record.channelNumber = static_cast<uint16_t>(1 + service);
            record.serviceType = 0x01;
            record.runningStatus = 4;
        }
        for (const auto& s : sections)
            bytes += static_cast<int64_t>(s.size());
    }
    ~Harness() { std::fclose(parser.outputStream); }
    void ForgetEvents() {
        for (auto& [id, record] : parser.services)
            record.events.clear();
    }
    bool ParseAll() {
        bool added = false;
        for (const auto& s : sections) {
            added |= ParseEitSection(parser, s.data(), static_cast<int32_t>(s.size()));
        }
        return added;
    }
    void Report(benchmark::State& state) const {
        const auto count =
            static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(sections.size());
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
        state.counters["sections/s"] =
            benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsRate);
        state.counters["section bytes"] =
            static_cast<double>(bytes) / static_cast<double>(sections.size());
    }

    std::vector<sibuild::Bytes> sections;
    SectionParser parser;
    int64_t bytes = 0;
};

// Every event new: each one is recorded and written as a programme.
void BM_EitFirstPass(benchmark::State& state) {
    Harness h;
    for (auto _ : state) {
        state.PauseTiming();
        h.ForgetEvents();
        state.ResumeTiming();
        benchmark::DoNotOptimize(h.ParseAll());
    }
    h.Report(state);
}
BENCHMARK(BM_EitFirstPass);

// The carousel repeats: every event is known and only looked up.
void BM_EitRepeatPass(benchmark::State& state) {
    Harness h;
    h.ParseAll();
    for (auto _ : state)
        benchmark::DoNotOptimize(h.ParseAll());
    h.Report(state);
}
BENCHMARK(BM_EitRepeatPass);

}  // namespace
