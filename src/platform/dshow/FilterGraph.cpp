#include "platform/dshow/FilterGraph.h"

#include <cstdio>

class FilterGraph::FilterEnumerator : public CUnknown, public IEnumFilters {
public:
    explicit FilterEnumerator(FilterGraph* graph)
        : CUnknown(NAME("FilterEnumerator"), nullptr), graph(graph), version(graph->version) {
        graph->NonDelegatingAddRef();
    }
    ~FilterEnumerator() override { graph->NonDelegatingRelease(); }

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IEnumFilters)
            return GetInterface(static_cast<IEnumFilters*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    STDMETHODIMP Next(ULONG cFilters, IBaseFilter** ppFilter, ULONG* pcFetched) override {
        if (ppFilter == nullptr)
            return E_POINTER;
        if (pcFetched == nullptr && cFilters != 1)
            return E_POINTER;
        if (pcFetched != nullptr)
            *pcFetched = 0;
        if (version != graph->version)
            return VFW_E_ENUM_OUT_OF_SYNC;
        ULONG fetched = 0;
        while (fetched < cFilters && position < graph->members.size()) {
            IBaseFilter* filter = graph->members[position++].filter;
            filter->AddRef();
            ppFilter[fetched++] = filter;
        }
        if (pcFetched != nullptr)
            *pcFetched = fetched;
        return fetched == cFilters ? S_OK : S_FALSE;
    }

    STDMETHODIMP Reset() override {
        version = graph->version;
        position = 0;
        return S_OK;
    }

private:
    FilterGraph* const graph;
    uint64_t version;
    size_t position = 0;
};

FilterGraph::FilterGraph() : CUnknown(NAME("FilterGraph"), nullptr) {}

FilterGraph::~FilterGraph() {
    Stop();
    while (!members.empty())
        RemoveFilter(members.back().filter);
}

STDMETHODIMP FilterGraph::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IFilterGraph || riid == IID_IGraphBuilder) {
        return GetInterface(static_cast<IGraphBuilder*>(this), ppv);
    }
    if (riid == IID_IMediaControl)
        return GetInterface(static_cast<IMediaControl*>(this), ppv);
    if (riid == IID_IMediaEventSink) {
        return GetInterface(static_cast<IMediaEventSink*>(this), ppv);
    }
    if (riid == IID_IMediaEvent)
        return GetInterface(static_cast<IMediaEvent*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

int FilterGraph::IndexOf(IBaseFilter* filter) const {
    for (size_t i = 0; i < members.size(); ++i) {
        if (members[i].filter == filter)
            return static_cast<int>(i);
    }
    return -1;
}

bool FilterGraph::NameInUse(const std::wstring& name) const {
    for (const Member& member : members) {
        if (member.name == name)
            return true;
    }
    return false;
}

STDMETHODIMP FilterGraph::AddFilter(IBaseFilter* pFilter, LPCWSTR pName) {
    if (pFilter == nullptr)
        return E_POINTER;
    if (IndexOf(pFilter) >= 0)
        return E_INVALIDARG;
    const std::wstring base = pName != nullptr ? pName : L"";
    std::wstring name = base;
    HRESULT result = S_OK;
    if (name.empty() || NameInUse(name)) {
        for (int n = 1;; ++n) {
            wchar_t suffix[16];
            std::swprintf(suffix, 16, base.empty() ? L"%04d" : L" %04d", n);
            name = base + suffix;
            if (!NameInUse(name))
                break;
        }
        if (!base.empty())
            result = VFW_S_DUPLICATE_NAME;
    }
    HRESULT hr = pFilter->JoinFilterGraph(static_cast<IGraphBuilder*>(this), name.c_str());
    if (FAILED(hr))
        return hr;
    pFilter->AddRef();
    members.push_back(Member{pFilter, name});
    ++version;
    return result;
}

STDMETHODIMP FilterGraph::RemoveFilter(IBaseFilter* pFilter) {
    if (pFilter == nullptr)
        return E_POINTER;
    const int index = IndexOf(pFilter);
    if (index < 0)
        return VFW_E_NOT_FOUND;
    // Connections only come apart between stopped filters, and a source's thread must end
    // before its pins go: a graph that is not stopped is stopped first.
    if (state != State_Stopped) Stop();
    FILTER_STATE filterState;
    if (SUCCEEDED(pFilter->GetState(0, &filterState)) && filterState != State_Stopped) {
        pFilter->Stop();
    }
    DisconnectPins(pFilter);
    pFilter->JoinFilterGraph(nullptr, nullptr);
    members.erase(members.begin() + index);
    ++version;
    pFilter->Release();
    return S_OK;
}

void FilterGraph::DisconnectPins(IBaseFilter* filter) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins)
        return;
    int resyncs = 0;
    for (;;) {
        ComPtr<IPin> pin;
        HRESULT hr = pins->Next(1, &pin, nullptr);
        if (hr == VFW_E_ENUM_OUT_OF_SYNC && ++resyncs < 16) {
            pins->Reset();
            continue;
        }
        if (hr != S_OK || !pin)
            break;
        ComPtr<IPin> peer;
        if (SUCCEEDED(pin->ConnectedTo(&peer)) && peer) {
            // Both sides: each holds the other.
            peer->Disconnect();
            pin->Disconnect();
        }
    }
}

STDMETHODIMP FilterGraph::EnumFilters(IEnumFilters** ppEnum) {
    if (ppEnum == nullptr)
        return E_POINTER;
    return CreateComObject<FilterEnumerator>(IID_IEnumFilters, reinterpret_cast<void**>(ppEnum),
                                             this);
}

STDMETHODIMP FilterGraph::FindFilterByName(LPCWSTR pName, IBaseFilter** ppFilter) {
    if (pName == nullptr || ppFilter == nullptr)
        return E_POINTER;
    *ppFilter = nullptr;
    for (const Member& member : members) {
        if (member.name == pName) {
            *ppFilter = member.filter;
            member.filter->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

bool FilterGraph::PinInGraph(IPin* pin) const {
    PIN_INFO info;
    if (FAILED(pin->QueryPinInfo(&info)))
        return false;
    const bool inGraph = IndexOf(info.pFilter) >= 0;
    if (info.pFilter != nullptr)
        info.pFilter->Release();
    return inGraph;
}

STDMETHODIMP FilterGraph::ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) {
    if (ppinOut == nullptr || ppinIn == nullptr)
        return E_POINTER;
    if (!PinInGraph(ppinOut) || !PinInGraph(ppinIn))
        return VFW_E_NOT_IN_GRAPH;
    PIN_DIRECTION outDirection;
    PIN_DIRECTION inDirection;
    if (FAILED(ppinOut->QueryDirection(&outDirection)) ||
        FAILED(ppinIn->QueryDirection(&inDirection)) || outDirection != PINDIR_OUTPUT ||
        inDirection != PINDIR_INPUT) {
        return VFW_E_INVALID_DIRECTION;
    }
    return ppinOut->Connect(ppinIn, pmt);
}

STDMETHODIMP FilterGraph::Disconnect(IPin* ppin) {
    if (ppin == nullptr)
        return E_POINTER;
    return ppin->Disconnect();
}

STDMETHODIMP FilterGraph::Connect(IPin* ppinOut, IPin* ppinIn) {
    return ConnectDirect(ppinOut, ppinIn, nullptr);
}

std::vector<IBaseFilter*> FilterGraph::OrderDownstreamFirst(
    std::vector<IBaseFilter*>* renderers) const {
    const size_t count = members.size();
    std::vector<std::vector<size_t>> downstream(count);
    for (size_t i = 0; i < count; ++i) {
        bool hasOutput = false;
        bool hasConnectedInput = false;
        ComPtr<IEnumPins> pins;
        if (SUCCEEDED(members[i].filter->EnumPins(&pins)) && pins) {
            ComPtr<IPin> pin;
            while (pins->Next(1, &pin, nullptr) == S_OK && pin) {
                PIN_DIRECTION direction;
                if (FAILED(pin->QueryDirection(&direction)))
                    continue;
                if (direction == PINDIR_OUTPUT)
                    hasOutput = true;
                ComPtr<IPin> peer;
                if (FAILED(pin->ConnectedTo(&peer)) || !peer)
                    continue;
                if (direction == PINDIR_INPUT) {
                    hasConnectedInput = true;
                    continue;
                }
                PIN_INFO info;
                if (FAILED(peer->QueryPinInfo(&info)))
                    continue;
                const int j = IndexOf(info.pFilter);
                if (info.pFilter != nullptr)
                    info.pFilter->Release();
                if (j >= 0 && static_cast<size_t>(j) != i) {
                    downstream[i].push_back(static_cast<size_t>(j));
                }
            }
        }
        if (renderers != nullptr && hasConnectedInput && !hasOutput) {
            renderers->push_back(members[i].filter);
        }
    }
    // A filter comes once everything it feeds has come; ties keep the order of addition.
    std::vector<IBaseFilter*> order;
    std::vector<bool> placed(count, false);
    while (order.size() < count) {
        bool progress = false;
        for (size_t i = 0; i < count; ++i) {
            if (placed[i])
                continue;
            bool ready = true;
            for (size_t j : downstream[i])
                ready = ready && placed[j];
            if (!ready)
                continue;
            placed[i] = true;
            order.push_back(members[i].filter);
            progress = true;
        }
        if (!progress) {  // a cycle: cannot happen with pins that check directions
            for (size_t i = 0; i < count; ++i) {
                if (!placed[i]) {
                    placed[i] = true;
                    order.push_back(members[i].filter);
                    break;
                }
            }
        }
    }
    return order;
}

STDMETHODIMP FilterGraph::Run() {
    if (state == State_Running)
        return S_OK;
    std::vector<IBaseFilter*> renderers;
    const std::vector<IBaseFilter*> order = OrderDownstreamFirst(&renderers);
    eventQueue.BeginRun(renderers);
    if (state == State_Stopped) {
        for (IBaseFilter* filter : order) {
            HRESULT hr = filter->Pause();
            if (FAILED(hr)) {
                state = State_Paused;
                return hr;
            }
        }
    }
    state = State_Paused;
    for (IBaseFilter* filter : order) {
        HRESULT hr = filter->Run(0);
        if (FAILED(hr))
            return hr;
    }
    state = State_Running;
    return S_OK;
}

STDMETHODIMP FilterGraph::Pause() {
    if (state == State_Paused)
        return S_OK;
    const std::vector<IBaseFilter*> order = OrderDownstreamFirst(nullptr);
    state = State_Paused;
    for (IBaseFilter* filter : order) {
        HRESULT hr = filter->Pause();
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

STDMETHODIMP FilterGraph::Stop() {
    if (state == State_Stopped)
        return S_OK;
    const std::vector<IBaseFilter*> order = OrderDownstreamFirst(nullptr);
    if (state == State_Running) {
        for (IBaseFilter* filter : order)
            filter->Pause();
    }
    HRESULT result = S_OK;
    for (IBaseFilter* filter : order) {
        HRESULT hr = filter->Stop();
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    // A filter that failed to stop is asked again by the next Stop.
    state = SUCCEEDED(result) ? State_Stopped : State_Paused;
    return result;
}

STDMETHODIMP FilterGraph::Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) {
    return eventQueue.Notify(EventCode, EventParam1, EventParam2);
}

STDMETHODIMP FilterGraph::GetEventHandle(OAEVENT* hEvent) {
    return eventQueue.GetEventHandle(hEvent);
}

STDMETHODIMP FilterGraph::GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2,
                                   LONG msTimeout) {
    return eventQueue.GetEvent(lEventCode, lParam1, lParam2, msTimeout);
}

STDMETHODIMP FilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR) {
    return S_OK;
}
