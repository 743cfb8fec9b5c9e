#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "intake/DispatchSections.h"
#include "sibuild/BatBuilder.h"
#include "sibuild/DvbTime.h"
#include "sibuild/EitBuilder.h"
#include "sibuild/EventDescriptors.h"
#include "sibuild/SdtBuilder.h"

namespace {

constexpr int sectionCount = 64;
constexpr int servicesPerSection = 12;

// A sample of SDT sections as a transponder's SDT carousel delivers them: every service
// with a service descriptor and a multilingual name.
sibuild::Bytes SdtSample() {
    sibuild::Bytes sample;
    for (int s = 0; s < sectionCount; ++s) {
        std::vector<sibuild::SdtService> services;
        for (int i = 0; i < servicesPerSection; ++i) {
            sibuild::SdtService service;
            service.serviceId = static_cast<uint16_t>(s * servicesPerSection + i + 1);
            const std::string name = "Channel " + std::to_string(service.serviceId);
            service.descriptors =
                sibuild::Concat({sibuild::ServiceDescriptor(0x01, "Provider", name),
                                 sibuild::MultilingualServiceNameDescriptor({{"heb", "", name}})});
            services.push_back(std::move(service));
        }
        sample =
            sibuild::Concat({sample, sibuild::SdtSection({.tableId = 0x42,
                                                          .transportStreamId = 1,
                                                          .originalNetworkId = 1,
                                                          .version = 0,
                                                          .sectionNumber = static_cast<uint8_t>(s),
                                                          .lastSectionNumber = sectionCount - 1},
                                                         services)});
    }
    return sample;
}

struct NullOutput {
    NullOutput() : file(std::fopen("/dev/null", "w")) {}
    ~NullOutput() { std::fclose(file); }
    FILE* file;
};

void BM_DispatchNewServices(benchmark::State& state) {
    const sibuild::Bytes sample = SdtSample();
    NullOutput out;
    for (auto _ : state) {
        state.PauseTiming();
        SectionParser parser;
        parser.outputStream = out.file;
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            DispatchSections(sample.data(), static_cast<int32_t>(sample.size()), parser));
        state.PauseTiming();  // the parser's teardown is not part of the pass
        parser = SectionParser();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * sectionCount);
}

void BM_DispatchKnownServices(benchmark::State& state) {
    const sibuild::Bytes sample = SdtSample();
    NullOutput out;
    SectionParser parser;
    parser.outputStream = out.file;
    DispatchSections(sample.data(), static_cast<int32_t>(sample.size()), parser);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            DispatchSections(sample.data(), static_cast<int32_t>(sample.size()), parser));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * sectionCount);
}

constexpr int serviceCount = sectionCount * servicesPerSection;

// The bouquet that numbers the channels: sections of 64 transport streams, each with a channel
// list of twelve services, as the SDT sample names them.
sibuild::Bytes BatSample() {
    constexpr int batSections = 4;
    constexpr int streamsPerSection = sectionCount / batSections;
    sibuild::Bytes sample;
    for (int s = 0; s < batSections; ++s) {
        sibuild::BatSection bat;
        bat.sectionNumber = static_cast<uint8_t>(s);
        bat.lastSectionNumber = batSections - 1;
        bat.bouquetDescriptors = sibuild::BouquetNameDescriptor("Yes Bouquet 1");
        for (int t = 0; t < streamsPerSection; ++t) {
            std::vector<sibuild::ChannelListEntry> entries;
            for (int i = 0; i < servicesPerSection; ++i) {
                const int n = (s * streamsPerSection + t) * servicesPerSection + i + 1;
                entries.push_back({static_cast<uint16_t>(n), static_cast<uint16_t>(100 + n)});
            }
            bat.transportStreams.push_back({.transportStreamId = static_cast<uint16_t>(t + 1),
                                            .originalNetworkId = 1,
                                            .descriptors = sibuild::ChannelListDescriptor(entries),
                                            .rawDescriptorsLength = std::nullopt});
        }
        sample = sibuild::Concat({sample, sibuild::BuildBat(bat)});
    }
    return sample;
}

// A parser that knows every service of the SDT sample, with the bouquet writing the channels.
void KnowServices(SectionParser& parser, const sibuild::Bytes& sdt) {
    parser.batFlag = true;
    DispatchSections(sdt.data(), static_cast<int32_t>(sdt.size()), parser);
}

// The bouquet seen for the first time: every entry numbers its service and writes its channel.
void BM_DispatchBatNewNumbers(benchmark::State& state) {
    const sibuild::Bytes sdt = SdtSample();
    const sibuild::Bytes bat = BatSample();
    NullOutput out;
    for (auto _ : state) {
        state.PauseTiming();
        SectionParser parser;
        parser.outputStream = out.file;
        KnowServices(parser, sdt);
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            DispatchSections(bat.data(), static_cast<int32_t>(bat.size()), parser));
        state.PauseTiming();
        parser = SectionParser();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bat.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * serviceCount);
}

// The carousel as it goes round after the first pass: SDT, BAT and EIT schedule sections of
// services, channels and events all known; the CRC check and the lookups are the work.
void BM_DispatchKnownCarousel(benchmark::State& state) {
    using namespace sibuild;
    const int64_t now = UtcSeconds(2024, 5, 1, 6, 0, 0);
    Bytes sample = Concat({SdtSample(), BatSample()});
    for (int service = 1; service <= 32; ++service) {
        EitSection eit;
        eit.tableId = 0x50;
        eit.serviceId = static_cast<uint16_t>(service);
        eit.lastSectionNumber = 0xF8;
        eit.lastTableId = 0x50;
        for (int e = 0; e < 8; ++e) {
            EitEvent event;
            event.eventId = static_cast<uint16_t>(1000 + e);
            event.start = now + int64_t{e} * 1800;
            event.duration = 1800;
            event.descriptors =
                Concat({ShortEventDescriptor("eng", "Programme " + std::to_string(e),
                                             "Episode " + std::to_string(e)),
                        ExtendedEventDescriptor(0, 0, "eng", {}, std::string(200, 'a')),
                        ComponentDescriptor(0x05, 0x0B, "eng"), ContentDescriptor({{0x10, 0x00}})});
            eit.events.push_back(std::move(event));
        }
        sample = Concat({sample, BuildEit(eit)});
    }
    NullOutput out;
    SectionParser parser;
    parser.outputStream = out.file;
    parser.now = [now] { return now; };
    KnowServices(parser, sample);
    if (DispatchSections(sample.data(), static_cast<int32_t>(sample.size()), parser))
        state.SkipWithError("the second pass brought news: the sample is not all known");
    for (auto _ : state)
        benchmark::DoNotOptimize(
            DispatchSections(sample.data(), static_cast<int32_t>(sample.size()), parser));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample.size()));
}

}  // namespace

BENCHMARK(BM_DispatchNewServices);
BENCHMARK(BM_DispatchKnownServices);
BENCHMARK(BM_DispatchBatNewNumbers);
BENCHMARK(BM_DispatchKnownCarousel);
