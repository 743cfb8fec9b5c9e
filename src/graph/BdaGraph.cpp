#include "graph/BdaGraph.h"

#include <cstdio>

#include "platform/com/ClassRegistry.h"
#include "platform/dshow/DShowGuids.h"

BdaGraph::BdaGraph() {
    if (!pGraphBuilder) {
        HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                      reinterpret_cast<void**>(&pGraphBuilder));
        if (FAILED(hr)) {
            std::printf("Couldn't CoCreate IGraphBuilder\n");
            graphFailed = true;
        } else {
            graphFailed = false;
        }
    }
}

namespace {

// Direction of a pin whose PIN_INFO was read; the reference it carries is dropped.
PIN_DIRECTION TakeDirection(PIN_INFO& info) {
    if (info.pFilter != nullptr)
        info.pFilter->Release();
    return info.dir;
}

}  // namespace

HRESULT BdaGraph::ConnectFilters(IBaseFilter* upstream, IBaseFilter* downstream) {
    if (upstream == nullptr || downstream == nullptr || !pGraphBuilder)
        return E_POINTER;
    ComPtr<IEnumPins> upstreamPins;
    HRESULT hr = upstream->EnumPins(&upstreamPins);
    if (FAILED(hr) || !upstreamPins) {
        std::printf("Cannot Enumerate Upstream Filter's Pins\n");
        return FAILED(hr) ? hr : E_POINTER;
    }
    ComPtr<IPin> upstreamPin;
    while (upstreamPins->Next(1, &upstreamPin, nullptr) == S_OK && upstreamPin) {
        PIN_INFO upstreamInfo;
        hr = upstreamPin->QueryPinInfo(&upstreamInfo);
        if (FAILED(hr)) {
            std::printf("Cannot Obtain Upstream Filter's PIN_INFO\n");
            return hr;
        }
        const PIN_DIRECTION upstreamDirection = TakeDirection(upstreamInfo);
        // Only whether a peer came back counts, not the call's result.
        ComPtr<IPin> upstreamPeer;
        upstreamPin->ConnectedTo(&upstreamPeer);
        if (upstreamDirection != PINDIR_OUTPUT || upstreamPeer)
            continue;

        ComPtr<IEnumPins> downstreamPins;
        hr = downstream->EnumPins(&downstreamPins);
        if (FAILED(hr) || !downstreamPins) {
            std::printf("Cannot enumerate pins on downstream filter!\n");
            return FAILED(hr) ? hr : E_POINTER;
        }
        ComPtr<IPin> downstreamPin;
        while (downstreamPins->Next(1, &downstreamPin, nullptr) == S_OK && downstreamPin) {
            PIN_INFO downstreamInfo;
            if (FAILED(downstreamPin->QueryPinInfo(&downstreamInfo)))
                continue;
            const PIN_DIRECTION downstreamDirection = TakeDirection(downstreamInfo);
            ComPtr<IPin> downstreamPeer;
            hr = downstreamPin->ConnectedTo(&downstreamPeer);
            if (FAILED(hr) && hr != VFW_E_NOT_CONNECTED) {
                std::printf("Failed in pIPinDownstream->ConnectedTo()!\n");
                continue;
            }
            if (downstreamDirection != PINDIR_INPUT || downstreamPeer)
                continue;
            hr = pGraphBuilder->Connect(upstreamPin.Get(), downstreamPin.Get());
            if (SUCCEEDED(hr))
                return S_OK;
        }
    }
    return E_FAIL;
}
