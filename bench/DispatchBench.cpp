#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "intake/DispatchSections.h"
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

}  // namespace

BENCHMARK(BM_DispatchNewServices);
BENCHMARK(BM_DispatchKnownServices);
