// The DVB-S tuning space, the tune requests made from it, and the tune after the build.
#include <cstdio>

#include "graph/BdaGraph.h"
#include "graph/OwnedBstr.h"
#include "platform/com/ClassRegistry.h"
#include "platform/system/DebugOutput.h"

namespace {

constexpr LONG lnbSwitch = 11700000;       // kHz
constexpr LONG lowOscillator = 9750000;    // kHz
constexpr LONG highOscillator = 10600000;  // kHz

Polarisation PolarisationOf(BYTE polarisation) {
    return polarisation == 0 ? BDA_POLARISATION_LINEAR_V : BDA_POLARISATION_LINEAR_H;
}

ModulationType ModulationOf(LONG dvbs2) {
    switch (dvbs2) {
        case 0:
            return BDA_MOD_QPSK;
        case 2:
            return BDA_MOD_8PSK;
        default:
            return BDA_MOD_8VSB;
    }
}

}  // namespace

HRESULT BdaGraph::CreateTuningSpace(BSTR name) {
    OwnedBstr uniqueName(name);
    ComPtr<IDVBSTuningSpace> tuningSpace;
    HRESULT hr = CoCreateInstance(CLSID_DVBSTuningSpace, nullptr, CLSCTX_ALL, IID_IDVBSTuningSpace,
                                  reinterpret_cast<void**>(&tuningSpace));
    if (FAILED(hr) || !tuningSpace) {
        // No line end: the caller's message completes the line.
        std::printf("Failed to create system tuning space.");
        return S_OK;
    }
    if (OwnedBstr mapping = MakeBstr(L"-1"))
        tuningSpace->put_FrequencyMapping(mapping.get());
    hr = tuningSpace->put_UniqueName(uniqueName.get());
    if (FAILED(hr))
        return hr;
    hr = tuningSpace->put_SystemType(DVB_Satellite);
    if (FAILED(hr))
        return hr;
    hr = tuningSpace->put__NetworkType(CLSID_DVBSNetworkProvider);
    if (FAILED(hr))
        return hr;
    if (OwnedBstr friendlyName = MakeBstr(L"Tavolin DVBS"))
        tuningSpace->put_FriendlyName(friendlyName.get());

    ComPtr<IDVBSLocator> locator;
    hr = CoCreateInstance(CLSID_DVBSLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IDVBSLocator,
                          reinterpret_cast<void**>(&locator));
    if (FAILED(hr) || !locator)
        return FAILED(hr) ? hr : E_POINTER;
    locator->put_CarrierFrequency(carrierFrequency);
    locator->put_SymbolRate(symbolRate);
    locator->put_SignalPolarisation(PolarisationOf(polarisation));
    locator->put_InnerFEC(BDA_FEC_VITERBI);
    locator->put_Modulation(ModulationOf(dvbs2));
    tuningSpace->put_DefaultLocator(locator.Get());

    hr = tuningSpace->Clone(&pTuningSpace);
    if (FAILED(hr))
        pTuningSpace.Release();
    return hr;
}

HRESULT BdaGraph::CreateTuneRequest(IDVBTuneRequest** out) {
    if (out == nullptr) {
        OutputDebugStringA("Invalid pointer\n");
        return E_POINTER;
    }
    if (!pTuningSpace) {
        std::printf("Tuning Space is NULL\n");
        return E_FAIL;
    }
    ComPtr<IDVBSTuningSpace> tuningSpace;
    if (FAILED(pTuningSpace.QueryInterface(IID_IDVBSTuningSpace, tuningSpace)) || !tuningSpace) {
        std::printf("Cannot QI for an IDVBSTuningSpace\n");
        return E_FAIL;
    }
    // These change the graph's tuning space itself, on every request.
    tuningSpace->put_LNBSwitch(lnbSwitch);
    tuningSpace->put_LowOscillator(lowOscillator);
    tuningSpace->put_HighOscillator(highOscillator);

    ComPtr<ITuneRequest> request;
    HRESULT hr = pTuningSpace->CreateTuneRequest(&request);
    if (FAILED(hr) || !request) {
        std::printf("CreateTuneRequest: Can't create tune request.\n");
        return FAILED(hr) ? hr : E_POINTER;
    }
    ComPtr<IDVBTuneRequest> dvbRequest;
    if (FAILED(request.QueryInterface(IID_IDVBTuneRequest, dvbRequest)) || !dvbRequest) {
        std::printf("CreateDVBSTuneRequest: Can't QI for IDVBTuneRequest.\n");
        return E_FAIL;
    }

    ComPtr<IDVBSLocator> locator;
    hr = CoCreateInstance(CLSID_DVBSLocator, nullptr, CLSCTX_ALL, IID_IDVBSLocator,
                          reinterpret_cast<void**>(&locator));
    if (FAILED(hr) || !locator)
        return FAILED(hr) ? hr : E_POINTER;
    hr = locator->put_CarrierFrequency(carrierFrequency);
    if (FAILED(hr)) {
        std::printf("put_CarrierFrequency failed\n");
        return hr;
    }
    locator->put_SymbolRate(symbolRate);
    locator->put_SignalPolarisation(PolarisationOf(polarisation));
    locator->put_InnerFEC(BDA_FEC_VITERBI);
    locator->put_Modulation(ModulationOf(dvbs2));
    hr = dvbRequest->put_Locator(locator.Get());
    if (FAILED(hr)) {
        std::printf("Cannot put the locator\n");
        return hr;
    }
    *out = nullptr;
    return request->QueryInterface(IID_IDVBTuneRequest, reinterpret_cast<void**>(out));
}

HRESULT BdaGraph::SubmitTuneRequest() {
    ComPtr<IDVBTuneRequest> request;
    HRESULT hr = CreateTuneRequest(&request);
    if (FAILED(hr)) {
        std::printf("Cannot create tune request\n");
        TearDownGraph();
        graphFailed = true;
        return hr;
    }
    hr = pTuner ? pTuner->put_TuneRequest(request.Get()) : E_POINTER;
    if (FAILED(hr)) {
        std::printf("Cannot submit the tune request\n");
        TearDownGraph();
        graphFailed = true;
        return hr;
    }
    return hr;
}
