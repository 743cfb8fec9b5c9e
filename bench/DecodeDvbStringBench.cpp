#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "text/DecodeDvbString.h"

namespace {

// Russian text in ISO/IEC 8859-5, as a broadcast carries it (Cyrillic letters only; the rest
// is ASCII).
std::string Iso8859_5(std::u32string_view text) {
    std::string bytes;
    for (const char32_t c : text) {
        if (c >= 0x0410 && c <= 0x044F) {
            bytes += static_cast<char>(0xB0 + (c - 0x0410));
        } else if (c == 0x0401) {
            bytes += '\xA1';
        } else if (c == 0x0451) {
            bytes += '\xF1';
        } else {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}

struct Sample {
    const char* language;
    std::string text;
};

const Sample& EngTitle() {
    static const Sample s{"eng", "The Late Show & Friends: Caf\xE9 Talk"};
    return s;
}

const Sample& EngDescription() {
    static const Sample s{
        "eng",
        "\x05Tonight's guests discuss the week's news, from the election results in the north "
        "to the new caf\xE9 culture downtown. Plus: <live> music from the studio band, a cooking "
        "segment with a celebrity chef, and the weather forecast for the weekend ahead & more."};
    return s;
}

const Sample& RusTitle() {
    static const Sample s{"rus", Iso8859_5(U"Новости: вечерний выпуск")};
    return s;
}

const Sample& RusDescription() {
    static const Sample s{
        "rus",
        Iso8859_5(U"Главные события дня в России и в мире. Политика, экономика, "
                  U"культура и спорт. Прогноз погоды на выходные. Ведущие рассказывают "
                  U"о новостях регионов, о premiere \"Кино & жизнь\" и о лучших матчах недели. "
                  U"Гость студии ответит на вопросы зрителей.")};
    return s;
}

void DecodeSample(benchmark::State& state, const Sample& (*sample)()) {
    const Sample& s = sample();
    std::string result;
    for (auto _ : state) {
        DecodeDvbString(s.language, s.text, result);
        benchmark::DoNotOptimize(result.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.text.size()));
    state.counters["input_bytes"] = static_cast<double>(s.text.size());
}

}  // namespace

BENCHMARK_CAPTURE(DecodeSample, EngTitle, EngTitle);
BENCHMARK_CAPTURE(DecodeSample, EngDescription, EngDescription);
BENCHMARK_CAPTURE(DecodeSample, RusTitle, RusTitle);
BENCHMARK_CAPTURE(DecodeSample, RusDescription, RusDescription);
