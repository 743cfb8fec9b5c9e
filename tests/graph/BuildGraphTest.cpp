#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphWorld.h"
#include "intake/DVBFilter.h"
#include "platform/dshow/DShowGuids.h"
#include "sibuild/SdtBuilder.h"
#include "support/StdoutCapture.h"

namespace {

constexpr char tunerLoaded[] =
    "Loading filter \"Fake DVB-S Tuner\" - succeeded!\n"
    "Tuner Filter Info = \"Fake DVB-S Tuner\"\n";
constexpr char receiverLoaded[] = "Loading filter \"Fake Receiver\" - succeeded!\n";
constexpr char tifLoaded[] = "Loading filter \"Fake TIF\" - succeeded!\n";

CMediaType Refused() {
    static const GUID nothing = GuidFromText("{11111111-2222-3333-4444-555555555555}");
    return CMediaType(&nothing);
}

HRESULT Build(BdaGraph& graph, std::string& printed) {
    HRESULT hr = E_UNEXPECTED;
    printed = CaptureStdout([&] { hr = graph.BuildGraph(Name()); });
    return hr;
}

// The name of the filter that a pin of `filter` is connected to ("" when free).
std::wstring PeerFilter(IPin* pin) {
    ComPtr<IPin> peer;
    if (pin == nullptr || FAILED(pin->ConnectedTo(&peer)) || !peer)
        return L"";
    PIN_INFO info;
    peer->QueryPinInfo(&info);
    const std::wstring name = FilterName(info.pFilter);
    info.pFilter->Release();
    return name;
}

class BuildGraph : public ::testing::Test {
protected:
    GraphWorld world;
};

}  // namespace

TEST_F(BuildGraph, TheWholeGraph) {
    BdaGraph& graph = world.NewGraph();
    std::string printed;
    EXPECT_EQ(Build(graph, printed), S_OK);
    EXPECT_EQ(printed, std::string(tunerLoaded) + receiverLoaded + tifLoaded);
    EXPECT_TRUE(graph.graphBuilt);
    EXPECT_FALSE(graph.graphFailed);
    EXPECT_FALSE(graph.graphRunning);
    EXPECT_EQ(graph.useCaptureFilter, 1);

    EXPECT_EQ(world.FiltersInGraph(),
              (std::vector<std::wstring>{L"Network Provider", L"Fake DVB-S Tuner", L"Fake Receiver",
                                         L"Demux", L"Fake TIF", L"Varnel's Filter"}));
    FakeFilter* tuner = world.Made("tuner");
    FakeFilter* receiver = world.Made("receiver");
    ASSERT_TRUE(tuner && receiver);
    EXPECT_EQ(graph.pTunerFilter.Get(), static_cast<IBaseFilter*>(tuner));
    EXPECT_EQ(graph.pCaptureFilter.Get(), static_cast<IBaseFilter*>(receiver));
    EXPECT_EQ(PeerFilter(tuner->Pin(L"Input0")), L"Network Provider");
    EXPECT_EQ(PeerFilter(tuner->Pin(L"MPEG2 Transport")), L"Fake Receiver");
    EXPECT_EQ(PeerFilter(receiver->Pin(L"Output")), L"Demux");

    FakeDemultiplexer* demux = world.Demux();
    ASSERT_NE(demux, nullptr);
    EXPECT_EQ(demux->OutputNames(),
              (std::vector<std::wstring>{L"For MS PSI", L"For Varnel's PSI"}));
    EXPECT_EQ(demux->PeerFilterName(L"For MS PSI"), L"Fake TIF");
    EXPECT_EQ(demux->PeerFilterName(L"For Varnel's PSI"), L"Varnel's Filter");
    const auto pat = demux->Mappings(L"For MS PSI");
    ASSERT_EQ(pat.size(), 1u);
    EXPECT_EQ(pat[0].pids, std::vector<ULONG>{0x0000});
    EXPECT_EQ(pat[0].content, MEDIA_MPEG2_PSI);
    const auto si = demux->Mappings(L"For Varnel's PSI");
    ASSERT_EQ(si.size(), 1u);
    EXPECT_EQ(si[0].pids, (std::vector<ULONG>{0x0012, 0x0011}));
    EXPECT_EQ(si[0].content, MEDIA_MPEG2_PSI);
    for (const wchar_t* output : {L"For MS PSI", L"For Varnel's PSI"}) {
        const AM_MEDIA_TYPE type = demux->OutputType(output);
        EXPECT_EQ(type.majortype, MEDIATYPE_MPEG2_SECTIONS);
        EXPECT_EQ(type.subtype, MEDIASUBTYPE_DVB_SI);
        EXPECT_EQ(type.formattype, GUID_NULL);
        EXPECT_EQ(type.lSampleSize, 0u);
        EXPECT_FALSE(type.bFixedSizeSamples);
        EXPECT_FALSE(type.bTemporalCompression);
    }

    // Tuned once during the build; the tuner's pins and property sets are known.
    EXPECT_EQ(world.networkTuner->requests.size(), 1u);
    EXPECT_TRUE(graph.pTuner);
    EXPECT_TRUE(graph.pTunerInPropSet);
    EXPECT_TRUE(graph.pTunerOutPropSet);

    // Sections of the SI output reach the parser.
    sibuild::SdtService service;
    service.serviceId = 301;
    service.descriptors = sibuild::ServiceDescriptor(0x01, "", "Three");
    EXPECT_EQ(demux->Deliver(L"For Varnel's PSI", sibuild::SdtSection({}, {service})), S_OK);
    EXPECT_TRUE(world.proxy->parser.services.contains(301));
    EXPECT_NE(world.document.Text().find("<display-name>Three</display-name>"), std::string::npos);
}

TEST_F(BuildGraph, ATunerOfThatOneNameGetsNoReceiverComponent) {
    struct Case {
        const wchar_t* tunerName;
        bool receiver;
    } cases[] = {
        {L"DTV-DVB UDST7020BDA DVB-S Receiver", false},
        {L"dtv-dvb udst7020bda dvb-s receiver", true},
        {L"DTV-DVB UDST7020BDA DVB-S Receiver ", true},
    };
    for (const Case& c : cases) {
        GraphWorld local;
        local.tuners = {local.Device(c.tunerName, local.TunerConfig())};
        BdaGraph& graph = local.NewGraph();
        std::string printed;
        EXPECT_EQ(Build(graph, printed), S_OK);
        std::string name(c.tunerName, c.tunerName + std::wcslen(c.tunerName));
        std::string expected = "Loading filter \"" + name +
                               "\" - succeeded!\nTuner Filter Info = \"" + name + "\"\n" +
                               (c.receiver ? receiverLoaded : "") + tifLoaded;
        EXPECT_EQ(printed, expected);
        EXPECT_EQ(graph.useCaptureFilter, c.receiver ? 1 : 0);
        EXPECT_EQ(local.Made("receiver") != nullptr, c.receiver);
        FakeFilter* tuner = local.Made("tuner");
        EXPECT_EQ(PeerFilter(tuner->Pin(L"MPEG2 Transport")),
                  c.receiver ? L"Fake Receiver" : L"Demux");
        local.graph.reset();
    }
}

TEST_F(BuildGraph, WithoutAFittingReceiverComponentTheDemuxGoesBelowTheTuner) {
    struct Case {
        const char* what;
        bool anyReceiver;
        const char* receiverPrinted;
    } cases[] = {
        {"none in the category", false,
         "LoadFilter(): Class not found, CreateClassEnumerator returned S_FALSE\n"},
        {"none fits", true, "Loading filter \"Fake Receiver\" - doesn't fit, unloading!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphWorld local;
        local.receivers.clear();
        if (c.anyReceiver) {
            FakeFilterConfig config = local.ReceiverConfig();
            config.pins[0].acceptTypes = {Refused()};
            local.receivers = {local.Device(L"Fake Receiver", config)};
        }
        BdaGraph& graph = local.NewGraph();
        std::string printed;
        EXPECT_EQ(Build(graph, printed), S_OK);
        EXPECT_EQ(printed, std::string(tunerLoaded) + c.receiverPrinted + tifLoaded);
        EXPECT_EQ(graph.useCaptureFilter, 0);
        EXPECT_FALSE(graph.pCaptureFilter);
        EXPECT_EQ(PeerFilter(local.Made("tuner")->Pin(L"MPEG2 Transport")), L"Demux");
        local.graph.reset();
    }
}

TEST_F(BuildGraph, ATunerWhoseNameCannotBeReadStillGetsAReceiverComponent) {
    FakeFilterConfig config = world.TunerConfig();
    config.queryFilterInfoResult = E_FAIL;
    world.tuners = {world.Device(L"Fake DVB-S Tuner", config)};
    BdaGraph& graph = world.NewGraph();
    std::string printed;
    EXPECT_EQ(Build(graph, printed), S_OK);
    EXPECT_EQ(printed, std::string("Loading filter \"Fake DVB-S Tuner\" - succeeded!\n") +
                           receiverLoaded + tifLoaded);
    EXPECT_EQ(graph.useCaptureFilter, 1);
    EXPECT_TRUE(graph.pCaptureFilter);
    // The graph manager needs the name again for the teardown.
    world.Made("tuner")->Config().queryFilterInfoResult = S_OK;
}

TEST_F(BuildGraph, WithoutATifTheSinkTakesTheFirstFreeOutput) {
    FakeFilterConfig config = world.TifConfig();
    config.pins[0].acceptTypes = {Refused()};
    world.tifs = {world.Device(L"Fake TIF", config)};
    BdaGraph& graph = world.NewGraph();
    std::string printed;
    EXPECT_EQ(Build(graph, printed), S_OK);
    EXPECT_EQ(printed, std::string(tunerLoaded) + receiverLoaded +
                           "Loading filter \"Fake TIF\" - doesn't fit, unloading!\n");
    EXPECT_FALSE(graph.pTif);
    EXPECT_EQ(world.Demux()->PeerFilterName(L"For MS PSI"), L"Varnel's Filter");
    EXPECT_EQ(world.Demux()->PeerFilterName(L"For Varnel's PSI"), L"");
}

TEST_F(BuildGraph, OutputsLeftOnTheDemultiplexerAreDeletedAfterTheFirstPin) {
    struct Case {
        int existing;
        int deleted;
    } cases[] = {{0, 0}, {3, 3}, {9, 9}, {12, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.existing);
        GraphWorld local;
        std::vector<std::wstring> expectedOutputs;
        std::vector<std::string> expectedDeletions;
        for (int i = 1; i <= c.existing; ++i) {
            const std::wstring name = L"Old " + std::to_wstring(i);
            local.demuxConfig.existingOutputs.push_back(name);
            if (i <= c.deleted)
                expectedDeletions.push_back("demux.DeleteOutputPin(Old " + std::to_string(i) + ")");
            else
                expectedOutputs.push_back(name);
        }
        expectedOutputs.push_back(L"For MS PSI");
        expectedOutputs.push_back(L"For Varnel's PSI");
        BdaGraph& graph = local.NewGraph();
        std::string printed;
        Build(graph, printed);
        std::vector<std::string> deletions;
        for (const std::string& entry : local.log->Entries()) {
            if (entry.rfind("demux.DeleteOutputPin", 0) == 0)
                deletions.push_back(entry);
        }
        EXPECT_EQ(deletions, expectedDeletions);
        EXPECT_EQ(local.Demux()->OutputNames(), expectedOutputs);
        local.graph.reset();
    }
}

TEST_F(BuildGraph, FailuresOnTheDemultiplexerOutputsDoNotStopTheBuild) {
    struct Case {
        const char* what;
        void (*setup)(FakeDemultiplexerConfig& config);
        const char* afterReceiver;  // what is printed after the receiver line
        bool tif;
        const wchar_t* sinkOutput;
    } cases[] = {
        {"deletions fail",
         [](FakeDemultiplexerConfig& config) {
             config.existingOutputs = {L"Old 1", L"Old 2"};
             config.deleteOutputPinResult = E_FAIL;
         },
         "Failed to delete a demux pin\nFailed to delete a demux pin\n"
         "Loading filter \"Fake TIF\" - succeeded!\n",
         // The sink takes the first free output, which is a leftover one.
         true, L"Old 1"},
        {"mapping fails", [](FakeDemultiplexerConfig& config) { config.mapPidResult = E_FAIL; },
         "Failed to map PID in the demux\nLoading filter \"Fake TIF\" - succeeded!\n"
         "Failed to map PID in the demux\n",
         true, L"For Varnel's PSI"},
        {"no PID map", [](FakeDemultiplexerConfig& config) { config.pinsHavePidMap = false; },
         "Failed to map PID in the demux\nLoading filter \"Fake TIF\" - succeeded!\n"
         "Failed to map PID in the demux\n",
         true, L"For Varnel's PSI"},
        // The TIF then finds no output to take.
        {"first output not created",
         [](FakeDemultiplexerConfig& config) { config.failingOutputs = {L"For MS PSI"}; },
         "Loading filter \"Fake TIF\" - doesn't fit, unloading!\n", false, L"For Varnel's PSI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphWorld local;
        c.setup(local.demuxConfig);
        BdaGraph& graph = local.NewGraph();
        std::string printed;
        EXPECT_EQ(Build(graph, printed), S_OK);
        EXPECT_EQ(printed, std::string(tunerLoaded) + receiverLoaded + c.afterReceiver);
        EXPECT_TRUE(graph.graphBuilt);
        EXPECT_EQ(static_cast<bool>(graph.pTif), c.tif);
        EXPECT_EQ(local.Demux()->PeerFilterName(c.sinkOutput), L"Varnel's Filter");
        local.graph.reset();
    }
}
