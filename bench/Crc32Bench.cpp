#include <benchmark/benchmark.h>

#include <vector>

#include "si/Crc32Mpeg2.h"
#include "si/Crc32Mpeg2Variants.h"

namespace {

constexpr size_t sectionSize = 4096;

std::vector<uint8_t> SectionBytes() {
    std::vector<uint8_t> data(sectionSize);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 131 + 17);
    return data;
}

template <uint32_t (*Variant)(uint32_t, const uint8_t*, size_t)>
void BM_Crc32Variant(benchmark::State& state) {
    const std::vector<uint8_t> data = SectionBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(Variant(0xFFFFFFFFu, data.data(), data.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * sectionSize);
}

void BM_Crc32Mpeg2(benchmark::State& state) {
    const std::vector<uint8_t> data = SectionBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(Crc32Mpeg2(data.data(), data.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * sectionSize);
}

void BM_Crc32Clmul(benchmark::State& state) {
    if (!crc32mpeg2::ClmulSupported()) {
        state.SkipWithError("no carry-less multiply on this processor");
        return;
    }
    BM_Crc32Variant<crc32mpeg2::Clmul>(state);
}

void BM_Crc32WideClmul(benchmark::State& state) {
    if (!crc32mpeg2::WideClmulSupported()) {
        state.SkipWithError("no 512-bit carry-less multiply on this processor");
        return;
    }
    BM_Crc32Variant<crc32mpeg2::WideClmul>(state);
}

}  // namespace

BENCHMARK(BM_Crc32Mpeg2);
BENCHMARK(BM_Crc32Variant<crc32mpeg2::Bytewise>)->Name("BM_Crc32Bytewise");
BENCHMARK(BM_Crc32Variant<crc32mpeg2::Slicing8>)->Name("BM_Crc32Slicing8");
BENCHMARK(BM_Crc32Clmul);
BENCHMARK(BM_Crc32WideClmul);
