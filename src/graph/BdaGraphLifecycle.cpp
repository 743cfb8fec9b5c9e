// Running, stopping, tearing down and destroying the graph.
#include <cstdio>
#include <functional>

#include "graph/BdaGraph.h"

HRESULT BdaGraph::RunGraph() {
    if (graphRunning)
        return S_OK;
    if (!pMediaControl) {
        HRESULT hr = pGraphBuilder.QueryInterface(IID_IMediaControl, pMediaControl);
        if (FAILED(hr))
            return hr;
        if (!pMediaControl)
            return E_NOINTERFACE;
    }
    HRESULT hr = pMediaControl->Run();
    if (SUCCEEDED(hr)) {
        graphRunning = true;
        return hr;
    }
    pMediaControl->Stop();
    std::printf("Cannot run graph: %X\n", static_cast<unsigned>(hr));
    return hr;
}

HRESULT BdaGraph::StopGraph() {
    if (!graphRunning || !pMediaControl)
        return S_OK;
    // Pause first, so that every filter leaves Running before any stops.
    pMediaControl->Pause();
    HRESULT hr = pMediaControl->Stop();
    graphRunning = FAILED(hr);
    return hr;
}

HRESULT BdaGraph::TearDownGraph() {
    if (!graphBuilt && !graphFailed) {
        graphBuilt = false;
        return S_OK;
    }
    // ComPtr's operator& releases, so the members are listed by reference.
    for (auto member : {std::ref(pTif), std::ref(pDemux), std::ref(pNetworkProvider),
                        std::ref(pTunerFilter), std::ref(pCaptureFilter)}) {
        ComPtr<IBaseFilter>& filter = member.get();
        if (!filter)
            continue;
        if (pGraphBuilder)
            pGraphBuilder->RemoveFilter(filter.Get());
        filter.Release();
    }
    // Not owned: the graph's reference to the sink was what kept the proxy.
    pParserProxy = nullptr;
    // Without a graph manager nothing was ever added.
    if (!pGraphBuilder) {
        graphBuilt = false;
        return S_OK;
    }

    ComPtr<IEnumFilters> filters;
    HRESULT hr = pGraphBuilder->EnumFilters(&filters);
    if (FAILED(hr) || !filters) {
        std::printf("TearDownGraph: cannot EnumFilters\n");
        return E_FAIL;
    }
    // The sink and whatever intelligent connect inserted. A removal puts the enumerator out
    // of sync, so it starts over after each.
    filters->Reset();
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, &filter, nullptr) == S_OK && filter) {
        hr = pGraphBuilder->RemoveFilter(filter.Get());
        if (FAILED(hr))
            return hr;
        filters->Reset();
        filter.Release();
    }
    graphBuilt = false;
    return S_OK;
}

void BdaGraph::AbandonGraph() {
    TearDownGraph();
    graphFailed = true;
}

BdaGraph::~BdaGraph() {
    if (graphRunning && pMediaControl) {
        pMediaControl->Pause();
        graphRunning = FAILED(pMediaControl->Stop());
    }
    if (graphBuilt || graphFailed)
        TearDownGraph();
    pTunerOutPin.Release();
    pTunerInPin.Release();
    pTunerOutPropSet.Release();
    pTunerInPropSet.Release();
    pTif.Release();
    pDemux.Release();
    pCaptureFilter.Release();
    pTunerFilter.Release();
    pNetworkProvider.Release();
    pDevEnum.Release();
    pMediaControl.Release();
    pGraphBuilder.Release();
    pTuner.Release();
    pTuningSpace.Release();
}
