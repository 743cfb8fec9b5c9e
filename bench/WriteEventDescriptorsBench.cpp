// WriteEventDescriptors on the descriptor loops of single events, as the EIT parser hands them
// over for every new event: a typical schedule event (title, two extended parts, three
// components, content) in two character tables, and a short present/following one.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "si/WriteEventDescriptors.h"
#include "sibuild/EventDescriptors.h"

namespace {

using namespace sibuild;

struct Loop {
    const char* language;
    std::string title;
    std::string plot;
};

Bytes ScheduleEvent(const Loop& l) {
    return Concat({
        ShortEventDescriptor(l.language, l.title, "Episode 4 of the evening programme"),
        ExtendedEventDescriptor(0, 1, l.language, {{"Dir", "Smith"}, {"Cast", "Jones, Brown"}},
                                l.plot),
        ExtendedEventDescriptor(1, 1, l.language, {},
                                " Repeated on Sunday afternoon, with sign language."),
        ComponentDescriptor(0x05, 0x0B, l.language),
        ComponentDescriptor(0x02, 0x03, l.language),
        ComponentDescriptor(0x03, 0x10, l.language),
        ContentDescriptor({{0x10, 0x00}, {0x23, 0x05}}),
    });
}

const Bytes& EnglishSchedule() {
    static const Bytes loop = ScheduleEvent(
        {"eng", "The Late Show & Friends: Caf\xE9 Talk",
         "Tonight's guests discuss the week's news, from the election results in the north to "
         "the new caf\xE9 culture downtown. Plus: live music from the studio band & more."});
    return loop;
}

// Cyrillic letters in ISO/IEC 8859-5 (0xB0 to 0xEF), which all take two bytes in UTF-8.
const Bytes& RussianSchedule() {
    static const Bytes loop = [] {
        std::string title, plot;
        for (int i = 0; i < 30; ++i)
            title += static_cast<char>(i % 5 == 4 ? ' ' : 0xB0 + (i * 7) % 64);
        for (int i = 0; i < 180; ++i)
            plot += static_cast<char>(i % 7 == 6 ? ' ' : 0xB0 + (i * 11) % 64);
        return ScheduleEvent({"rus", title, plot});
    }();
    return loop;
}

const Bytes& PresentFollowing() {
    static const Bytes loop =
        Concat({ShortEventDescriptor("eng", "News", "The headlines"),
                ComponentDescriptor(0x05, 0x0B, "eng"), ContentDescriptor({{0x20, 0x00}})});
    return loop;
}

void WriteLoop(benchmark::State& state, const Bytes& (*loop)()) {
    const Bytes& bytes = loop();
    SectionParser parser;
    parser.outputStream = std::fopen("/dev/null", "wb");
    for (auto _ : state)
        WriteEventDescriptors(parser, bytes.data(), static_cast<int32_t>(bytes.size()));
    std::fclose(parser.outputStream);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));  // events
    state.counters["loop_bytes"] = static_cast<double>(bytes.size());
}

}  // namespace

BENCHMARK_CAPTURE(WriteLoop, EnglishSchedule, EnglishSchedule);
BENCHMARK_CAPTURE(WriteLoop, RussianSchedule, RussianSchedule);
BENCHMARK_CAPTURE(WriteLoop, PresentFollowing, PresentFollowing);
