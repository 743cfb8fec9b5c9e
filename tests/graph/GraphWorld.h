#pragma once
// Everything a BdaGraph meets, faked and registered for one test: the scripted graph manager,
// the tuning objects, a network provider with a tuner interface, a demultiplexer, and devices
// in the tuner, receiver component and TIF categories; plus the parser proxy whose sink the
// build adds. Change the configs and device lists, then NewGraph() installs them and makes
// the graph.
//
// Filters made by device binds and class factories are kept (with a reference) in made, so a
// test can look at them after the graph let them go.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graph/BdaGraph.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/dshow/DeviceRegistry.h"
#include "support/FakeBdaControls.h"
#include "support/FakeDemultiplexer.h"
#include "support/FakeFilter.h"
#include "support/FakeTuning.h"
#include "support/MemoryStream.h"
#include "support/ScriptedGraphBuilder.h"

class GraphWorld {
public:
    GraphWorld();
    ~GraphWorld();
    GraphWorld(const GraphWorld&) = delete;
    GraphWorld& operator=(const GraphWorld&) = delete;

    // Configs of the default filters; each reports itself to made.
    FakeFilterConfig TunerConfig();
    FakeFilterConfig ReceiverConfig();
    FakeFilterConfig TifConfig();
    DeviceDescription Device(std::optional<std::wstring> name, FakeFilterConfig config);

    // Registers the graph manager, network provider and demultiplexer classes and the devices
    // (once), then makes a graph with the proxy set.
    BdaGraph& NewGraph();
    void Install();

    // The last filter made with this label, or null.
    FakeFilter* Made(const std::string& label);
    FakeDemultiplexer* Demux() { return demuxes.empty() ? nullptr : demuxes.back().Get(); }
    // The names of the filters in the graph manager, in order of addition.
    std::vector<std::wstring> FiltersInGraph();

    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    GraphScript script;
    FakeTuningClasses tuning{log};
    ComPtr<FakeTuner> networkTuner = FakeTuner::Create(log);
    ComPtr<FakeKsPropertySet> inputProperties = FakeKsPropertySet::Create();
    ComPtr<FakeKsPropertySet> outputProperties = FakeKsPropertySet::Create();
    ComPtr<FakeSignalStatistics> statistics = FakeSignalStatistics::Create();
    ComPtr<FakeTopology> topology = FakeTopology::Create(statistics.Get());

    FakeFilterConfig providerConfig;
    FakeDemultiplexerConfig demuxConfig;
    std::vector<DeviceDescription> tuners;
    std::vector<DeviceDescription> receivers;
    std::vector<DeviceDescription> tifs;

    std::vector<ComPtr<FakeFilter>> made;
    std::vector<ComPtr<FakeDemultiplexer>> demuxes;

    MemoryStream document;
    DVBFilterToParserProxy* proxy;
    ComPtr<IUnknown> proxyReference;  // keeps the proxy for the test's whole length

private:
    bool installed = false;
    ClassRegistration graphClass;
    ClassRegistration providerClass;
    ClassRegistration demuxClass;
    std::vector<DeviceRegistration> devices;

public:
    // Destroyed first: the graph lets go of everything above.
    std::unique_ptr<BdaGraph> graph;
};

// A BSTR for an operation that takes ownership of it.
BSTR Name(const wchar_t* text = L"Tavolin");
