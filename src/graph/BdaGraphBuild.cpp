// The build sequence: network provider, tune, tuner, receiver component, demultiplexer, and
// the demultiplexer's two section outputs with the TIF and the sink below them.
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "graph/BdaGraph.h"
#include "graph/OwnedBstr.h"
#include "intake/DVBFilter.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/com/ClassRegistry.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/Mpeg2Interfaces.h"

namespace {

// A tuner that needs no receiver component below it.
constexpr OLECHAR directTunerName[] = L"DTV-DVB UDST7020BDA DVB-S Receiver";

// Maps pids on a new demultiplexer output as PSI. A pin without a PID map cannot be mapped
// and counts as a failed mapping; the build goes on either way.
void MapPids(IPin* pin, std::initializer_list<ULONG> pids) {
    ComPtr<IMPEG2PIDMap> pidMap;
    HRESULT hr = pin->QueryInterface(IID_IMPEG2PIDMap, reinterpret_cast<void**>(&pidMap));
    if (SUCCEEDED(hr) && pidMap) {
        std::vector<ULONG> list(pids);
        hr = pidMap->MapPID(static_cast<ULONG>(list.size()), list.data(), MEDIA_MPEG2_PSI);
    } else if (SUCCEEDED(hr)) {
        hr = E_NOINTERFACE;
    }
    if (FAILED(hr))
        std::printf("Failed to map PID in the demux\n");
}

// A new section output of the demultiplexer, or empty when it was not created.
ComPtr<IPin> CreateSectionOutput(IMpeg2Demultiplexer* demux, AM_MEDIA_TYPE* mediaType,
                                 const wchar_t* name) {
    ComPtr<IPin> pin;
    if (demux == nullptr)
        return pin;
    std::vector<wchar_t> pinName(name, name + std::wcslen(name) + 1);
    if (FAILED(demux->CreateOutputPin(mediaType, pinName.data(), &pin)))
        pin.Release();
    return pin;
}

}  // namespace

HRESULT BdaGraph::BuildGraph(BSTR name) {
    OwnedBstr ownedName(name);
    if (!pGraphBuilder) {
        std::printf("Cannot build graph: no filter graph manager\n");
        graphFailed = true;
        return E_FAIL;
    }
    if (graphBuilt) {
        if (graphRunning)
            StopGraph();
        // The caller set the proxy for this build; the teardown of the previous one must
        // not take it away, or the sink could not be rendered.
        DVBFilterToParserProxy* proxy = pParserProxy;
        TearDownGraph();
        pParserProxy = proxy;
    }

    HRESULT hr = LoadNetworkProvider(CopyBstr(ownedName.get()).release());
    if (FAILED(hr)) {
        std::printf("Cannot load network provider\n");
        TearDownGraph();
        graphFailed = true;
        return hr;
    }
    hr = pNetworkProvider.QueryInterface(IID_ITuner, pTuner);
    if (FAILED(hr) || !pTuner) {
        std::printf("pNetworkProvider->QI: Can't QI for ITuner.\n");
        TearDownGraph();
        graphFailed = true;
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    ComPtr<IDVBTuneRequest> tuneRequest;
    hr = CreateTuneRequest(&tuneRequest);
    if (FAILED(hr)) {
        std::printf("Cannot create tune request\n");
        TearDownGraph();
        graphFailed = true;
        return hr;
    }
    hr = pTuner->put_TuneRequest(tuneRequest.Get());
    if (FAILED(hr)) {
        std::printf("Cannot submit the tune request\n");
        TearDownGraph();
        graphFailed = true;
        return hr;
    }

    hr = LoadFilter(KSCATEGORY_BDA_NETWORK_TUNER, pTunerFilter, pNetworkProvider.Get(), TRUE);
    if (FAILED(hr) || !pTunerFilter) {
        std::printf("Cannot load tuner device and connect network provider\n");
        TearDownGraph();
        graphFailed = true;
        return FAILED(hr) ? hr : E_FAIL;
    }

    FILTER_INFO tunerInfo;
    if (SUCCEEDED(pTunerFilter->QueryFilterInfo(&tunerInfo))) {
        if (tunerInfo.pGraph != nullptr)
            tunerInfo.pGraph->Release();
        tunerInfo.achName[MAX_FILTER_NAME - 1] = 0;
        std::printf("Tuner Filter Info = \"%ls\"\n", tunerInfo.achName);
        OwnedBstr tunerName(SysAllocString(tunerInfo.achName));
        OwnedBstr directName = MakeBstr(directTunerName);
        if (!tunerName || !directName)
            throw std::bad_alloc();
        useCaptureFilter =
            VarBstrCmp(tunerName.get(), directName.get(), LOCALE_USER_DEFAULT, 0) != VARCMP_EQ;
    } else {
        // No name to compare: most tuners want a receiver component.
        useCaptureFilter = 1;
    }
    if (useCaptureFilter) {
        hr = LoadFilter(KSCATEGORY_BDA_RECEIVER_COMPONENT, pCaptureFilter, pTunerFilter.Get(),
                        FALSE);
        // Without one the demultiplexer connects straight to the tuner.
        if (FAILED(hr) || !pCaptureFilter)
            useCaptureFilter = 0;
    }

    hr = LoadDemux();
    if (FAILED(hr)) {
        std::printf("Cannot load demux\n");
        AbandonGraph();
        return hr;
    }
    hr = RenderDemux();
    if (FAILED(hr)) {
        std::printf("Cannot Rend demux\n");
        AbandonGraph();
        return hr;
    }
    if (!GetTunerDemodPins()) {
        // The run goes on without the tuner's pin interfaces (no PID-filter command).
        std::printf("Getting tuner/demod pin pointers failed\n");
        AbandonGraph();
        return hr;
    }
    graphBuilt = true;
    graphFailed = false;
    return S_OK;
}

HRESULT BdaGraph::LoadNetworkProvider(BSTR name) {
    OwnedBstr ownedName(name);
    if (!pGraphBuilder)
        return E_POINTER;
    HRESULT hr;
    if (!pTuningSpace) {
        hr = CreateTuningSpace(CopyBstr(ownedName.get()).release());
        if (FAILED(hr) || !pTuningSpace) {
            std::printf("Cannot create tuning space!\n");
            return E_FAIL;
        }
    }
    BSTR networkTypeText = nullptr;
    hr = pTuningSpace->get_NetworkType(&networkTypeText);
    OwnedBstr networkType(networkTypeText);
    if (FAILED(hr)) {
        std::printf("ITuningSpace::Get Network Type failed\n");
        return hr;
    }
    CLSID networkProviderClass;
    hr = CLSIDFromString(networkType.get(), &networkProviderClass);
    if (FAILED(hr)) {
        std::printf("Couldn't get CLSIDFromString\n");
        return hr;
    }
    hr = CoCreateInstance(networkProviderClass, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                          reinterpret_cast<void**>(&pNetworkProvider));
    if (FAILED(hr) || !pNetworkProvider) {
        std::printf("Couldn't CoCreate Network Provider\n");
        return FAILED(hr) ? hr : E_POINTER;
    }
    return pGraphBuilder->AddFilter(pNetworkProvider.Get(), L"Network Provider");
}

HRESULT BdaGraph::LoadDemux() {
    if (!pGraphBuilder)
        return E_POINTER;
    HRESULT hr = CoCreateInstance(CLSID_MPEG2Demultiplexer, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IBaseFilter, reinterpret_cast<void**>(&pDemux));
    if (FAILED(hr) || !pDemux) {
        std::printf("Could not CoCreateInstance CLSID_MPEG2Demultiplexer\n");
        return FAILED(hr) ? hr : E_POINTER;
    }
    hr = pGraphBuilder->AddFilter(pDemux.Get(), L"Demux");
    if (FAILED(hr))
        std::printf("Unable to add demux filter to graph\n");
    return hr;
}

HRESULT BdaGraph::RenderDemux() {
    // Without the sink there is nothing to render into.
    if (pParserProxy == nullptr || pParserProxy->filter == nullptr || !pDemux || !pGraphBuilder)
        return E_POINTER;
    IBaseFilter* upstream = useCaptureFilter ? pCaptureFilter.Get() : pTunerFilter.Get();
    HRESULT hr = ConnectFilters(upstream, pDemux.Get());
    if (FAILED(hr)) {
        std::printf("Cannot connect demux to capture filter\n");
        return hr;
    }
    // A demultiplexer without this interface gets no outputs: none is created, and the sink
    // finds nothing to connect to.
    ComPtr<IMpeg2Demultiplexer> demux;
    pDemux.QueryInterface(IID_IMpeg2Demultiplexer, demux);

    // Outputs left from before go; the first pin is the input.
    ComPtr<IEnumPins> pins;
    if (demux && SUCCEEDED(pDemux->EnumPins(&pins)) && pins) {
        constexpr ULONG maxPins = 10;
        IPin* fetched[maxPins] = {};
        ULONG count = 0;
        hr = pins->Next(maxPins, fetched, &count);
        if (count > maxPins)
            count = maxPins;
        for (ULONG i = 0; i < count; ++i) {
            PIN_INFO info;
            if (SUCCEEDED(hr) && i > 0 && fetched[i] != nullptr &&
                SUCCEEDED(fetched[i]->QueryPinInfo(&info))) {
                if (info.pFilter != nullptr)
                    info.pFilter->Release();
                info.achName[MAX_PIN_NAME - 1] = 0;
                if (FAILED(demux->DeleteOutputPin(info.achName)))
                    std::printf("Failed to delete a demux pin\n");
            }
            if (fetched[i] != nullptr)
                fetched[i]->Release();
        }
    }

    AM_MEDIA_TYPE sectionType;
    std::memset(&sectionType, 0, sizeof sectionType);
    sectionType.majortype = MEDIATYPE_MPEG2_SECTIONS;
    sectionType.subtype = MEDIASUBTYPE_DVB_SI;

    // The order below decides which filter gets which PIDs: each connection takes the first
    // free output of the demultiplexer.
    if (ComPtr<IPin> patPin = CreateSectionOutput(demux.Get(), &sectionType, L"For MS PSI"))
        MapPids(patPin.Get(), {0x0000});
    hr = LoadFilter(KSCATEGORY_BDA_TRANSPORT_INFORMATION, pTif, pDemux.Get(), FALSE);
    if (FAILED(hr)) {
        std::printf("Cannot load TIF\n");
        return hr;
    }
    if (ComPtr<IPin> siPin = CreateSectionOutput(demux.Get(), &sectionType, L"For Varnel's PSI"))
        MapPids(siPin.Get(), {0x0012, 0x0011});

    ComPtr<IBaseFilter> sink(static_cast<IBaseFilter*>(pParserProxy->filter));
    if (FAILED(pGraphBuilder->AddFilter(sink.Get(), L"Varnel's Filter")))
        std::printf("Failed to load Varnel's Filter\n");
    hr = ConnectFilters(pDemux.Get(), sink.Get());
    if (FAILED(hr)) {
        std::printf("Cannot connect filters\n");
        return hr;
    }
    return S_OK;
}
