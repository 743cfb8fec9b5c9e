// The run sequence on a graph of fakes: each outcome with its exact standard output.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/IdleCheck.h"
#include "app/RunSequence.h"
#include "graph/BdaGraph.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/DeviceRegistry.h"
#include "si/Settings.h"
#include "support/FakeBdaControls.h"
#include "support/FakeDemultiplexer.h"
#include "support/FakeFilter.h"
#include "support/FakeTuning.h"
#include "support/MemoryStream.h"
#include "support/ScriptedGraphBuilder.h"
#include "support/StdoutCapture.h"

namespace {

constexpr char buildLines[] =
    "Loading filter \"Test Tuner\" - succeeded!\n"
    "Tuner Filter Info = \"Test Tuner\"\n"
    "LoadFilter(): Class not found, CreateClassEnumerator returned S_FALSE\n"
    "Loading filter \"Test TIF\" - succeeded!\n";

// Everything the build meets, registered for one test: graph manager, tuning objects, network
// provider, demultiplexer, a tuner with its signal statistics and a TIF (no receiver
// component, so the demultiplexer goes below the tuner).
class RunSequenceTest : public ::testing::Test {
protected:
    RunSequenceTest() {
        FakeFilterConfig provider;
        provider.label = "provider";
        provider.pins = {FakePinConfig::Output(L"Antenna Out")};
        provider.interfaces = {FakeInterface::Of(IID_ITuner, networkTuner.Get())};

        FakeFilterConfig tuner;
        tuner.label = "tuner";
        tuner.pins = {FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0")};
        tuner.pins[0].interfaces = {FakeInterface::Of(IID_IKsPropertySet, outputProperties.Get())};
        tuner.pins[1].interfaces = {FakeInterface::Of(IID_IKsPropertySet, inputProperties.Get())};
        tuner.interfaces = {FakeInterface::Of(IID_IBDA_Topology, topology.Get())};

        FakeFilterConfig tif;
        tif.label = "tif";
        tif.pins = {FakePinConfig::Input(L"Sections")};
        tif.pins[0].acceptTypes = {CMediaType(&MEDIATYPE_MPEG2_SECTIONS)};

        registrations.push_back(script.Register());
        registrations.push_back(
            RegisterClass(CLSID_DVBSNetworkProvider, FakeFilter::Factory(provider)));
        registrations.push_back(
            RegisterClass(CLSID_MPEG2Demultiplexer, FakeDemultiplexer::Factory({})));
        tunerDevice = FakeFilter::Device(L"Test Tuner", tuner);
        tifDevice = FakeFilter::Device(L"Test TIF", tif);

        proxy = new DVBFilterToParserProxy(document.File());
        proxyReference = ComPtr<IUnknown>(proxy->GetOwner());
        savedTimeout = Timeout;
        Timeout = 600;
    }
    ~RunSequenceTest() override {
        DeleteIdleTimer();
        graph.reset();
        Timeout = savedTimeout;
    }

    void RegisterDevices(bool withTuner = true) {
        if (withTuner)
            devices.push_back(DeviceRegistry::Register(KSCATEGORY_BDA_NETWORK_TUNER, tunerDevice));
        devices.push_back(
            DeviceRegistry::Register(KSCATEGORY_BDA_TRANSPORT_INFORMATION, tifDevice));
    }
    bool Run(std::string& printed) {
        graph = std::make_unique<BdaGraph>();
        bool result = false;
        printed = CaptureStdout([&] { result = RunSequence(graph.get(), proxy); });
        return result;
    }

    GraphScript script;
    FakeTuningClasses tuning;
    ComPtr<FakeTuner> networkTuner = FakeTuner::Create(std::make_shared<CallLog>());
    ComPtr<FakeKsPropertySet> inputProperties = FakeKsPropertySet::Create();
    ComPtr<FakeKsPropertySet> outputProperties = FakeKsPropertySet::Create();
    ComPtr<FakeSignalStatistics> statistics = FakeSignalStatistics::Create();
    ComPtr<FakeTopology> topology = FakeTopology::Create(statistics.Get());
    DeviceDescription tunerDevice;
    DeviceDescription tifDevice;
    std::vector<ClassRegistration> registrations;
    std::vector<DeviceRegistration> devices;
    MemoryStream document;
    DVBFilterToParserProxy* proxy = nullptr;
    ComPtr<IUnknown> proxyReference;
    int32_t savedTimeout = 0;
    std::unique_ptr<BdaGraph> graph;  // goes first
};

TEST_F(RunSequenceTest, LockedSignalRunsTheGraphAndStartsTheTimer) {
    RegisterDevices();
    statistics->quality = 87;
    statistics->strength = -12;  // printed as the signed number it is
    std::string printed;
    EXPECT_TRUE(Run(printed));
    EXPECT_EQ(printed, std::string(buildLines) + "Signal locked, quality=87, strength=-12\n");
    EXPECT_EQ(graph->pParserProxy, proxy);
    EXPECT_TRUE(graph->graphRunning);
    EXPECT_EQ(networkTuner->requests.size(), 2u);    // the build's tune and the second one
    EXPECT_EQ(inputProperties->Calls().size(), 1u);  // the vendor PID-filter command
}

TEST_F(RunSequenceTest, UnlockedSignalEndsTheSequenceBeforeTheGraphRuns) {
    RegisterDevices();
    statistics->locked = 0;
    statistics->quality = 55;
    std::string printed;
    EXPECT_FALSE(Run(printed));
    EXPECT_EQ(printed, std::string(buildLines) + "Signal not locked!\n");
    EXPECT_FALSE(graph->graphRunning);
    EXPECT_TRUE(inputProperties->Calls().empty());
}

TEST_F(RunSequenceTest, FailedBuildEndsTheSequenceWithItsLine) {
    RegisterDevices(false);  // no tuner at all
    std::string printed;
    EXPECT_FALSE(Run(printed));
    const std::string last = "Err: Could not Build the DVB-S BDA FilterGraph.\n";
    ASSERT_GE(printed.size(), last.size());
    EXPECT_EQ(printed.substr(printed.size() - last.size()), last) << printed;
    EXPECT_EQ(printed.find("Signal"), std::string::npos);
    EXPECT_FALSE(graph->graphRunning);
}

TEST_F(RunSequenceTest, GraphThatWillNotRunEndsTheSequenceWithItsLine) {
    RegisterDevices();
    script.runResult = E_FAIL;
    std::string printed;
    EXPECT_FALSE(Run(printed));
    EXPECT_EQ(printed, std::string(buildLines) +
                           "Signal locked, quality=100, strength=100\n"
                           "Cannot run graph: 80004005\n"
                           "Err: Could not play the FilterGraph.\n");
    EXPECT_FALSE(graph->graphRunning);
}

}  // namespace
