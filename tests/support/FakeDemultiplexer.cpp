#include "support/FakeDemultiplexer.h"

#include <algorithm>

#include "platform/dshow/BaseInputPin.h"
#include "platform/dshow/BaseOutputPin.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/MemorySample.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class StreamInputPin : public CBaseInputPin {
public:
    StreamInputPin(CBaseFilter* filter, CCritSec* lock)
        : CBaseInputPin(NAME("StreamInputPin"), filter, lock, nullptr, L"MPEG-2 Stream") {}
    HRESULT CheckMediaType(const CMediaType*) override { return S_OK; }
};

class SectionOutputPin : public CBaseOutputPin, public IMPEG2PIDMap {
public:
    SectionOutputPin(FakeDemultiplexer* filter, CCritSec* lock, const std::wstring& name,
                     const CMediaType& type)
        : CBaseOutputPin(NAME("SectionOutputPin"), filter, lock, nullptr, name.c_str()),
          demux(filter),
          name(name),
          type(type) {}

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IMPEG2PIDMap && demux->Config().pinsHavePidMap)
            return GetInterface(static_cast<IMPEG2PIDMap*>(this), ppv);
        return CBaseOutputPin::NonDelegatingQueryInterface(riid, ppv);
    }

    STDMETHODIMP MapPID(ULONG culPID, ULONG* pulPID,
                        MEDIA_SAMPLE_CONTENT MediaSampleContent) override {
        demux->Log("MapPID(" + Narrow(name) + ")");
        if (FAILED(demux->Config().mapPidResult))
            return demux->Config().mapPidResult;
        if (pulPID == nullptr)
            return E_POINTER;
        mappings.push_back(
            FakePidMapping{std::vector<ULONG>(pulPID, pulPID + culPID), MediaSampleContent});
        return S_OK;
    }

    HRESULT CheckMediaType(const CMediaType* pmt) override {
        return pmt->MatchesPartial(&type) ? S_OK : S_FALSE;
    }
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override {
        if (iPosition != 0)
            return VFW_S_NO_MORE_ITEMS;
        *pMediaType = type;
        return S_OK;
    }

    FakeDemultiplexer* const demux;
    const std::wstring name;
    const CMediaType type;
    std::vector<FakePidMapping> mappings;
};

}  // namespace

class FakeDemultiplexer::Pins {
public:
    std::unique_ptr<StreamInputPin> input;
    std::vector<std::unique_ptr<SectionOutputPin>> outputs;
    std::vector<std::unique_ptr<SectionOutputPin>> deleted;

    SectionOutputPin* Find(const std::wstring& name) {
        for (auto& output : outputs) {
            if (output->name == name)
                return output.get();
        }
        return nullptr;
    }
};

ClassFactory FakeDemultiplexer::Factory(FakeDemultiplexerConfig config) {
    return [config](IUnknown* outer, REFIID riid, void** ppv) -> HRESULT {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return CreateComObject<FakeDemultiplexer>(riid, ppv, config);
    };
}

FakeDemultiplexer::FakeDemultiplexer(FakeDemultiplexerConfig demuxConfig)
    : CBaseFilter(NAME("FakeDemultiplexer"), nullptr, &lock, CLSID_MPEG2Demultiplexer),
      config(std::move(demuxConfig)),
      pins(std::make_unique<Pins>()) {
    pins->input = std::make_unique<StreamInputPin>(this, &lock);
    for (const std::wstring& name : config.existingOutputs)
        pins->outputs.push_back(
            std::make_unique<SectionOutputPin>(this, &lock, name, CMediaType()));
    if (config.onCreated)
        config.onCreated(this);
}

FakeDemultiplexer::~FakeDemultiplexer() = default;

void FakeDemultiplexer::Log(const std::string& entry) {
    if (config.log)
        config.log->Add("demux." + entry);
}

STDMETHODIMP FakeDemultiplexer::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IMpeg2Demultiplexer && config.answersDemultiplexer)
        return GetInterface(static_cast<IMpeg2Demultiplexer*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

int FakeDemultiplexer::GetPinCount() {
    CAutoLock guard(&lock);
    return 1 + static_cast<int>(pins->outputs.size());
}

CBasePin* FakeDemultiplexer::GetPin(int n) {
    CAutoLock guard(&lock);
    if (n == 0)
        return pins->input.get();
    if (n < 0 || n > static_cast<int>(pins->outputs.size()))
        return nullptr;
    return pins->outputs[static_cast<size_t>(n - 1)].get();
}

STDMETHODIMP FakeDemultiplexer::CreateOutputPin(AM_MEDIA_TYPE* pMediaType, LPWSTR pszPinName,
                                                IPin** ppIPin) {
    if (pMediaType == nullptr || pszPinName == nullptr || ppIPin == nullptr)
        return E_POINTER;
    *ppIPin = nullptr;
    const std::wstring name = pszPinName;
    Log("CreateOutputPin(" + Narrow(name) + ")");
    if (std::find(config.failingOutputs.begin(), config.failingOutputs.end(), name) !=
        config.failingOutputs.end()) {
        return E_FAIL;
    }
    CAutoLock guard(&lock);
    if (pins->Find(name) != nullptr)
        return E_INVALIDARG;
    pins->outputs.push_back(
        std::make_unique<SectionOutputPin>(this, &lock, name, CMediaType(*pMediaType)));
    IncrementPinVersion();
    IPin* pin = pins->outputs.back().get();
    pin->AddRef();
    *ppIPin = pin;
    return S_OK;
}

STDMETHODIMP FakeDemultiplexer::DeleteOutputPin(LPWSTR pszPinName) {
    if (pszPinName == nullptr)
        return E_POINTER;
    const std::wstring name = pszPinName;
    Log("DeleteOutputPin(" + Narrow(name) + ")");
    if (FAILED(config.deleteOutputPinResult))
        return config.deleteOutputPinResult;
    CAutoLock guard(&lock);
    auto it = std::find_if(pins->outputs.begin(), pins->outputs.end(),
                           [&](const auto& output) { return output->name == name; });
    if (it == pins->outputs.end())
        return VFW_E_NOT_FOUND;
    if (IPin* peer = (*it)->GetConnected()) {
        peer->Disconnect();
        (*it)->Disconnect();
    }
    pins->deleted.push_back(std::move(*it));
    pins->outputs.erase(it);
    IncrementPinVersion();
    return S_OK;
}

std::vector<std::wstring> FakeDemultiplexer::OutputNames() {
    CAutoLock guard(&lock);
    std::vector<std::wstring> names;
    for (auto& output : pins->outputs)
        names.push_back(output->name);
    return names;
}

std::vector<FakePidMapping> FakeDemultiplexer::Mappings(const std::wstring& output) {
    CAutoLock guard(&lock);
    SectionOutputPin* pin = pins->Find(output);
    return pin != nullptr ? pin->mappings : std::vector<FakePidMapping>{};
}

AM_MEDIA_TYPE FakeDemultiplexer::OutputType(const std::wstring& output) {
    CAutoLock guard(&lock);
    SectionOutputPin* pin = pins->Find(output);
    AM_MEDIA_TYPE type = CMediaType();
    if (pin != nullptr) {
        type = pin->type;
        type.cbFormat = 0;  // the copy carries no format block
        type.pbFormat = nullptr;
    }
    return type;
}

std::wstring FakeDemultiplexer::PeerFilterName(const std::wstring& output) {
    SectionOutputPin* pin;
    {
        CAutoLock guard(&lock);
        pin = pins->Find(output);
    }
    if (pin == nullptr || pin->GetConnected() == nullptr)
        return L"";
    PIN_INFO pinInfo;
    if (FAILED(pin->GetConnected()->QueryPinInfo(&pinInfo)))
        return L"";
    FILTER_INFO filterInfo;
    std::wstring name;
    if (SUCCEEDED(pinInfo.pFilter->QueryFilterInfo(&filterInfo))) {
        name = filterInfo.achName;
        if (filterInfo.pGraph != nullptr)
            filterInfo.pGraph->Release();
    }
    pinInfo.pFilter->Release();
    return name;
}

HRESULT FakeDemultiplexer::Deliver(const std::wstring& output, const std::vector<BYTE>& bytes) {
    SectionOutputPin* pin;
    {
        CAutoLock guard(&lock);
        pin = pins->Find(output);
    }
    if (pin == nullptr)
        return E_INVALIDARG;
    CMemorySample sample(bytes.data(), static_cast<LONG>(bytes.size()));
    return pin->Deliver(&sample);
}
