#pragma once
// BdaGraph: the DirectShow BDA graph that receives one DVB-S transponder:
//
//     network provider -> tuner device -> (receiver component) -> MPEG-2 demultiplexer
//         "For MS PSI"       (PID 0x0000)        -> transport information filter
//         "For Varnel's PSI" (PIDs 0x0012, 0x0011) -> the sink filter of the parser proxy
//
// All operations run on the main thread; they print their progress and failures to standard
// output and return HRESULTs (negative: failed). A failing step stops its operation. The
// tuning parameters and pParserProxy are set by the caller before BuildGraph.
//
// Interface members are owning references; the destructor stops the graph, tears it down and
// releases them in reverse declaration order. BSTR arguments belong to the callee, which frees
// them on every path.

#include "platform/bda/BdaInterfaces.h"
#include "platform/dshow/DeviceInterfaces.h"
#include "platform/dshow/FilterInterfaces.h"
#include "platform/dshow/GraphInterfaces.h"

class DVBFilterToParserProxy;

class BdaGraph {
public:
    // Creates the graph manager; when that fails, prints why and sets graphFailed.
    BdaGraph();
    ~BdaGraph();
    BdaGraph(const BdaGraph&) = delete;
    BdaGraph& operator=(const BdaGraph&) = delete;

    // The whole build (a built graph is torn down first). name becomes the tuning space's
    // unique name.
    HRESULT BuildGraph(BSTR name);
    // Creates the tuning space once, then the network provider of its network type, and adds it.
    HRESULT LoadNetworkProvider(BSTR name);
    HRESULT LoadDemux();
    // Connects the demultiplexer below the receiver component (or the tuner), makes its two
    // section outputs and connects the TIF and the sink to them.
    HRESULT RenderDemux();

    // The configured DVB-S tuning space into pTuningSpace. S_OK with pTuningSpace empty when
    // the system tuning space cannot be created.
    HRESULT CreateTuningSpace(BSTR name);
    // A new tune request for the current tuning parameters, with one reference for the caller.
    HRESULT CreateTuneRequest(IDVBTuneRequest** out);
    // Tunes the network provider once more; a failure tears the graph down.
    HRESULT SubmitTuneRequest();

    // Binds a device of category into the graph and keeps it in out when it connects below
    // upstream (or at once when upstream is null). byOrdinal: only the device at tunerOrdinal.
    // S_OK also when nothing was loaded; out is then untouched.
    HRESULT LoadFilter(REFCLSID category, ComPtr<IBaseFilter>& out, IBaseFilter* upstream,
                       BOOL byOrdinal);
    // The first pin of filter, or with matchName the first whose name in the system code page
    // is exactly name. Empty when there is none.
    ComPtr<IPin> FindPin(IBaseFilter* filter, const char* name, BOOL matchName);
    // The tuner's input and transport pins and their property sets.
    bool GetTunerDemodPins();
    // Lock, quality and strength of the tuner; what was not read is 0. True when all were read.
    bool GetSignalStatus(BOOLEAN& locked, LONG& quality, LONG& strength);
    // Sends the vendor PID-filter command for PIDs 0x0000, 0x0011 and 0x0012 to the tuner's
    // input pin. True when the driver accepted it and returned no bytes.
    bool SetPidFilter();

    HRESULT RunGraph();
    HRESULT StopGraph();
    // Removes and releases the graph's filters.
    HRESULT TearDownGraph();
    // TearDownGraph, then marks the graph failed.
    void AbandonGraph();

    // Connects the first free output pin of upstream that some free input pin of downstream
    // accepts. S_OK, E_FAIL when no pair connected, or the failure of an enumeration.
    HRESULT ConnectFilters(IBaseFilter* upstream, IBaseFilter* downstream);

    ComPtr<ITuningSpace> pTuningSpace;
    ComPtr<ITuner> pTuner;
    ComPtr<IGraphBuilder> pGraphBuilder;
    ComPtr<IMediaControl> pMediaControl;
    ComPtr<ICreateDevEnum> pDevEnum;
    ComPtr<IBaseFilter> pNetworkProvider;
    ComPtr<IBaseFilter> pTunerFilter;
    ComPtr<IBaseFilter> pCaptureFilter;
    ComPtr<IBaseFilter> pDemux;
    ComPtr<IBaseFilter> pTif;
    ComPtr<IKsPropertySet> pTunerInPropSet;
    ComPtr<IKsPropertySet> pTunerOutPropSet;
    ComPtr<IPin> pTunerInPin;
    ComPtr<IPin> pTunerOutPin;
    DVBFilterToParserProxy* pParserProxy = nullptr;  // not owned
    BOOL useCaptureFilter = 1;
    LONG tunerOrdinal = 1;
    bool graphBuilt = false;
    bool graphRunning = false;
    bool graphFailed = false;
    LONG carrierFrequency = 12303000;  // kHz
    LONG symbolRate = 26400;           // ksymbols/s
    BYTE polarisation = 0;             // 0 vertical, anything else horizontal
    LONG dvbs2 = 0;                    // modulation: 0 QPSK, 2 8PSK, anything else 8VSB
};
