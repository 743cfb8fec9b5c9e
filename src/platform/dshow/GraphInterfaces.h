#pragma once
// The DirectShow interfaces of the filter graph manager: building the graph, running it, and
// the events that filters send to it and the application reads from it.

#include "platform/dshow/FilterInterfaces.h"

struct IEnumFilters : IUnknown {
    // Up to cFilters filters, each with a reference; S_FALSE when fewer were left.
    // VFW_E_ENUM_OUT_OF_SYNC once a filter was added or removed since creation or Reset.
    STDMETHOD(Next)(ULONG cFilters, IBaseFilter** ppFilter, ULONG* pcFetched) PURE;
    STDMETHOD(Reset)() PURE;
};

struct IFilterGraph : IUnknown {
    STDMETHOD(AddFilter)(IBaseFilter* pFilter, LPCWSTR pName) PURE;
    STDMETHOD(RemoveFilter)(IBaseFilter* pFilter) PURE;
    STDMETHOD(EnumFilters)(IEnumFilters** ppEnum) PURE;
    STDMETHOD(FindFilterByName)(LPCWSTR pName, IBaseFilter** ppFilter) PURE;
    STDMETHOD(ConnectDirect)(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) PURE;
    STDMETHOD(Disconnect)(IPin* ppin) PURE;
};

struct IGraphBuilder : IFilterGraph {
    STDMETHOD(Connect)(IPin* ppinOut, IPin* ppinIn) PURE;
};

using OAFilterState = LONG;

struct IMediaControl : IUnknown {
    STDMETHOD(Run)() PURE;
    STDMETHOD(Pause)() PURE;
    STDMETHOD(Stop)() PURE;
};

// Event codes.
constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_USERABORT = 0x02;
constexpr LONG EC_ERRORABORT = 0x03;

// Implemented by the graph manager; filters send it events.
struct IMediaEventSink : IUnknown {
    STDMETHOD(Notify)(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) PURE;
};

// An event handle: on this platform a file descriptor that polls readable while events wait.
using OAEVENT = LONG_PTR;

// Implemented by the graph manager; the application reads events from it.
struct IMediaEvent : IUnknown {
    STDMETHOD(GetEventHandle)(OAEVENT* hEvent) PURE;
    // The next event; waits up to msTimeout milliseconds (INFINITE, -1: no limit; 0: no wait);
    // E_ABORT when none came.
    STDMETHOD(GetEvent)
    (LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2, LONG msTimeout) PURE;
    STDMETHOD(FreeEventParams)(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) PURE;
};

extern const IID IID_IEnumFilters;
extern const IID IID_IFilterGraph;
extern const IID IID_IGraphBuilder;
extern const IID IID_IMediaControl;
extern const IID IID_IMediaEventSink;
extern const IID IID_IMediaEvent;
