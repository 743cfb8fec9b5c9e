#pragma once
// FilterGraph: the filter graph manager (CLSID_FilterGraph). It holds the filters with a
// reference each, under the names they were added with, connects pins directly (no
// intermediate filters are ever inserted), changes the state of every filter, downstream
// filters first, and collects the filters' events for the application.
//
// Everything except IMediaEventSink::Notify belongs to the main thread.

#include <string>
#include <vector>

#include "platform/dshow/CUnknown.h"
#include "platform/dshow/GraphEventQueue.h"

class FilterGraph : public CUnknown,
                    public IGraphBuilder,
                    public IMediaControl,
                    public IMediaEventSink,
                    public IMediaEvent {
public:
    FilterGraph();
    // Stops the graph and removes every filter (disconnecting it) before it goes.
    ~FilterGraph() override;

    DECLARE_IUNKNOWN
    // IFilterGraph, IGraphBuilder, IMediaControl, IMediaEventSink, IMediaEvent, IUnknown.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IFilterGraph
    // The filter joins under pName (a name already in use gets " 0001", " 0002", ... appended
    // and the result is VFW_S_DUPLICATE_NAME; a missing name is made up the same way).
    // Adding a filter twice: E_INVALIDARG. A failing JoinFilterGraph: its failure, not added.
    STDMETHODIMP AddFilter(IBaseFilter* pFilter, LPCWSTR pName) override;
    // Stops the graph (and the filter) when not stopped, disconnects both ends of each of the
    // filter's connections, and lets it go. VFW_E_NOT_FOUND when it is not in the graph.
    // Open filter enumerators go out of sync.
    STDMETHODIMP RemoveFilter(IBaseFilter* pFilter) override;
    // In the order the filters were added.
    STDMETHODIMP EnumFilters(IEnumFilters** ppEnum) override;
    STDMETHODIMP FindFilterByName(LPCWSTR pName, IBaseFilter** ppFilter) override;
    // Both pins' filters must be in the graph (VFW_E_NOT_IN_GRAPH), ppinOut an output and
    // ppinIn an input (VFW_E_INVALID_DIRECTION); then ppinOut->Connect.
    STDMETHODIMP ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) override;
    // Disconnects this one pin (the peer keeps its side until it is disconnected too).
    STDMETHODIMP Disconnect(IPin* ppin) override;

    // IGraphBuilder: a direct connection with any type the pins agree on.
    STDMETHODIMP Connect(IPin* ppinOut, IPin* ppinIn) override;

    // IMediaControl. Run from Stopped pauses every filter first, then runs every filter;
    // Stop from Running pauses every filter first, then stops every filter. Filters are
    // taken downstream first (renderers before the filters feeding them). Run and Pause stop
    // at the first failure and return it (call Stop afterwards); Stop stops every filter and
    // returns the first failure.
    STDMETHODIMP Run() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Stop() override;

    // IMediaEventSink
    STDMETHODIMP Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) override;

    // IMediaEvent
    STDMETHODIMP GetEventHandle(OAEVENT* hEvent) override;
    STDMETHODIMP GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2,
                          LONG msTimeout) override;
    STDMETHODIMP FreeEventParams(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) override;

private:
    class FilterEnumerator;

    struct Member {
        IBaseFilter* filter;  // counted
        std::wstring name;
    };

    int IndexOf(IBaseFilter* filter) const;
    bool NameInUse(const std::wstring& name) const;
    bool PinInGraph(IPin* pin) const;
    void DisconnectPins(IBaseFilter* filter);
    // The filters, downstream first; renderers gets those with a connected input pin and no
    // output pin.
    std::vector<IBaseFilter*> OrderDownstreamFirst(std::vector<IBaseFilter*>* renderers) const;

    std::vector<Member> members;
    uint64_t version = 0;  // changes with every addition or removal
    FILTER_STATE state = State_Stopped;
    GraphEventQueue eventQueue;
};
