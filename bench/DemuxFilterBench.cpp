// The demultiplexer filter between a source pushing a capture in 64 KiB chunks and the sink
// filter, which dispatches every sample (CRC check, parsers, XML to /dev/null), as a capture
// replay runs. The parser state lives across passes, as in a run: after the first pass the
// carousel is known.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "TransponderStream.h"
#include "intake/DVBFilter.h"
#include "intake/DVBFilterInputPin.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/dshow/BaseOutputPin.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/MemorySample.h"
#include "platform/dshow/Mpeg2Demultiplexer.h"
#include "sibuild/DvbTime.h"
#include "sibuild/EitBuilder.h"
#include "sibuild/EventDescriptors.h"
#include "sibuild/SdtBuilder.h"
#include "sibuild/TsPacketizer.h"

using sibuild::Bytes;

namespace {

constexpr size_t kStreamBytes = 32 << 20;
constexpr size_t kChunkBytes = 64 << 10;
constexpr int kServices = 16;
const int64_t kNow = sibuild::UtcSeconds(2024, 5, 1, 6, 0, 0);

// EIT schedule sections of every service, eight events each, and the SDT naming the services.
std::vector<Bytes> EitSections() {
    using namespace sibuild;
    std::vector<Bytes> sections;
    for (int service = 0; service < kServices; ++service) {
        for (int s = 0; s < 8; ++s) {
            EitSection section;
            section.tableId = 0x50;
            section.serviceId = static_cast<uint16_t>(100 + service);
            section.sectionNumber = static_cast<uint8_t>(s * 8);
            section.lastSectionNumber = 0xF8;
            section.lastTableId = 0x50;
            for (int e = 0; e < 8; ++e) {
                const int index = s * 8 + e;
                EitEvent event;
                event.eventId = static_cast<uint16_t>(1000 + index);
                event.start = kNow + int64_t{index} * 1800;
                event.duration = 1800;
                event.descriptors = Concat({
                    ShortEventDescriptor("eng", "Programme " + std::to_string(index),
                                         "Episode " + std::to_string(index) + " of the series"),
                    ExtendedEventDescriptor(0, 0, "eng", {{"Dir", "Smith"}}, std::string(150, 'a')),
                    ComponentDescriptor(0x05, 0x0B, "eng"),
                    ContentDescriptor({{0x10, 0x00}}),
                });
                section.events.push_back(std::move(event));
            }
            sections.push_back(BuildEit(section));
        }
    }
    return sections;
}

Bytes SdtSection() {
    std::vector<sibuild::SdtService> services;
    for (int i = 0; i < kServices; ++i) {
        sibuild::SdtService service;
        service.serviceId = static_cast<uint16_t>(100 + i);
        service.descriptors =
            sibuild::ServiceDescriptor(0x01, "Provider", "Channel " + std::to_string(i));
        services.push_back(std::move(service));
    }
    return sibuild::SdtSection({}, services);
}

// Only SI packets: the EIT carousel on 0x12 with the SDT on 0x11 after every round.
const Bytes& SiCarousel() {
    static const Bytes stream = [] {
        const auto eit = EitSections();
        const Bytes sdt = SdtSection();
        sibuild::TsPacketizer eitPackets(0x12), sdtPackets(0x11);
        Bytes out;
        while (out.size() < kStreamBytes) {
            const Bytes e = eitPackets.Packetize(eit, true);
            const Bytes s = sdtPackets.Packetize(sdt);
            out.insert(out.end(), s.begin(), s.end());
            out.insert(out.end(), e.begin(), e.end());
        }
        out.resize(kStreamBytes / 188 * 188);
        return out;
    }();
    return stream;
}

// A full transponder: one packet in twenty from the SI carousel, the rest audio and video.
const Bytes& Transponder() {
    static const Bytes stream = TransponderAround(SiCarousel(), kStreamBytes);
    return stream;
}

// The source: a filter with one output pin, driven from the benchmark's thread.
class OnePinFilter : public CBaseFilter {
public:
    OnePinFilter() : CBaseFilter(NAME("bench"), nullptr, &lock, GUID_NULL) {}
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? pin.get() : nullptr; }

    CCritSec lock;
    std::unique_ptr<CBasePin> pin;
};

class StreamOutputPin : public CBaseOutputPin {
public:
    StreamOutputPin(CBaseFilter* filter, CCritSec* lock)
        : CBaseOutputPin(NAME("out"), filter, lock, nullptr, L"MPEG2 Transport") {}
    HRESULT CheckMediaType(const CMediaType*) override { return S_OK; }
    HRESULT GetMediaType(int position, CMediaType* type) override {
        if (position != 0)
            return VFW_S_NO_MORE_ITEMS;
        *type = CMediaType(&MEDIATYPE_Stream);
        type->SetSubtype(&MEDIASUBTYPE_MPEG2_TRANSPORT);
        type->SetFormatType(&FORMAT_None);
        return S_OK;
    }
};

struct Chain {
    Chain()
        : registration(RegisterDemultiplexerClass()),
          output(std::fopen("/dev/null", "wb")),
          proxy(new DVBFilterToParserProxy(output)),
          sink(proxy->filter) {
        proxy->parser.now = [] { return kNow; };
        source->pin = std::make_unique<StreamOutputPin>(source.Get(), &source->lock);
        CoCreateInstance(CLSID_MPEG2Demultiplexer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                         reinterpret_cast<void**>(&demux));
        ComPtr<IMpeg2Demultiplexer> control;
        demux.QueryInterface(IID_IMpeg2Demultiplexer, control);
        ComPtr<IPin> input, sections;
        demux->FindPin(L"MPEG-2 Stream", &input);
        source->pin->Connect(input.Get(), nullptr);
        CMediaType type(&MEDIATYPE_MPEG2_SECTIONS);
        type.SetSubtype(&MEDIASUBTYPE_DVB_SI);
        wchar_t name[] = L"For Varnel's PSI";
        control->CreateOutputPin(&type, name, &sections);
        ComPtr<IMPEG2PIDMap> map;
        sections.QueryInterface(IID_IMPEG2PIDMap, map);
        ULONG pids[] = {0x12, 0x11};
        map->MapPID(2, pids, MEDIA_MPEG2_PSI);
        sections->Connect(proxy->pin, nullptr);
        sink->Run(0);
        demux->Run(0);
        source->Run(0);
    }
    ~Chain() {
        source->Stop();
        demux->Stop();
        sink->Stop();
        ComPtr<IPin> input, sections;
        demux->FindPin(L"MPEG-2 Stream", &input);
        demux->FindPin(L"For Varnel's PSI", &sections);
        source->pin->Disconnect();
        input->Disconnect();
        sections->Disconnect();
        proxy->pin->Disconnect();
        sink.Release();  // the proxy goes with its last reference
        std::fclose(output);
    }

    // One pass over the stream, then its end.
    void Replay(const Bytes& stream) {
        auto* out = static_cast<StreamOutputPin*>(source->pin.get());
        for (size_t pos = 0; pos < stream.size(); pos += kChunkBytes) {
            CMemorySample sample(stream.data() + pos,
                                 static_cast<LONG>(std::min(kChunkBytes, stream.size() - pos)));
            out->Deliver(&sample);
        }
        out->DeliverEndOfStream();
    }

    ClassRegistration registration;
    FILE* output;
    DVBFilterToParserProxy* proxy;  // lives by the sink's references
    ComPtr<IBaseFilter> sink;
    ComPtr<OnePinFilter> source{new OnePinFilter};
    ComPtr<IBaseFilter> demux;
};

void Replay(benchmark::State& state, const Bytes& stream) {
    Chain chain;
    for (auto _ : state)
        chain.Replay(stream);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
    if (chain.proxy->parser.services.size() != kServices)
        state.SkipWithError("the services did not come through: the chain is broken");
}

void BM_DemuxFilterSiCarousel(benchmark::State& state) {
    Replay(state, SiCarousel());
}
void BM_DemuxFilterTransponder(benchmark::State& state) {
    Replay(state, Transponder());
}

}  // namespace

BENCHMARK(BM_DemuxFilterSiCarousel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemuxFilterTransponder)->Unit(benchmark::kMillisecond);
