#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphWorld.h"
#include "platform/dshow/DShowGuids.h"
#include "support/StdoutCapture.h"

namespace {

// Two fake filters in a graph, to be connected by ConnectFilters.
class ConnectFilters : public ::testing::Test {
protected:
    void Add(FakeFilterConfig& upstreamConfig, FakeFilterConfig& downstreamConfig) {
        upstreamConfig.label = "up";
        upstreamConfig.log = world.log;
        downstreamConfig.label = "down";
        downstreamConfig.log = world.log;
        graph = &world.NewGraph();
        upstream = FakeFilter::Create(upstreamConfig);
        downstream = FakeFilter::Create(downstreamConfig);
        ASSERT_EQ(graph->pGraphBuilder->AddFilter(upstream.Get(), L"Up"), S_OK);
        ASSERT_EQ(graph->pGraphBuilder->AddFilter(downstream.Get(), L"Down"), S_OK);
    }
    HRESULT Connect(std::string& printed) {
        HRESULT hr = E_UNEXPECTED;
        printed =
            CaptureStdout([&] { hr = graph->ConnectFilters(upstream.Get(), downstream.Get()); });
        return hr;
    }
    // The name of the pin that `pin` is connected to, or "" when it is free.
    static std::wstring PeerName(IPin* pin) {
        ComPtr<IPin> peer;
        if (FAILED(pin->ConnectedTo(&peer)) || !peer)
            return L"";
        PIN_INFO info;
        peer->QueryPinInfo(&info);
        info.pFilter->Release();
        return info.achName;
    }

    GraphWorld world;
    BdaGraph* graph = nullptr;
    ComPtr<FakeFilter> upstream;
    ComPtr<FakeFilter> downstream;
};

CMediaType Refused() {
    static const GUID nothing = GuidFromText("{11111111-2222-3333-4444-555555555555}");
    return CMediaType(&nothing);
}

}  // namespace

TEST_F(ConnectFilters, TakesTheFirstFreeOutputAndNeverAnInputOfUpstream) {
    FakeFilterConfig up;
    up.pins = {FakePinConfig::Input(L"In"), FakePinConfig::Output(L"Busy"),
               FakePinConfig::Output(L"Free")};
    FakeFilterConfig down;
    down.pins = {FakePinConfig::Output(L"DownOut"), FakePinConfig::Input(L"DownIn")};
    Add(up, down);
    // Busy is already connected elsewhere.
    FakeFilterConfig otherConfig;
    otherConfig.pins = {FakePinConfig::Input(L"OtherIn")};
    ComPtr<FakeFilter> other = FakeFilter::Create(otherConfig);
    ASSERT_EQ(graph->pGraphBuilder->AddFilter(other.Get(), L"Other"), S_OK);
    ASSERT_EQ(graph->pGraphBuilder->Connect(upstream->Pin(1), other->Pin(0)), S_OK);

    std::string printed;
    EXPECT_EQ(Connect(printed), S_OK);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(PeerName(upstream->Pin(L"Free")), L"DownIn");
    EXPECT_EQ(PeerName(upstream->Pin(L"In")), L"");
    EXPECT_EQ(PeerName(upstream->Pin(L"Busy")), L"OtherIn");
}

TEST_F(ConnectFilters, EveryFreeOutputIsTriedBeforeASilentFailure) {
    FakeFilterConfig up;
    up.pins = {FakePinConfig::Output(L"A", {FakeStreamType()}),
               FakePinConfig::Output(L"B", {FakeStreamType()})};
    FakeFilterConfig down;
    down.pins = {FakePinConfig::Input(L"In1"), FakePinConfig::Input(L"In2")};
    down.pins[0].acceptTypes = down.pins[1].acceptTypes = {Refused()};
    Add(up, down);

    std::string printed;
    EXPECT_EQ(Connect(printed), E_FAIL);
    EXPECT_EQ(printed, "");
    // Each output against each free input, through the graph manager.
    EXPECT_EQ(world.log->Calls("Connect"),
              (std::vector<std::string>{"graph.Connect", "up.A.Connect", "graph.Connect",
                                        "up.A.Connect", "graph.Connect", "up.B.Connect",
                                        "graph.Connect", "up.B.Connect"}));
}

TEST_F(ConnectFilters, DownstreamPinsThatCannotBeReadAreSkipped) {
    struct Case {
        const char* what;
        HRESULT queryPinInfo;
        HRESULT connectedTo;
        const char* printed;
        const wchar_t* connectedPin;  // the downstream pin the output ends up on
    } cases[] = {
        {"not connected is free", S_OK, VFW_E_NOT_CONNECTED, "", L"First"},
        {"peer unreadable", S_OK, E_UNEXPECTED, "Failed in pIPinDownstream->ConnectedTo()!\n",
         L"Second"},
        {"no pin info", E_FAIL, S_OK, "", L"Second"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.graph.reset();
        FakeFilterConfig up;
        up.pins = {FakePinConfig::Output(L"Out")};
        FakeFilterConfig down;
        down.pins = {FakePinConfig::Input(L"First"), FakePinConfig::Input(L"Second")};
        down.pins[0].queryPinInfoResult = c.queryPinInfo;
        down.pins[0].connectedToResult = c.connectedTo;
        Add(up, down);
        std::string printed;
        EXPECT_EQ(Connect(printed), S_OK);
        EXPECT_EQ(printed, c.printed);
        // Read the peer with the failures off.
        downstream->PinConfig(0) = FakePinConfig::Input(L"First");
        EXPECT_EQ(PeerName(upstream->Pin(0)), c.connectedPin);
    }
}

TEST_F(ConnectFilters, EnumerationFailuresEndTheAttempt) {
    struct Case {
        const char* what;
        void (*setup)(FakeFilterConfig& up, FakeFilterConfig& down);
        HRESULT result;
        const char* printed;
    } cases[] = {
        {"upstream pins",
         [](FakeFilterConfig& up, FakeFilterConfig&) { up.enumPinsResult = E_OUTOFMEMORY; },
         E_OUTOFMEMORY, "Cannot Enumerate Upstream Filter's Pins\n"},
        {"upstream pin info",
         [](FakeFilterConfig& up, FakeFilterConfig&) {
             up.pins[0].queryPinInfoResult = E_ACCESSDENIED;
         },
         E_ACCESSDENIED, "Cannot Obtain Upstream Filter's PIN_INFO\n"},
        {"downstream pins",
         [](FakeFilterConfig&, FakeFilterConfig& down) { down.enumPinsResult = E_HANDLE; },
         E_HANDLE, "Cannot enumerate pins on downstream filter!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.graph.reset();
        FakeFilterConfig up;
        up.pins = {FakePinConfig::Output(L"Out")};
        FakeFilterConfig down;
        down.pins = {FakePinConfig::Input(L"In")};
        c.setup(up, down);
        Add(up, down);
        std::string printed;
        EXPECT_EQ(Connect(printed), c.result);
        EXPECT_EQ(printed, c.printed);
        EXPECT_TRUE(world.log->Calls("Connect").empty());
    }
}
