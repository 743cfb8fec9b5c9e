#include "support/FakeTuning.h"

#include "platform/com/Bstr.h"

namespace {

HRESULT CopyOut(const std::wstring& text, BSTR* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

std::wstring Text(BSTR text) {
    return std::wstring(text != nullptr ? text : L"", SysStringLen(text));
}

template <typename T, typename V>
HRESULT Get(T* out, const V& value) {
    if (out == nullptr)
        return E_POINTER;
    *out = value;
    return S_OK;
}

// The factory of a registered class: a new object from make(), queried for riid.
template <typename Make>
ClassFactory FactoryOf(Make make) {
    return [make](IUnknown* outer, REFIID riid, void** ppv) -> HRESULT {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return make()->NonDelegatingQueryInterface(riid, ppv);
    };
}

}  // namespace

// ---- FakeLocator

FakeLocator::FakeLocator(FakeTuningClasses* classes, std::string label)
    : CUnknown(NAME("FakeLocator"), nullptr), label(std::move(label)), classes(classes) {}

STDMETHODIMP FakeLocator::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_ILocator || riid == IID_IDVBSLocator)
        return GetInterface(static_cast<IDVBSLocator*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP FakeLocator::get_CarrierFrequency(LONG* Frequency) {
    return Get(Frequency, carrierFrequency);
}
STDMETHODIMP FakeLocator::put_CarrierFrequency(LONG Frequency) {
    classes->log->Add(label + ".put_CarrierFrequency");
    if (FAILED(classes->settings.putCarrierFrequencyResult))
        return classes->settings.putCarrierFrequencyResult;
    carrierFrequency = Frequency;
    return S_OK;
}
STDMETHODIMP FakeLocator::get_InnerFEC(FECMethod* FEC) {
    return Get(FEC, innerFec);
}
STDMETHODIMP FakeLocator::put_InnerFEC(FECMethod FEC) {
    classes->log->Add(label + ".put_InnerFEC");
    innerFec = FEC;
    return S_OK;
}
STDMETHODIMP FakeLocator::get_Modulation(ModulationType* Modulation) {
    return Get(Modulation, modulation);
}
STDMETHODIMP FakeLocator::put_Modulation(ModulationType Modulation) {
    classes->log->Add(label + ".put_Modulation");
    modulation = Modulation;
    return S_OK;
}
STDMETHODIMP FakeLocator::get_SymbolRate(LONG* Rate) {
    return Get(Rate, symbolRate);
}
STDMETHODIMP FakeLocator::put_SymbolRate(LONG Rate) {
    classes->log->Add(label + ".put_SymbolRate");
    symbolRate = Rate;
    return S_OK;
}
STDMETHODIMP FakeLocator::get_SignalPolarisation(Polarisation* PolarisationVal) {
    return Get(PolarisationVal, polarisation);
}
STDMETHODIMP FakeLocator::put_SignalPolarisation(Polarisation PolarisationVal) {
    classes->log->Add(label + ".put_SignalPolarisation");
    polarisation = PolarisationVal;
    return S_OK;
}
STDMETHODIMP FakeLocator::Clone(ILocator** NewLocator) {
    if (NewLocator == nullptr)
        return E_POINTER;
    ComPtr<FakeLocator> copy = classes->NewLocator();
    copy->carrierFrequency = carrierFrequency;
    copy->symbolRate = symbolRate;
    copy->innerFec = innerFec;
    copy->modulation = modulation;
    copy->polarisation = polarisation;
    *NewLocator = static_cast<IDVBSLocator*>(copy.Detach());
    return S_OK;
}

// ---- FakeTuneRequest

FakeTuneRequest::FakeTuneRequest(FakeTuningClasses* classes, std::string label, ITuningSpace* space)
    : CUnknown(NAME("FakeTuneRequest"), nullptr),
      label(std::move(label)),
      tuningSpace(space),
      classes(classes),
      answersDvb(classes->settings.requestsAnswerDvb) {}

STDMETHODIMP FakeTuneRequest::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_ITuneRequest || (answersDvb && riid == IID_IDVBTuneRequest))
        return GetInterface(static_cast<IDVBTuneRequest*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP FakeTuneRequest::get_TuningSpace(ITuningSpace** TuningSpace) {
    if (TuningSpace == nullptr)
        return E_POINTER;
    return tuningSpace.CopyTo(TuningSpace);
}
STDMETHODIMP FakeTuneRequest::Clone(ITuneRequest**) {
    return E_NOTIMPL;
}
STDMETHODIMP FakeTuneRequest::get_Locator(ILocator** Locator) {
    if (Locator == nullptr)
        return E_POINTER;
    return locator.CopyTo(Locator);
}
STDMETHODIMP FakeTuneRequest::put_Locator(ILocator* Locator) {
    classes->log->Add(label + ".put_Locator");
    if (FAILED(classes->settings.putLocatorResult))
        return classes->settings.putLocatorResult;
    locator = Locator;
    return S_OK;
}
FakeLocator* FakeTuneRequest::Locator() const {
    return dynamic_cast<FakeLocator*>(locator.Get());
}

// ---- FakeTuningSpace

FakeTuningSpace::FakeTuningSpace(FakeTuningClasses* classes, std::string label, bool answersDvbs)
    : CUnknown(NAME("FakeTuningSpace"), nullptr),
      label(std::move(label)),
      classes(classes),
      answersDvbs(answersDvbs) {}

void FakeTuningSpace::Log(const char* method) {
    classes->log->Add(label + "." + method);
}

STDMETHODIMP FakeTuningSpace::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_ITuningSpace ||
        (answersDvbs && (riid == IID_IDVBTuningSpace || riid == IID_IDVBSTuningSpace))) {
        return GetInterface(static_cast<IDVBSTuningSpace*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP FakeTuningSpace::get_UniqueName(BSTR* Name) {
    return CopyOut(uniqueName, Name);
}
STDMETHODIMP FakeTuningSpace::put_UniqueName(BSTR Name) {
    Log("put_UniqueName");
    if (FAILED(classes->settings.putUniqueNameResult))
        return classes->settings.putUniqueNameResult;
    uniqueName = Text(Name);
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::get_FriendlyName(BSTR* Name) {
    return CopyOut(friendlyName, Name);
}
STDMETHODIMP FakeTuningSpace::put_FriendlyName(BSTR Name) {
    Log("put_FriendlyName");
    friendlyName = Text(Name);
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::get_NetworkType(BSTR* NetworkTypeGuid) {
    Log("get_NetworkType");
    if (NetworkTypeGuid == nullptr)
        return E_POINTER;
    *NetworkTypeGuid = nullptr;
    if (FAILED(classes->settings.getNetworkTypeResult))
        return classes->settings.getNetworkTypeResult;
    return CopyOut(classes->settings.networkTypeText.value_or(FormatGuidW(networkType)),
                   NetworkTypeGuid);
}
STDMETHODIMP FakeTuningSpace::get__NetworkType(GUID* NetworkTypeGuid) {
    return Get(NetworkTypeGuid, networkType);
}
STDMETHODIMP FakeTuningSpace::put__NetworkType(REFCLSID NetworkTypeGuid) {
    Log("put__NetworkType");
    if (FAILED(classes->settings.putNetworkTypeResult))
        return classes->settings.putNetworkTypeResult;
    networkType = NetworkTypeGuid;
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::CreateTuneRequest(ITuneRequest** TuneRequest) {
    Log("CreateTuneRequest");
    if (TuneRequest == nullptr)
        return E_POINTER;
    *TuneRequest = nullptr;
    if (FAILED(classes->settings.createTuneRequestResult))
        return classes->settings.createTuneRequestResult;
    ComPtr<FakeTuneRequest> request = classes->NewRequest(this);
    *TuneRequest = static_cast<IDVBTuneRequest*>(request.Detach());
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::get_FrequencyMapping(BSTR* pMapping) {
    return CopyOut(frequencyMapping, pMapping);
}
STDMETHODIMP FakeTuningSpace::put_FrequencyMapping(BSTR Mapping) {
    Log("put_FrequencyMapping");
    frequencyMapping = Text(Mapping);
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::get_DefaultLocator(ILocator** LocatorVal) {
    if (LocatorVal == nullptr)
        return E_POINTER;
    return defaultLocator.CopyTo(LocatorVal);
}
STDMETHODIMP FakeTuningSpace::put_DefaultLocator(ILocator* LocatorVal) {
    Log("put_DefaultLocator");
    defaultLocator = LocatorVal;
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::Clone(ITuningSpace** NewTS) {
    Log("Clone");
    if (NewTS == nullptr)
        return E_POINTER;
    *NewTS = nullptr;
    if (FAILED(classes->settings.cloneResult))
        return classes->settings.cloneResult;
    ComPtr<FakeTuningSpace> copy = classes->NewSpace(classes->settings.clonesAnswerDvbs);
    copy->uniqueName = uniqueName;
    copy->friendlyName = friendlyName;
    copy->frequencyMapping = frequencyMapping;
    copy->networkType = networkType;
    copy->systemType = systemType;
    copy->lowOscillator = lowOscillator;
    copy->highOscillator = highOscillator;
    copy->lnbSwitch = lnbSwitch;
    if (defaultLocator) {
        HRESULT hr = defaultLocator->Clone(&copy->defaultLocator);
        if (FAILED(hr))
            return hr;
    }
    *NewTS = static_cast<IDVBSTuningSpace*>(copy.Detach());
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::get_SystemType(DVBSystemType* SysType) {
    return Get(SysType, systemType);
}
STDMETHODIMP FakeTuningSpace::put_SystemType(DVBSystemType SysType) {
    Log("put_SystemType");
    if (FAILED(classes->settings.putSystemTypeResult))
        return classes->settings.putSystemTypeResult;
    systemType = SysType;
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::get_LowOscillator(LONG* LowOscillator) {
    return Get(LowOscillator, lowOscillator);
}
STDMETHODIMP FakeTuningSpace::put_LowOscillator(LONG LowOscillator) {
    Log("put_LowOscillator");
    lowOscillator = LowOscillator;
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::get_HighOscillator(LONG* HighOscillator) {
    return Get(HighOscillator, highOscillator);
}
STDMETHODIMP FakeTuningSpace::put_HighOscillator(LONG HighOscillator) {
    Log("put_HighOscillator");
    highOscillator = HighOscillator;
    return S_OK;
}
STDMETHODIMP FakeTuningSpace::get_LNBSwitch(LONG* LNBSwitch) {
    return Get(LNBSwitch, lnbSwitch);
}
STDMETHODIMP FakeTuningSpace::put_LNBSwitch(LONG LNBSwitch) {
    Log("put_LNBSwitch");
    lnbSwitch = LNBSwitch;
    return S_OK;
}
FakeLocator* FakeTuningSpace::DefaultLocator() const {
    return dynamic_cast<FakeLocator*>(defaultLocator.Get());
}

// ---- FakeTuner

ComPtr<FakeTuner> FakeTuner::Create(std::shared_ptr<CallLog> log) {
    return ComPtr<FakeTuner>(new FakeTuner(std::move(log)));
}

FakeTuner::FakeTuner(std::shared_ptr<CallLog> log)
    : CUnknown(NAME("FakeTuner"), nullptr), log(std::move(log)) {}

STDMETHODIMP FakeTuner::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_ITuner)
        return GetInterface(static_cast<ITuner*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}
STDMETHODIMP FakeTuner::get_TuneRequest(ITuneRequest** TuneRequest) {
    if (TuneRequest == nullptr)
        return E_POINTER;
    *TuneRequest = nullptr;
    return requests.empty() ? S_FALSE : requests.back().CopyTo(TuneRequest);
}
STDMETHODIMP FakeTuner::put_TuneRequest(ITuneRequest* TuneRequest) {
    if (log)
        log->Add("tuner.put_TuneRequest");
    if (FAILED(putTuneRequestResult))
        return putTuneRequestResult;
    requests.emplace_back(TuneRequest);
    return S_OK;
}

// ---- FakeTuningClasses

FakeTuningClasses::FakeTuningClasses(std::shared_ptr<CallLog> log) : log(std::move(log)) {
    spaceClass = RegisterClass(CLSID_DVBSTuningSpace, FactoryOf([this] { return NewSpace(true); }));
    locatorClass = RegisterClass(CLSID_DVBSLocator, FactoryOf([this] { return NewLocator(); }));
}

FakeTuningClasses::~FakeTuningClasses() = default;

ComPtr<FakeTuningSpace> FakeTuningClasses::NewSpace(bool answersDvbs) {
    ComPtr<FakeTuningSpace> space(
        new FakeTuningSpace(this, "space" + std::to_string(spaces.size() + 1), answersDvbs));
    spaces.push_back(space);
    return space;
}

ComPtr<FakeLocator> FakeTuningClasses::NewLocator() {
    ComPtr<FakeLocator> locator(
        new FakeLocator(this, "locator" + std::to_string(locators.size() + 1)));
    locators.push_back(locator);
    return locator;
}

ComPtr<FakeTuneRequest> FakeTuningClasses::NewRequest(ITuningSpace* space) {
    ComPtr<FakeTuneRequest> request(
        new FakeTuneRequest(this, "request" + std::to_string(requests.size() + 1), space));
    requests.push_back(request);
    return request;
}
