#include <gtest/gtest.h>
#include <poll.h>

#include "platform/com/ClassRegistry.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/GraphInterfaces.h"
#include "support/FakeFilter.h"

namespace {

class FilterGraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        objectsBefore = CBaseObject::ObjectsActive();
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                   reinterpret_cast<void**>(&graph)),
                  S_OK);
        ASSERT_EQ(graph.QueryInterface(IID_IMediaControl, control), S_OK);
    }
    void TearDown() override {
        control.Release();
        graph.Release();
        filters.clear();
        // The graph let go of every filter, connected or not.
        EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
    }

    FakeFilter* Make(const std::string& label, std::vector<FakePinConfig> pins) {
        FakeFilterConfig config;
        config.label = label;
        config.log = log;
        config.pins = std::move(pins);
        filters.push_back(FakeFilter::Create(config));
        return filters.back().Get();
    }
    FakeFilter* Add(const std::string& label, std::vector<FakePinConfig> pins) {
        FakeFilter* filter = Make(label, std::move(pins));
        const std::wstring name(label.begin(), label.end());
        EXPECT_EQ(graph->AddFilter(filter, name.c_str()), S_OK);
        return filter;
    }
    std::vector<IBaseFilter*> Enumerate() {
        std::vector<IBaseFilter*> out;
        ComPtr<IEnumFilters> all;
        EXPECT_EQ(graph->EnumFilters(&all), S_OK);
        ComPtr<IBaseFilter> filter;
        while (all->Next(1, &filter, nullptr) == S_OK)
            out.push_back(filter.Get());
        return out;
    }
    static bool Connected(IPin* pin) {
        ComPtr<IPin> peer;
        return pin->ConnectedTo(&peer) == S_OK;
    }

    LONG objectsBefore = 0;
    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    std::vector<ComPtr<FakeFilter>> filters;
};

TEST_F(FilterGraphTest, KeepsFiltersInOrderUnderTheirNames) {
    FakeFilter* a = Add("Network Provider", {});
    FakeFilter* b = Add("Demux", {});
    EXPECT_EQ(Enumerate(), (std::vector<IBaseFilter*>{a, b}));
    EXPECT_EQ(a->GraphName(), L"Network Provider");
    EXPECT_EQ(log->Calls("JoinFilterGraph").size(), 2u);

    // The filter learns its graph; the graph hands out a counted reference.
    FILTER_INFO info;
    ASSERT_EQ(b->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(std::wstring(info.achName), L"Demux");
    ASSERT_NE(info.pGraph, nullptr);
    ComPtr<IFilterGraph> asFilterGraph;
    ASSERT_EQ(graph.QueryInterface(IID_IFilterGraph, asFilterGraph), S_OK);
    EXPECT_EQ(info.pGraph, asFilterGraph.Get());
    info.pGraph->Release();

    ComPtr<IBaseFilter> found;
    ASSERT_EQ(graph->FindFilterByName(L"Demux", &found), S_OK);
    EXPECT_EQ(found.Get(), b);
    EXPECT_EQ(graph->FindFilterByName(L"demux", &found), VFW_E_NOT_FOUND);

    // A name in use is made unique; the same filter twice is refused.
    FakeFilter* c = Make("c", {});
    EXPECT_EQ(graph->AddFilter(c, L"Demux"), VFW_S_DUPLICATE_NAME);
    EXPECT_EQ(c->GraphName(), L"Demux 0001");
    EXPECT_EQ(graph->AddFilter(c, L"Other"), E_INVALIDARG);
    FakeFilter* d = Make("d", {});
    EXPECT_EQ(graph->AddFilter(d, nullptr), S_OK);
    EXPECT_EQ(d->GraphName(), L"0001");

    // A filter that refuses to join is not added.
    FakeFilter* refusing = Make("refusing", {});
    refusing->Config().joinFilterGraphResult = E_OUTOFMEMORY;
    EXPECT_EQ(graph->AddFilter(refusing, L"Refusing"), E_OUTOFMEMORY);
    EXPECT_EQ(Enumerate().size(), 4u);
    EXPECT_EQ(graph->AddFilter(nullptr, L"x"), E_POINTER);
}

TEST_F(FilterGraphTest, RemovalPutsOpenEnumeratorsOutOfSync) {
    FakeFilter* a = Add("a", {});
    FakeFilter* b = Add("b", {});
    Add("c", {});
    ComPtr<IEnumFilters> all;
    ASSERT_EQ(graph->EnumFilters(&all), S_OK);
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(all->Next(1, &filter, nullptr), S_OK);
    EXPECT_EQ(filter.Get(), a);
    ASSERT_EQ(graph->RemoveFilter(b), S_OK);
    EXPECT_EQ(all->Next(1, &filter, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
    EXPECT_EQ(graph->RemoveFilter(b), VFW_E_NOT_FOUND);
    EXPECT_EQ(b->GraphName(), L"");
    EXPECT_EQ(log->Calls("LeaveFilterGraph"), (std::vector<std::string>{"b.LeaveFilterGraph"}));

    // Emptying the graph the way a teardown does: reset after every removal.
    ASSERT_EQ(all->Reset(), S_OK);
    int removed = 0;
    while (all->Next(1, &filter, nullptr) == S_OK) {
        ASSERT_EQ(graph->RemoveFilter(filter.Get()), S_OK);
        ++removed;
        all->Reset();
    }
    EXPECT_EQ(removed, 2);
    EXPECT_TRUE(Enumerate().empty());

    // Additions put it out of sync too.
    ASSERT_EQ(all->Reset(), S_OK);
    Add("d", {});
    EXPECT_EQ(all->Next(1, &filter, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
}

TEST_F(FilterGraphTest, ConnectJoinsTwoPinsDirectly) {
    FakeFilter* tuner =
        Add("tuner", {FakePinConfig::Input(L"Input0"), FakePinConfig::Output(L"MPEG2 Transport")});
    FakeFilter* demux = Add("demux", {FakePinConfig::Input(L"MPEG-2 Stream")});
    ASSERT_EQ(graph->Connect(tuner->Pin(1), demux->Pin(0)), S_OK);
    EXPECT_TRUE(Connected(tuner->Pin(1)));
    EXPECT_TRUE(Connected(demux->Pin(0)));
    EXPECT_EQ(Enumerate().size(), 2u);  // nothing inserted

    // Failures of the pins come back as they are.
    FakeFilter* other = Add("other", {FakePinConfig::Input(L"In")});
    tuner->PinConfig(1).connectResult = E_ACCESSDENIED;
    EXPECT_EQ(graph->Connect(tuner->Pin(1), other->Pin(0)), E_ACCESSDENIED);
    tuner->PinConfig(1).connectResult = S_OK;
    EXPECT_EQ(graph->Connect(tuner->Pin(1), other->Pin(0)), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(graph->Connect(tuner->Pin(0), other->Pin(0)), VFW_E_INVALID_DIRECTION);

    // Both filters must be in the graph.
    FakeFilter* outside = Make("outside", {FakePinConfig::Output(L"Out")});
    EXPECT_EQ(graph->Connect(outside->Pin(0), other->Pin(0)), VFW_E_NOT_IN_GRAPH);
    EXPECT_FALSE(Connected(other->Pin(0)));
}

TEST_F(FilterGraphTest, RemoveFilterDisconnectsBothEndsAndLetsTheFilterGo) {
    FakeFilter* tuner = Add("tuner", {FakePinConfig::Output(L"Out")});
    FakeFilter* demux = Add("demux", {FakePinConfig::Input(L"In"), FakePinConfig::Output(L"PSI")});
    FakeFilter* sink = Add("sink", {FakePinConfig::Input(L"Input")});
    ASSERT_EQ(graph->Connect(tuner->Pin(0), demux->Pin(0)), S_OK);
    ASSERT_EQ(graph->Connect(demux->Pin(1), sink->Pin(0)), S_OK);

    ASSERT_EQ(graph->RemoveFilter(demux), S_OK);
    EXPECT_FALSE(Connected(tuner->Pin(0)));
    EXPECT_FALSE(Connected(demux->Pin(0)));
    EXPECT_FALSE(Connected(demux->Pin(1)));
    EXPECT_FALSE(Connected(sink->Pin(0)));

    // Nothing holds the removed filter but us now.
    IBaseFilter* removed = filters[1].Detach();
    EXPECT_EQ(removed->Release(), 0u);
}

TEST_F(FilterGraphTest, RemovingFromARunningGraphStopsTheGraphFirst) {
    FakeFilter* source = Add("source", {FakePinConfig::Output(L"Out")});
    FakeFilter* sink = Add("sink", {FakePinConfig::Input(L"In")});
    ASSERT_EQ(graph->Connect(source->Pin(0), sink->Pin(0)), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    ASSERT_EQ(graph->RemoveFilter(source), S_OK);
    EXPECT_EQ(source->State(), State_Stopped);
    EXPECT_EQ(sink->State(), State_Stopped);
    EXPECT_FALSE(Connected(sink->Pin(0)));
}

TEST_F(FilterGraphTest, StateChangesGoDownstreamFirst) {
    // Added in an order unlike the stream's: provider -> tuner -> demux -> {tif, sink}.
    FakeFilter* sink = Add("sink", {FakePinConfig::Input(L"In")});
    FakeFilter* provider = Add("provider", {FakePinConfig::Output(L"Antenna Out")});
    FakeFilter* demux = Add("demux", {FakePinConfig::Input(L"In"), FakePinConfig::Output(L"PSI 1"),
                                      FakePinConfig::Output(L"PSI 2")});
    FakeFilter* tuner = Add("tuner", {FakePinConfig::Input(L"Antenna In Pin"),
                                      FakePinConfig::Output(L"MPEG2 Transport")});
    FakeFilter* tif = Add("tif", {FakePinConfig::Input(L"In")});
    ASSERT_EQ(graph->Connect(provider->Pin(0), tuner->Pin(0)), S_OK);
    ASSERT_EQ(graph->Connect(tuner->Pin(1), demux->Pin(0)), S_OK);
    ASSERT_EQ(graph->Connect(demux->Pin(1), tif->Pin(0)), S_OK);
    ASSERT_EQ(graph->Connect(demux->Pin(2), sink->Pin(0)), S_OK);
    log->Clear();

    const std::vector<std::string> order = {"sink", "tif", "demux", "tuner", "provider"};
    auto calls = [&](const std::string& method) {
        std::vector<std::string> expected;
        for (const std::string& label : order)
            expected.push_back(label + "." + method);
        return expected;
    };

    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_EQ(log->Calls("Pause"), calls("Pause"));
    EXPECT_EQ(log->Calls("Run"), calls("Run"));
    for (FakeFilter* f : {sink, provider, demux, tuner, tif})
        EXPECT_EQ(f->State(), State_Running);

    log->Clear();
    EXPECT_EQ(control->Run(), S_OK);  // already running: nothing to do
    EXPECT_TRUE(log->Entries().empty());

    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_EQ(log->Calls("Pause"), calls("Pause"));
    EXPECT_EQ(log->Calls("Stop"), calls("Stop"));
    const auto entries = log->Entries();
    EXPECT_EQ(entries[order.size() - 1], "provider.Pause");  // every Pause before any Stop
    for (FakeFilter* f : {sink, provider, demux, tuner, tif})
        EXPECT_EQ(f->State(), State_Stopped);

    log->Clear();
    EXPECT_EQ(control->Stop(), S_OK);  // already stopped
    EXPECT_TRUE(log->Entries().empty());
}

TEST_F(FilterGraphTest, FailedRunIsUndoneByStop) {
    FakeFilter* source = Add("source", {FakePinConfig::Output(L"Out")});
    FakeFilter* sink = Add("sink", {FakePinConfig::Input(L"In")});
    ASSERT_EQ(graph->Connect(source->Pin(0), sink->Pin(0)), S_OK);
    source->Config().runResult = E_FAIL;
    EXPECT_EQ(control->Run(), E_FAIL);
    EXPECT_EQ(sink->State(), State_Running);  // the renderer had started already
    log->Clear();
    EXPECT_EQ(control->Stop(), S_OK);
    EXPECT_EQ(log->Calls("Stop"), (std::vector<std::string>{"sink.Stop", "source.Stop"}));
    EXPECT_EQ(sink->State(), State_Stopped);
    EXPECT_EQ(source->State(), State_Stopped);

    // A filter that fails to stop: every other filter is still stopped, and the failure is
    // reported; the next Stop asks again.
    source->Config().runResult = S_OK;
    ASSERT_EQ(control->Run(), S_OK);
    sink->Config().stopResult = VFW_E_WRONG_STATE;
    EXPECT_EQ(control->Stop(), VFW_E_WRONG_STATE);
    EXPECT_EQ(source->State(), State_Stopped);
    sink->Config().stopResult = S_OK;
    log->Clear();
    EXPECT_EQ(control->Stop(), S_OK);
    EXPECT_EQ(log->Calls("Stop").size(), 2u);
}

TEST_F(FilterGraphTest, ReleasingTheGraphStopsAndFreesConnectedFilters) {
    FakeFilter* source = Add("source", {FakePinConfig::Output(L"Out")});
    FakeFilter* sink = Add("sink", {FakePinConfig::Input(L"In")});
    ASSERT_EQ(graph->Connect(source->Pin(0), sink->Pin(0)), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    filters.clear();  // only the graph holds them now
    control.Release();
    log->Clear();
    graph.Release();
    EXPECT_EQ(log->Calls("Stop").size(), 2u);
    EXPECT_EQ(log->Calls("LeaveFilterGraph").size(), 2u);
    // TearDown checks that every object is gone.
}

TEST_F(FilterGraphTest, CompletionWaitsForEveryRenderer) {
    FakeFilter* demux =
        Add("demux", {FakePinConfig::Output(L"PSI 1"), FakePinConfig::Output(L"PSI 2")});
    FakeFilter* tif = Add("tif", {FakePinConfig::Input(L"In")});
    FakeFilter* sink = Add("sink", {FakePinConfig::Input(L"In")});
    ASSERT_EQ(graph->Connect(demux->Pin(0), tif->Pin(0)), S_OK);
    ASSERT_EQ(graph->Connect(demux->Pin(1), sink->Pin(0)), S_OK);
    ComPtr<IMediaEvent> events;
    ASSERT_EQ(graph.QueryInterface(IID_IMediaEvent, events), S_OK);
    OAEVENT handle = 0;
    ASSERT_EQ(events->GetEventHandle(&handle), S_OK);
    auto signalled = [&] {
        pollfd fd{static_cast<int>(handle), POLLIN, 0};
        return poll(&fd, 1, 0) == 1;
    };
    LONG code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;

    ASSERT_EQ(control->Run(), S_OK);
    ASSERT_EQ(demux->DeliverEndOfStream(1), S_OK);
    EXPECT_EQ(events->GetEvent(&code, &param1, &param2, 0), E_ABORT);
    EXPECT_FALSE(signalled());
    ASSERT_EQ(demux->DeliverEndOfStream(1), S_OK);  // the same renderer again counts once
    EXPECT_FALSE(signalled());
    ASSERT_EQ(demux->DeliverEndOfStream(0), S_OK);
    EXPECT_TRUE(signalled());
    ASSERT_EQ(events->GetEvent(&code, &param1, &param2, 0), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(param1, S_OK);
    EXPECT_FALSE(signalled());
    EXPECT_EQ(events->FreeEventParams(code, param1, param2), S_OK);

    // Other events pass straight through, in order.
    ComPtr<IMediaEventSink> sinkSide;
    ASSERT_EQ(graph.QueryInterface(IID_IMediaEventSink, sinkSide), S_OK);
    sinkSide->Notify(EC_ERRORABORT, E_FAIL, 0);
    sinkSide->Notify(EC_USERABORT, 0, 0);
    ASSERT_EQ(events->GetEvent(&code, &param1, &param2, 0), S_OK);
    EXPECT_EQ(code, EC_ERRORABORT);
    EXPECT_EQ(param1, E_FAIL);
    EXPECT_TRUE(signalled());
    ASSERT_EQ(events->GetEvent(&code, &param1, &param2, 0), S_OK);
    EXPECT_EQ(code, EC_USERABORT);

    // A new run starts the count over; an end of stream that came while paused completes
    // when the run starts.
    ASSERT_EQ(control->Stop(), S_OK);
    ASSERT_EQ(control->Pause(), S_OK);
    ASSERT_EQ(demux->DeliverEndOfStream(0), S_OK);
    ASSERT_EQ(demux->DeliverEndOfStream(1), S_OK);
    EXPECT_EQ(events->GetEvent(&code, &param1, &param2, 0), E_ABORT);
    ASSERT_EQ(control->Run(), S_OK);
    ASSERT_EQ(events->GetEvent(&code, &param1, &param2, 0), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    ASSERT_EQ(control->Stop(), S_OK);
}

}  // namespace
