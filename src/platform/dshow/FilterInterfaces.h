#pragma once
// The DirectShow interfaces of filters, pins and media samples, with the Windows names,
// methods, parameter order and types; only the methods this program calls are declared.

#include "platform/com/Unknown.h"

struct IBaseFilter;
struct IFilterGraph;
struct IPin;

constexpr int MAX_FILTER_NAME = 128;
constexpr int MAX_PIN_NAME = 128;

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

// A media type. pbFormat (cbFormat bytes) is task memory; pUnk is unused and null.
struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;
};

// pGraph carries a reference that the caller releases (when not null).
struct FILTER_INFO {
    WCHAR achName[MAX_FILTER_NAME];
    IFilterGraph* pGraph;
};

// pFilter carries a reference that the caller releases.
struct PIN_INFO {
    IBaseFilter* pFilter;
    PIN_DIRECTION dir;
    WCHAR achName[MAX_PIN_NAME];
};

struct IPersist : IUnknown {
    STDMETHOD(GetClassID)(CLSID* pClassID) PURE;
};

struct IMediaFilter : IPersist {
    STDMETHOD(Stop)() PURE;
    STDMETHOD(Pause)() PURE;
    STDMETHOD(Run)(REFERENCE_TIME tStart) PURE;
    STDMETHOD(GetState)(DWORD dwMilliSecsTimeout, FILTER_STATE* State) PURE;
};

struct IEnumPins : IUnknown {
    // Up to cPins pins, each with a reference; S_FALSE when fewer were left.
    // VFW_E_ENUM_OUT_OF_SYNC when the filter's pins changed since creation or Reset.
    STDMETHOD(Next)(ULONG cPins, IPin** ppPins, ULONG* pcFetched) PURE;
    STDMETHOD(Reset)() PURE;
};

struct IBaseFilter : IMediaFilter {
    STDMETHOD(EnumPins)(IEnumPins** ppEnum) PURE;
    STDMETHOD(FindPin)(LPCWSTR Id, IPin** ppPin) PURE;
    STDMETHOD(QueryFilterInfo)(FILTER_INFO* pInfo) PURE;
    // Called by the graph manager when the filter is added (pGraph, its name) or removed
    // (null, null). The filter must not hold a reference to the graph.
    STDMETHOD(JoinFilterGraph)(IFilterGraph* pGraph, LPCWSTR pName) PURE;
};

struct IPin : IUnknown {
    // On an output pin: connect to pReceivePin, with pmt (may be null or partly specified)
    // restricting the types tried.
    STDMETHOD(Connect)(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) PURE;
    // On an input pin: called by the connecting output pin.
    STDMETHOD(ReceiveConnection)(IPin* pConnector, const AM_MEDIA_TYPE* pmt) PURE;
    STDMETHOD(Disconnect)() PURE;
    // The peer with a reference, or VFW_E_NOT_CONNECTED and null.
    STDMETHOD(ConnectedTo)(IPin** pPin) PURE;
    // A copy of the connection's type (free it with FreeMediaType); VFW_E_NOT_CONNECTED.
    STDMETHOD(ConnectionMediaType)(AM_MEDIA_TYPE* pmt) PURE;
    STDMETHOD(QueryPinInfo)(PIN_INFO* pInfo) PURE;
    STDMETHOD(QueryDirection)(PIN_DIRECTION* pPinDir) PURE;
    // No more data follows; called on an input pin by its upstream peer.
    STDMETHOD(EndOfStream)() PURE;
};

struct IMediaSample : IUnknown {
    STDMETHOD(GetPointer)(BYTE** ppBuffer) PURE;
    STDMETHOD_(LONG, GetSize)() PURE;
    STDMETHOD_(LONG, GetActualDataLength)() PURE;
};

struct IMemInputPin : IUnknown {
    // Delivery of one sample, on the upstream filter's streaming thread. The sample is valid
    // until Receive returns; a receiver that wants it longer must copy it.
    STDMETHOD(Receive)(IMediaSample* pSample) PURE;
    STDMETHOD(ReceiveMultiple)
    (IMediaSample** pSamples, LONG nSamples, LONG* nSamplesProcessed) PURE;
    // S_OK when Receive may block, S_FALSE when it never does.
    STDMETHOD(ReceiveCanBlock)() PURE;
};

extern const IID IID_IPersist;
extern const IID IID_IMediaFilter;
extern const IID IID_IBaseFilter;
extern const IID IID_IPin;
extern const IID IID_IEnumPins;
extern const IID IID_IMediaSample;
extern const IID IID_IMemInputPin;
