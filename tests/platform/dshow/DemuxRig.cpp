#include "DemuxRig.h"

#include <gtest/gtest.h>

#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/Mpeg2Demultiplexer.h"

using sibuild::Bytes;

CMediaType PsiSectionType() {
    CMediaType type(&MEDIATYPE_MPEG2_SECTIONS);
    type.SetSubtype(&MEDIASUBTYPE_DVB_SI);
    return type;
}

std::vector<Bytes> SplitSections(const Bytes& sample) {
    std::vector<Bytes> sections;
    size_t pos = 0;
    while (pos < sample.size()) {
        if (sample.size() - pos < 3) {
            ADD_FAILURE() << "a partial section header at " << pos;
            break;
        }
        const size_t size = 3 + ((sample[pos + 1] & 0x0F) << 8 | sample[pos + 2]);
        if (sample.size() - pos < size) {
            ADD_FAILURE() << "a section cut off at " << pos;
            break;
        }
        sections.emplace_back(sample.begin() + pos, sample.begin() + pos + size);
        pos += size;
    }
    return sections;
}

DemuxRig::DemuxRig() : DemuxRig({{L"EIT", {0x12}}, {L"SDT", {0x11}}}) {}

DemuxRig::DemuxRig(std::vector<Output> outputs) : registration(RegisterDemultiplexerClass()) {
    EXPECT_EQ(CoCreateInstance(CLSID_MPEG2Demultiplexer, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IBaseFilter, reinterpret_cast<void**>(&filter)),
              S_OK);
    EXPECT_EQ(filter.QueryInterface(IID_IMpeg2Demultiplexer, demux), S_OK);

    FakeFilterConfig sourceConfig;
    sourceConfig.label = "source";
    sourceConfig.pins = {FakePinConfig::Output(L"MPEG2 Transport")};
    source = FakeFilter::Create(sourceConfig);
    ComPtr<IPin> input;
    EXPECT_EQ(filter->FindPin(L"MPEG-2 Stream", &input), S_OK);
    EXPECT_EQ(source->Pin(0)->Connect(input.Get(), nullptr), S_OK);

    for (size_t i = 0; i < outputs.size(); ++i) {
        CMediaType type = PsiSectionType();
        std::wstring name = outputs[i].name;
        ComPtr<IPin> pin;
        EXPECT_EQ(demux->CreateOutputPin(&type, name.data(), &pin), S_OK);
        ComPtr<IMPEG2PIDMap> map;
        EXPECT_EQ(pin.QueryInterface(IID_IMPEG2PIDMap, map), S_OK);
        if (!outputs[i].pids.empty()) {
            EXPECT_EQ(map->MapPID(static_cast<ULONG>(outputs[i].pids.size()),
                                  outputs[i].pids.data(), MEDIA_MPEG2_PSI),
                      S_OK);
        }
        FakeFilterConfig sinkConfig;
        sinkConfig.label = "sink" + std::to_string(i);
        sinkConfig.pins = {FakePinConfig::Input(L"In")};
        sinkConfig.pins[0].onReceive = [this, i](IMediaSample* sample) {
            BYTE* data = nullptr;
            sample->GetPointer(&data);
            deliveries.push_back(
                {static_cast<int>(i), Bytes(data, data + sample->GetActualDataLength())});
            return S_OK;
        };
        sinks.push_back(FakeFilter::Create(sinkConfig));
        if (outputs[i].connected) {
            EXPECT_EQ(pin->Connect(sinks.back()->Pin(0), nullptr), S_OK);
        }
        outputPins.push_back(pin);
    }
    for (auto& sink : sinks)
        sink->Run(0);
    filter->Run(0);
    source->Run(0);
}

DemuxRig::~DemuxRig() {
    source->Stop();
    filter->Stop();
    for (auto& sink : sinks)
        sink->Stop();
    // Connections hold both filters.
    ComPtr<IPin> input;
    if (filter->FindPin(L"MPEG-2 Stream", &input) == S_OK) {
        source->Pin(0)->Disconnect();
        input->Disconnect();
    }
    for (size_t i = 0; i < outputPins.size(); ++i) {
        outputPins[i]->Disconnect();
        sinks[i]->Pin(0)->Disconnect();
    }
}

void DemuxRig::Push(const Bytes& stream, size_t chunk) {
    if (chunk == 0)
        chunk = stream.size();
    for (size_t pos = 0; pos < stream.size(); pos += chunk) {
        const size_t end = std::min(stream.size(), pos + chunk);
        ASSERT_EQ(source->Deliver(0, Bytes(stream.begin() + pos, stream.begin() + end)), S_OK);
    }
}

void DemuxRig::End() {
    EXPECT_EQ(source->DeliverEndOfStream(0), S_OK);
}

std::vector<Bytes> DemuxRig::Sections(int sink) {
    std::vector<Bytes> sections;
    for (const Delivery& d : deliveries) {
        if (d.sink != sink)
            continue;
        for (Bytes& s : SplitSections(d.sample))
            sections.push_back(std::move(s));
    }
    return sections;
}
