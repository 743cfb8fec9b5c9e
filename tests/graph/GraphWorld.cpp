#include "GraphWorld.h"

#include "platform/dshow/DShowGuids.h"

GraphWorld::GraphWorld() {
    script.log = log;
    providerConfig.label = "provider";
    providerConfig.log = log;
    providerConfig.pins = {FakePinConfig::Output(L"Antenna Out")};
    providerConfig.interfaces = {FakeInterface::Of(IID_ITuner, networkTuner.Get())};
    providerConfig.onCreated = [this](FakeFilter* filter) { made.emplace_back(filter); };

    demuxConfig.log = log;
    demuxConfig.onCreated = [this](FakeDemultiplexer* demux) { demuxes.emplace_back(demux); };

    tuners = {Device(L"Fake DVB-S Tuner", TunerConfig())};
    receivers = {Device(L"Fake Receiver", ReceiverConfig())};
    tifs = {Device(L"Fake TIF", TifConfig())};

    proxy = new DVBFilterToParserProxy(document.File());
    proxy->GetOwner()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&proxyReference));
}

GraphWorld::~GraphWorld() {
    graph.reset();
}

FakeFilterConfig GraphWorld::TunerConfig() {
    FakeFilterConfig config;
    config.label = "tuner";
    config.log = log;
    config.pins = {FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0")};
    config.pins[0].interfaces = {FakeInterface::Of(IID_IKsPropertySet, outputProperties.Get())};
    config.pins[1].interfaces = {FakeInterface::Of(IID_IKsPropertySet, inputProperties.Get())};
    config.interfaces = {FakeInterface::Of(IID_IBDA_Topology, topology.Get())};
    return config;
}

FakeFilterConfig GraphWorld::ReceiverConfig() {
    FakeFilterConfig config;
    config.label = "receiver";
    config.log = log;
    config.pins = {FakePinConfig::Input(L"Input"), FakePinConfig::Output(L"Output")};
    return config;
}

FakeFilterConfig GraphWorld::TifConfig() {
    FakeFilterConfig config;
    config.label = "tif";
    config.log = log;
    config.pins = {FakePinConfig::Input(L"Sections")};
    config.pins[0].acceptTypes = {CMediaType(&MEDIATYPE_MPEG2_SECTIONS)};
    return config;
}

DeviceDescription GraphWorld::Device(std::optional<std::wstring> name, FakeFilterConfig config) {
    config.onCreated = [this](FakeFilter* filter) { made.emplace_back(filter); };
    return FakeFilter::Device(std::move(name), std::move(config));
}

void GraphWorld::Install() {
    if (installed)
        return;
    installed = true;
    graphClass = script.Register();
    providerClass = RegisterClass(CLSID_DVBSNetworkProvider, FakeFilter::Factory(providerConfig));
    demuxClass = RegisterClass(CLSID_MPEG2Demultiplexer, FakeDemultiplexer::Factory(demuxConfig));
    for (const DeviceDescription& tuner : tuners)
        devices.push_back(DeviceRegistry::Register(KSCATEGORY_BDA_NETWORK_TUNER, tuner));
    for (const DeviceDescription& receiver : receivers)
        devices.push_back(DeviceRegistry::Register(KSCATEGORY_BDA_RECEIVER_COMPONENT, receiver));
    for (const DeviceDescription& tif : tifs)
        devices.push_back(DeviceRegistry::Register(KSCATEGORY_BDA_TRANSPORT_INFORMATION, tif));
}

BdaGraph& GraphWorld::NewGraph() {
    Install();
    graph = std::make_unique<BdaGraph>();
    graph->pParserProxy = proxy;
    return *graph;
}

FakeFilter* GraphWorld::Made(const std::string& label) {
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        if ((*it)->Config().label == label)
            return it->Get();
    }
    return nullptr;
}

std::vector<std::wstring> GraphWorld::FiltersInGraph() {
    std::vector<std::wstring> names;
    if (!graph || !graph->pGraphBuilder)
        return names;
    ComPtr<IEnumFilters> filters;
    // Straight to the graph manager's enumerator, past any scripted failure.
    const HRESULT scripted = script.enumFiltersResult;
    script.enumFiltersResult = S_OK;
    graph->pGraphBuilder->EnumFilters(&filters);
    script.enumFiltersResult = scripted;
    ComPtr<IBaseFilter> filter;
    while (filters && filters->Next(1, &filter, nullptr) == S_OK)
        names.push_back(FilterName(filter.Get()));
    return names;
}

BSTR Name(const wchar_t* text) {
    return SysAllocString(text);
}
