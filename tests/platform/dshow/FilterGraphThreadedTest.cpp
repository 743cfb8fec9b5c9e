// A source with its own streaming thread in a running graph: delivery on that thread, the end
// of stream reaching the application, and Stop joining the thread while samples are in flight.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/com/ClassRegistry.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/GraphInterfaces.h"
#include "support/FakePushSource.h"

namespace {

class FilterGraphThreaded : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                   reinterpret_cast<void**>(&graph)),
                  S_OK);
        ASSERT_EQ(graph.QueryInterface(IID_IMediaControl, control), S_OK);
        ASSERT_EQ(graph.QueryInterface(IID_IMediaEvent, events), S_OK);
    }
    void Build(std::vector<std::vector<BYTE>> buffers, bool repeat) {
        FakeFilterConfig sourceConfig;
        sourceConfig.label = "source";
        sourceConfig.pins = {FakePinConfig::Output(L"Out")};
        source = FakePushSource::Create(sourceConfig, std::move(buffers), true, repeat);
        FakeFilterConfig sinkConfig;
        sinkConfig.label = "sink";
        sinkConfig.pins = {FakePinConfig::Input(L"In")};
        sink = FakeFilter::Create(sinkConfig);
        ASSERT_EQ(graph->AddFilter(source.Get(), L"Source"), S_OK);
        ASSERT_EQ(graph->AddFilter(sink.Get(), L"Sink"), S_OK);
        ASSERT_EQ(graph->Connect(source->Pin(0), sink->Pin(0)), S_OK);
    }

    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    ComPtr<FakePushSource> source;
    ComPtr<FakeFilter> sink;
};

TEST_F(FilterGraphThreaded, DeliversOnItsThreadAndCompletes) {
    Build({{1}, {2, 2}, {3, 3, 3}}, false);
    std::thread::id receiver;
    sink->PinConfig(0).onReceive = [&](IMediaSample*) {
        receiver = std::this_thread::get_id();
        return S_OK;
    };
    ASSERT_EQ(control->Run(), S_OK);
    LONG code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    ASSERT_EQ(events->GetEvent(&code, &param1, &param2, 10000), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(sink->Received(0), (std::vector<std::vector<BYTE>>{{1}, {2, 2}, {3, 3, 3}}));
    EXPECT_NE(receiver, std::this_thread::get_id());
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_FALSE(source->StreamingThreadRunning());
}

TEST_F(FilterGraphThreaded, StopJoinsTheThreadWhileSamplesAreInFlight) {
    Build({{0x47}}, true);
    // The receiver holds its filter's state lock while it works, as a filter guarding its
    // state would; the graph's Stop takes that lock too.
    FakeFilter* sinkFilter = sink.Get();
    sink->PinConfig(0).onReceive = [sinkFilter](IMediaSample*) {
        CAutoLock lock(&sinkFilter->StateLock());
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        return S_OK;
    };
    for (int round = 0; round < 20; ++round) {
        const size_t before = source->Delivered();
        ASSERT_EQ(control->Run(), S_OK);
        ASSERT_TRUE(source->WaitForDelivered(before + 5));
        ASSERT_EQ(control->Stop(), S_OK);
        EXPECT_FALSE(source->StreamingThreadRunning());
        const size_t stopped = source->Delivered();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(source->Delivered(), stopped);  // nothing after Stop returned
    }
}

TEST_F(FilterGraphThreaded, ReleasingARunningGraphStopsItsSources) {
    Build({{0x47}}, true);
    ASSERT_EQ(control->Run(), S_OK);
    ASSERT_TRUE(source->WaitForDelivered(3));
    control.Release();
    events.Release();
    graph.Release();
    EXPECT_FALSE(source->StreamingThreadRunning());
    EXPECT_EQ(source->State(), State_Stopped);
}

}  // namespace
