// The demultiplexer in a running graph: a source pushes a transport stream in chunks on its
// streaming thread, two section outputs feed two recording sinks and the PAT output the TIF.

#include <gtest/gtest.h>

#include <thread>

#include "DemuxRig.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/DeviceInterfaces.h"
#include "platform/dshow/GraphInterfaces.h"
#include "platform/dshow/Mpeg2Demultiplexer.h"
#include "platform/dshow/TransportInformationFilter.h"
#include "sibuild/TsPacketizer.h"
#include "support/FakePushSource.h"

using sibuild::Bytes;

namespace {

Bytes Section(uint8_t tableId, uint16_t extension, size_t payloadSize) {
    sibuild::SectionHeader header;
    header.tableId = tableId;
    header.tableIdExtension = extension;
    return sibuild::LongSection(header, Bytes(payloadSize, static_cast<uint8_t>(extension)));
}

std::vector<std::vector<BYTE>> Chunks(const Bytes& stream, size_t size) {
    std::vector<std::vector<BYTE>> chunks;
    for (size_t pos = 0; pos < stream.size(); pos += size) {
        chunks.emplace_back(
            stream.begin() + static_cast<std::ptrdiff_t>(pos),
            stream.begin() + static_cast<std::ptrdiff_t>(std::min(stream.size(), pos + size)));
    }
    return chunks;
}

std::vector<Bytes> SectionsOf(const std::vector<std::vector<BYTE>>& samples) {
    std::vector<Bytes> sections;
    for (const auto& sample : samples) {
        for (Bytes& s : SplitSections(sample))
            sections.push_back(std::move(s));
    }
    return sections;
}

class DemuxGraphThreaded : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IGraphBuilder, reinterpret_cast<void**>(&graph)),
                  S_OK);
        ASSERT_EQ(graph.QueryInterface(IID_IMediaControl, control), S_OK);
        ASSERT_EQ(graph.QueryInterface(IID_IMediaEvent, events), S_OK);
    }
    void TearDown() override {
        // Releasing the graph stops it and takes every filter out.
        events.Release();
        control.Release();
        graph.Release();
    }

    // source -> demux -> {EIT 0x12 -> sinks[0], SDT 0x11 -> sinks[1], PAT 0x00 -> TIF}
    void Build(const Bytes& stream, size_t chunk, bool repeat) {
        FakeFilterConfig sourceConfig;
        sourceConfig.label = "source";
        sourceConfig.pins = {FakePinConfig::Output(L"MPEG2 Transport")};
        source = FakePushSource::Create(sourceConfig, Chunks(stream, chunk), true, repeat);
        ASSERT_EQ(graph->AddFilter(source.Get(), L"Source"), S_OK);

        ComPtr<IBaseFilter> demuxFilter;
        ASSERT_EQ(CoCreateInstance(CLSID_MPEG2Demultiplexer, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, reinterpret_cast<void**>(&demuxFilter)),
                  S_OK);
        ASSERT_EQ(graph->AddFilter(demuxFilter.Get(), L"Demux"), S_OK);
        ComPtr<IPin> demuxInput;
        ASSERT_EQ(demuxFilter->FindPin(L"MPEG-2 Stream", &demuxInput), S_OK);
        ASSERT_EQ(graph->Connect(source->Pin(0), demuxInput.Get()), S_OK);
        ASSERT_EQ(demuxFilter.QueryInterface(IID_IMpeg2Demultiplexer, demux), S_OK);

        ComPtr<IPin> pat = Output(L"For MS PSI", {0x00});
        ComPtr<IBaseFilter> tif;
        ASSERT_EQ(tifDevice.createFilter(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&tif)),
                  S_OK);
        ASSERT_EQ(graph->AddFilter(tif.Get(), L"TIF"), S_OK);
        ComPtr<IEnumPins> tifPins;
        ComPtr<IPin> tifInput;
        ASSERT_EQ(tif->EnumPins(&tifPins), S_OK);
        ASSERT_EQ(tifPins->Next(1, &tifInput, nullptr), S_OK);
        ASSERT_EQ(graph->Connect(pat.Get(), tifInput.Get()), S_OK);

        int n = 0;
        for (auto [name, pid] : {std::pair{L"EIT", 0x12u}, std::pair{L"SDT", 0x11u}}) {
            ComPtr<IPin> output = Output(name, {pid});
            FakeFilterConfig sinkConfig;
            sinkConfig.label = "sink" + std::to_string(n);
            sinkConfig.pins = {FakePinConfig::Input(L"In")};
            sinkConfig.pins[0].onReceive = [this](IMediaSample*) {
                receivingThread = std::this_thread::get_id();
                return S_OK;
            };
            sinks[n] = FakeFilter::Create(sinkConfig);
            ASSERT_EQ(graph->AddFilter(sinks[n].Get(), name), S_OK);
            ASSERT_EQ(graph->Connect(output.Get(), sinks[n]->Pin(0)), S_OK);
            ++n;
        }
    }
    ComPtr<IPin> Output(const wchar_t* name, std::vector<ULONG> pids) {
        CMediaType type = PsiSectionType();
        std::wstring copy = name;
        ComPtr<IPin> pin;
        EXPECT_EQ(demux->CreateOutputPin(&type, copy.data(), &pin), S_OK);
        ComPtr<IMPEG2PIDMap> map;
        EXPECT_EQ(pin.QueryInterface(IID_IMPEG2PIDMap, map), S_OK);
        EXPECT_EQ(map->MapPID(static_cast<ULONG>(pids.size()), pids.data(), MEDIA_MPEG2_PSI), S_OK);
        return pin;
    }

    ClassRegistration demuxClass = RegisterDemultiplexerClass();
    DeviceDescription tifDevice = [] {
        DeviceDescription d;
        d.createFilter = MakeClassFactory<TransportInformationFilter>();
        return d;
    }();
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    ComPtr<FakePushSource> source;
    ComPtr<IMpeg2Demultiplexer> demux;
    ComPtr<FakeFilter> sinks[2];
    std::thread::id receivingThread;  // written on the streaming thread, read after it ended
};

TEST_F(DemuxGraphThreaded, DeliversEachOutputsSectionsAndCompletes) {
    std::vector<Bytes> eit, sdt;
    sibuild::TsPacketizer eitPackets(0x12), sdtPackets(0x11), patPackets(0x00);
    Bytes stream;
    for (uint16_t i = 0; i < 40; ++i) {
        eit.push_back(Section(0x50, i, i % 3 == 0 ? 3000 : 100));
        if (i % 4 == 0)
            sdt.push_back(Section(0x42, i, 200));
    }
    // EIT packed back to back with the SDT and PAT packets in between.
    const Bytes eitStream = eitPackets.Packetize(eit, true);
    const Bytes sdtStream = sdtPackets.Packetize(sdt);
    const Bytes patStream = patPackets.Packetize(Section(0x00, 1, 8));
    for (size_t i = 0; i < sibuild::PacketCount(eitStream); ++i) {
        const Bytes packet = sibuild::PacketAt(eitStream, i);
        stream.insert(stream.end(), packet.begin(), packet.end());
        if (i < sibuild::PacketCount(sdtStream)) {
            const Bytes other = sibuild::PacketAt(sdtStream, i);
            stream.insert(stream.end(), other.begin(), other.end());
        }
        if (i % 10 == 0)
            stream.insert(stream.end(), patStream.begin(), patStream.end());
    }
    Build(stream, 1000, false);
    ASSERT_EQ(control->Run(), S_OK);
    LONG code = 0;
    LONG_PTR param1 = 0, param2 = 0;
    // Complete only once the end of stream reached both sinks and the TIF.
    ASSERT_EQ(events->GetEvent(&code, &param1, &param2, 10000), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    ASSERT_EQ(control->Stop(), S_OK);

    EXPECT_EQ(SectionsOf(sinks[0]->Received(0)), eit);
    EXPECT_EQ(SectionsOf(sinks[1]->Received(0)), sdt);
    EXPECT_NE(receivingThread, std::thread::id());
    EXPECT_NE(receivingThread, std::this_thread::get_id());
}

TEST_F(DemuxGraphThreaded, StopsWhileTheStreamFlows) {
    sibuild::TsPacketizer eitPackets(0x12);
    std::vector<Bytes> eit;
    for (uint16_t i = 0; i < 16; ++i)
        eit.push_back(Section(0x50, i, 500));
    Build(eitPackets.Packetize(eit, true), 700, true);
    ASSERT_EQ(control->Run(), S_OK);
    ASSERT_TRUE(source->WaitForDelivered(200));
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_FALSE(source->StreamingThreadRunning());
    const size_t samples = sinks[0]->Received(0).size();
    EXPECT_GT(samples, 0u);
    // Every sample is whole sections of the carousel, also the last one before the stop.
    for (const Bytes& section : SectionsOf(sinks[0]->Received(0)))
        EXPECT_EQ(section, eit[section[4]]);
    EXPECT_EQ(sinks[0]->Received(0).size(), samples) << "delivered after Stop";
}

}  // namespace
