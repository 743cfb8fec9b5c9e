#include <gtest/gtest.h>

#include <string>

#include "GraphWorld.h"
#include "platform/dshow/DShowGuids.h"
#include "support/StdoutCapture.h"

namespace {

const std::string tunerAndReceiver =
    "Loading filter \"Fake DVB-S Tuner\" - succeeded!\n"
    "Tuner Filter Info = \"Fake DVB-S Tuner\"\n"
    "Loading filter \"Fake Receiver\" - succeeded!\n";
const std::string tif = "Loading filter \"Fake TIF\" - succeeded!\n";

// A failing step: `configure` changes the world before the graph is made (configs, device
// lists), `override` after it (registrations over the world's, the graph's own members).
struct Case {
    const char* what;
    void (*configure)(GraphWorld& world);
    void (*override)(GraphWorld& world, ClassRegistration& registration);
    HRESULT result;
    std::string printed;
};

void Nothing(GraphWorld&) {}
void NoOverride(GraphWorld&, ClassRegistration&) {}

}  // namespace

TEST(BuildGraphFailure, EachStepStopsTheBuildWithItsMessages) {
    const Case cases[] = {
        {"tuning space", Nothing,
         [](GraphWorld&, ClassRegistration& r) {
             r = RegisterClass(CLSID_DVBSTuningSpace, FailingFactory(E_OUTOFMEMORY));
         },
         E_FAIL,
         "Failed to create system tuning space.Cannot create tuning space!\n"
         "Cannot load network provider\n"},
        {"network type",
         [](GraphWorld& w) { w.tuning.settings.getNetworkTypeResult = E_ACCESSDENIED; }, NoOverride,
         E_ACCESSDENIED, "ITuningSpace::Get Network Type failed\nCannot load network provider\n"},
        {"provider not added",
         [](GraphWorld& w) { w.script.addFilterResults[L"Network Provider"] = E_OUTOFMEMORY; },
         NoOverride, E_OUTOFMEMORY, "Cannot load network provider\n"},
        {"no tuner interface", [](GraphWorld& w) { w.providerConfig.interfaces.clear(); },
         NoOverride, E_NOINTERFACE, "pNetworkProvider->QI: Can't QI for ITuner.\n"},
        {"tune request",
         [](GraphWorld& w) { w.tuning.settings.createTuneRequestResult = E_INVALIDARG; },
         NoOverride, E_INVALIDARG,
         "CreateTuneRequest: Can't create tune request.\nCannot create tune request\n"},
        {"tune", [](GraphWorld& w) { w.networkTuner->putTuneRequestResult = E_HANDLE; }, NoOverride,
         E_HANDLE, "Cannot submit the tune request\n"},
        {"no tuner at the ordinal", Nothing,
         [](GraphWorld& w, ClassRegistration&) { w.graph->tunerOrdinal = 2; }, E_FAIL,
         "Cannot load tuner device and connect network provider\n"},
        {"no tuner category", [](GraphWorld& w) { w.tuners.clear(); }, NoOverride, E_UNEXPECTED,
         "LoadFilter(): Class not found, CreateClassEnumerator returned S_FALSE\n"
         "Cannot load tuner device and connect network provider\n"},
        {"no device enumerator", Nothing,
         [](GraphWorld&, ClassRegistration& r) {
             r = RegisterClass(CLSID_SystemDeviceEnum, FailingFactory(E_ACCESSDENIED));
         },
         E_ACCESSDENIED,
         "LoadFilter(): Cannot CoCreate ICreateDevEnum\n"
         "Cannot load tuner device and connect network provider\n"},
        {"tuner does not fit",
         [](GraphWorld& w) { w.providerConfig.pins[0].connectResult = E_FAIL; }, NoOverride, E_FAIL,
         "Loading filter \"Fake DVB-S Tuner\" - doesn't fit, unloading!\n"
         "Cannot load tuner device and connect network provider\n"},
        {"no demultiplexer", Nothing,
         [](GraphWorld&, ClassRegistration& r) {
             r = RegisterClass(CLSID_MPEG2Demultiplexer, FailingFactory(REGDB_E_CLASSNOTREG));
         },
         REGDB_E_CLASSNOTREG,
         tunerAndReceiver + "Could not CoCreateInstance CLSID_MPEG2Demultiplexer\n"
                            "Cannot load demux\n"},
        {"demultiplexer not added",
         [](GraphWorld& w) { w.script.addFilterResults[L"Demux"] = E_FAIL; }, NoOverride, E_FAIL,
         tunerAndReceiver + "Unable to add demux filter to graph\nCannot load demux\n"},
        {"demultiplexer does not connect",
         [](GraphWorld& w) {
             FakeFilterConfig receiver = w.ReceiverConfig();
             receiver.pins[1].connectResult = VFW_E_NO_ACCEPTABLE_TYPES;
             w.receivers = {w.Device(L"Fake Receiver", receiver)};
         },
         NoOverride, E_FAIL,
         tunerAndReceiver + "Cannot connect demux to capture filter\nCannot Rend demux\n"},
        {"no TIF category", [](GraphWorld& w) { w.tifs.clear(); }, NoOverride, E_UNEXPECTED,
         tunerAndReceiver +
             "LoadFilter(): Class not found, CreateClassEnumerator returned S_FALSE\n"
             "Cannot load TIF\nCannot Rend demux\n"},
        {"sink not added",
         [](GraphWorld& w) { w.script.addFilterResults[L"Varnel's Filter"] = E_FAIL; }, NoOverride,
         E_FAIL,
         tunerAndReceiver + tif +
             "Failed to load Varnel's Filter\nCannot connect filters\nCannot Rend demux\n"},
        {"demultiplexer without outputs",
         [](GraphWorld& w) { w.demuxConfig.answersDemultiplexer = false; }, NoOverride, E_FAIL,
         tunerAndReceiver + "Loading filter \"Fake TIF\" - doesn't fit, unloading!\n"
                            "Cannot connect filters\nCannot Rend demux\n"},
        {"no parser proxy", Nothing,
         [](GraphWorld& w, ClassRegistration&) { w.graph->pParserProxy = nullptr; }, E_POINTER,
         tunerAndReceiver + "Cannot Rend demux\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphWorld world;
        c.configure(world);
        BdaGraph& graph = world.NewGraph();
        ClassRegistration registration;
        c.override(world, registration);
        HRESULT hr = S_OK;
        const std::string printed = CaptureStdout([&] { hr = graph.BuildGraph(Name()); });
        EXPECT_EQ(hr, c.result);
        EXPECT_EQ(printed, c.printed);
        EXPECT_FALSE(graph.graphBuilt);
        EXPECT_TRUE(graph.graphFailed);
        world.graph.reset();
    }
}

TEST(BuildGraphFailure, ATunerWithoutItsInputPinStillGivesAGraph) {
    GraphWorld world;
    FakeFilterConfig tuner = world.TunerConfig();
    tuner.pins[1].name = L"RF In";
    world.tuners = {world.Device(L"Fake DVB-S Tuner", tuner)};
    BdaGraph& graph = world.NewGraph();
    HRESULT hr = E_UNEXPECTED;
    const std::string printed = CaptureStdout([&] { hr = graph.BuildGraph(Name()); });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(printed, tunerAndReceiver + tif +
                           "Cannot find Input0 pin on BDA Tuner/Demod filter!\n"
                           "Getting tuner/demod pin pointers failed\n");
    EXPECT_FALSE(graph.graphBuilt);
    EXPECT_TRUE(graph.graphFailed);
    // A first build's teardown does nothing: the graph stays as it is and goes on.
    EXPECT_EQ(world.FiltersInGraph().size(), 6u);
    EXPECT_TRUE(graph.pTunerFilter);
    EXPECT_FALSE(graph.pTunerInPropSet);
    EXPECT_FALSE(graph.SetPidFilter());
    EXPECT_TRUE(world.inputProperties->Calls().empty());
}

TEST(BuildGraphFailure, WithoutAGraphManagerNothingIsBuilt) {
    GraphWorld world;
    world.Install();
    ClassRegistration noGraph = RegisterClass(CLSID_FilterGraph, FailingFactory(E_OUTOFMEMORY));
    BdaGraph* graph = nullptr;
    std::string printed = CaptureStdout([&] { graph = &world.NewGraph(); });
    EXPECT_EQ(printed, "Couldn't CoCreate IGraphBuilder\n");
    EXPECT_TRUE(graph->graphFailed);
    EXPECT_FALSE(graph->pGraphBuilder);

    HRESULT hr = S_OK;
    printed = CaptureStdout([&] {
        hr = graph->BuildGraph(Name());
        EXPECT_EQ(graph->RunGraph(), E_POINTER);
        EXPECT_EQ(graph->SubmitTuneRequest(), E_FAIL);
        world.graph.reset();
    });
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_EQ(printed,
              "Cannot build graph: no filter graph manager\n"
              "Tuning Space is NULL\nCannot create tune request\n");
    EXPECT_TRUE(world.tuning.spaces.empty());
}
