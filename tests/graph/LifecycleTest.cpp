#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphWorld.h"
#include "support/StdoutCapture.h"

namespace {

// The log entries of the graph manager, from position `from` on.
std::vector<std::string> GraphCalls(const CallLog& log, size_t from = 0) {
    std::vector<std::string> calls;
    const std::vector<std::string> entries = log.Entries();
    for (size_t i = from; i < entries.size(); ++i) {
        if (entries[i].rfind("graph.", 0) == 0)
            calls.push_back(entries[i]);
    }
    return calls;
}

class Lifecycle : public ::testing::Test {
protected:
    BdaGraph& Built() {
        BdaGraph& graph = world.NewGraph();
        CaptureStdout([&] { EXPECT_EQ(graph.BuildGraph(Name()), S_OK); });
        return graph;
    }

    GraphWorld world;
};

// A proxy that says when it goes.
class ObservedProxy : public DVBFilterToParserProxy {
public:
    ObservedProxy(FILE* stream, bool* deleted) : DVBFilterToParserProxy(stream), deleted(deleted) {}
    ~ObservedProxy() override { *deleted = true; }

private:
    bool* deleted;
};

}  // namespace

TEST_F(Lifecycle, RunningTwiceRunsOnce) {
    BdaGraph& graph = Built();
    size_t mark = world.log->Entries().size();
    EXPECT_EQ(graph.RunGraph(), S_OK);
    EXPECT_TRUE(graph.graphRunning);
    EXPECT_EQ(GraphCalls(*world.log, mark), std::vector<std::string>{"graph.Run"});
    EXPECT_EQ(world.Made("tuner")->State(), State_Running);

    mark = world.log->Entries().size();
    EXPECT_EQ(graph.RunGraph(), S_OK);
    EXPECT_EQ(world.log->Entries().size(), mark);
}

TEST_F(Lifecycle, AFailedRunIsStoppedAndReported) {
    world.script.runResult = E_FAIL;
    BdaGraph& graph = Built();
    const size_t mark = world.log->Entries().size();
    HRESULT hr = S_OK;
    const std::string printed = CaptureStdout([&] { hr = graph.RunGraph(); });
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_EQ(printed, "Cannot run graph: 80004005\n");
    EXPECT_FALSE(graph.graphRunning);
    EXPECT_EQ(GraphCalls(*world.log, mark), (std::vector<std::string>{"graph.Run", "graph.Stop"}));
}

TEST_F(Lifecycle, WithoutMediaControlRunFailsSilently) {
    world.script.answersMediaControl = false;
    BdaGraph& graph = Built();
    HRESULT hr = S_OK;
    const std::string printed = CaptureStdout([&] { hr = graph.RunGraph(); });
    EXPECT_EQ(hr, E_NOINTERFACE);
    EXPECT_EQ(printed, "");
    EXPECT_FALSE(graph.graphRunning);
}

TEST_F(Lifecycle, StoppingPausesFirstAndAFailedStopKeepsTheFlag) {
    BdaGraph& graph = Built();
    size_t mark = world.log->Entries().size();
    EXPECT_EQ(graph.StopGraph(), S_OK);  // not running: nothing to do
    EXPECT_EQ(world.log->Entries().size(), mark);

    ASSERT_EQ(graph.RunGraph(), S_OK);
    mark = world.log->Entries().size();
    EXPECT_EQ(graph.StopGraph(), S_OK);
    EXPECT_FALSE(graph.graphRunning);
    EXPECT_EQ(GraphCalls(*world.log, mark),
              (std::vector<std::string>{"graph.Pause", "graph.Stop"}));
    EXPECT_EQ(world.Made("tuner")->State(), State_Stopped);

    ASSERT_EQ(graph.RunGraph(), S_OK);
    world.script.stopResult = E_UNEXPECTED;
    EXPECT_EQ(graph.StopGraph(), E_UNEXPECTED);
    EXPECT_TRUE(graph.graphRunning);
    // The destructor tries again, and goes on with the teardown whatever Stop says.
    mark = world.log->Entries().size();
    world.graph.reset();
    EXPECT_EQ(GraphCalls(*world.log, mark)[0], "graph.Pause");
    EXPECT_EQ(GraphCalls(*world.log, mark)[1], "graph.Stop");
    EXPECT_EQ(world.log->Calls("RemoveFilter(Varnel's Filter)").size(), 1u);
}

TEST_F(Lifecycle, TeardownRemovesTheMembersFirstThenEverythingElse) {
    BdaGraph& graph = Built();
    const size_t mark = world.log->Entries().size();
    EXPECT_EQ(graph.TearDownGraph(), S_OK);
    EXPECT_EQ(GraphCalls(*world.log, mark),
              (std::vector<std::string>{"graph.RemoveFilter(Fake TIF)", "graph.RemoveFilter(Demux)",
                                        "graph.RemoveFilter(Network Provider)",
                                        "graph.RemoveFilter(Fake DVB-S Tuner)",
                                        "graph.RemoveFilter(Fake Receiver)", "graph.EnumFilters",
                                        "graph.RemoveFilter(Varnel's Filter)"}));
    EXPECT_FALSE(graph.graphBuilt);
    EXPECT_TRUE(world.FiltersInGraph().empty());
    for (IBaseFilter* member : {graph.pTif.Get(), graph.pDemux.Get(), graph.pNetworkProvider.Get(),
                                graph.pTunerFilter.Get(), graph.pCaptureFilter.Get()}) {
        EXPECT_EQ(member, nullptr);
    }
    EXPECT_EQ(graph.pParserProxy, nullptr);
    // Kept for a later build.
    EXPECT_TRUE(graph.pTuningSpace && graph.pTuner && graph.pDevEnum && graph.pTunerInPin &&
                graph.pTunerOutPin && graph.pTunerInPropSet && graph.pTunerOutPropSet);
}

TEST_F(Lifecycle, TeardownWithoutFilterEnumerationKeepsTheBuiltFlag) {
    BdaGraph& graph = Built();
    world.script.enumFiltersResult = E_FAIL;
    HRESULT hr = S_OK;
    const std::string printed = CaptureStdout([&] { hr = graph.TearDownGraph(); });
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_EQ(printed, "TearDownGraph: cannot EnumFilters\n");
    EXPECT_TRUE(graph.graphBuilt);
    EXPECT_FALSE(graph.pTif || graph.pDemux || graph.pNetworkProvider || graph.pTunerFilter ||
                 graph.pCaptureFilter);
    EXPECT_EQ(world.FiltersInGraph(), std::vector<std::wstring>{L"Varnel's Filter"});

    // A failing removal stops the teardown too.
    world.script.enumFiltersResult = S_OK;
    world.script.removeFilterResults[L"Varnel's Filter"] = VFW_E_NOT_STOPPED;
    EXPECT_EQ(graph.TearDownGraph(), VFW_E_NOT_STOPPED);
    EXPECT_TRUE(graph.graphBuilt);
    world.script.removeFilterResults.clear();
    EXPECT_EQ(graph.TearDownGraph(), S_OK);
    EXPECT_FALSE(graph.graphBuilt);
}

TEST_F(Lifecycle, ANeverBuiltGraphIsOnlyReleased) {
    BdaGraph& graph = world.NewGraph();
    EXPECT_EQ(graph.TearDownGraph(), S_OK);
    const size_t mark = world.log->Entries().size();
    const std::string printed = CaptureStdout([&] { world.graph.reset(); });
    EXPECT_EQ(printed, "");
    EXPECT_TRUE(GraphCalls(*world.log, mark).empty());
}

TEST_F(Lifecycle, AfterAFailedFirstBuildTheDestructorRemovesWhatWasAdded) {
    world.demuxConfig.answersDemultiplexer = false;  // the sink cannot be connected
    BdaGraph& graph = world.NewGraph();
    CaptureStdout([&] { EXPECT_EQ(graph.BuildGraph(Name()), E_FAIL); });
    ASSERT_TRUE(graph.graphFailed);
    EXPECT_EQ(world.FiltersInGraph(),
              (std::vector<std::wstring>{L"Network Provider", L"Fake DVB-S Tuner", L"Fake Receiver",
                                         L"Demux", L"Varnel's Filter"}));
    const size_t mark = world.log->Entries().size();
    const std::string printed = CaptureStdout([&] { world.graph.reset(); });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(GraphCalls(*world.log, mark),
              (std::vector<std::string>{
                  "graph.RemoveFilter(Demux)", "graph.RemoveFilter(Network Provider)",
                  "graph.RemoveFilter(Fake DVB-S Tuner)", "graph.RemoveFilter(Fake Receiver)",
                  "graph.EnumFilters", "graph.RemoveFilter(Varnel's Filter)"}));
}

TEST_F(Lifecycle, DestroyingARunningGraphStopsItAndEndsTheProxy) {
    MemoryStream output;
    bool deleted = false;
    auto* proxy = new ObservedProxy(output.File(), &deleted);
    BdaGraph& graph = world.NewGraph();
    graph.pParserProxy = proxy;
    CaptureStdout([&] { ASSERT_EQ(graph.BuildGraph(Name()), S_OK); });
    ASSERT_EQ(graph.RunGraph(), S_OK);
    FakeFilter* tuner = world.Made("tuner");
    const size_t mark = world.log->Entries().size();
    world.graph.reset();
    const std::vector<std::string> calls = GraphCalls(*world.log, mark);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "graph.Pause");
    EXPECT_EQ(calls[1], "graph.Stop");
    EXPECT_EQ(tuner->State(), State_Stopped);
    EXPECT_EQ(tuner->GraphName(), L"");
    EXPECT_TRUE(deleted);
}

TEST_F(Lifecycle, ARebuildStopsAndTearsDownFirstAndKeepsTheTuningSpace) {
    BdaGraph& graph = Built();
    ASSERT_EQ(graph.RunGraph(), S_OK);
    ITuningSpace* space = graph.pTuningSpace.Get();
    graph.pParserProxy = world.proxy;
    const size_t mark = world.log->Entries().size();
    std::string printed;
    HRESULT hr = E_UNEXPECTED;
    printed = CaptureStdout([&] { hr = graph.BuildGraph(Name(L"Ignored")); });
    EXPECT_EQ(hr, S_OK);
    const std::vector<std::string> calls = GraphCalls(*world.log, mark);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "graph.Pause");
    EXPECT_EQ(calls[1], "graph.Stop");
    EXPECT_EQ(calls[2], "graph.RemoveFilter(Fake TIF)");
    EXPECT_TRUE(graph.graphBuilt);
    EXPECT_FALSE(graph.graphRunning);
    EXPECT_EQ(graph.pTuningSpace.Get(), space);
    EXPECT_EQ(world.FiltersInGraph().size(), 6u);
    EXPECT_EQ(world.networkTuner->requests.size(), 2u);
}
