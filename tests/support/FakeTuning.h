#pragma once
// Fakes of the BDA tuning objects for tests of graph code: the DVB-S tuning space, the DVB-S
// locator, the tune request, and the network provider's tuner interface. They keep every value
// put on them, log each call ("space1.put_UniqueName", "locator2.put_Modulation", ...) and can
// be made to fail step by step.
//
//     FakeTuningClasses tuning;                 // registers the tuning space and locator classes
//     tuning.settings.cloneResult = E_FAIL;     // ITuningSpace::Clone fails
//     ... build ...
//     tuning.spaces[1]->lnbSwitch               // the clone, as the graph left it
//
// Everything the classes create is kept (with a reference) in spaces, locators and requests,
// in creation order, until the FakeTuningClasses goes.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/bda/BdaInterfaces.h"
#include "platform/com/ClassRegistry.h"
#include "platform/dshow/CUnknown.h"
#include "support/CallLog.h"

class FakeTuningClasses;

// Failures and variations; S_OK: the call works.
struct FakeTuningSettings {
    HRESULT putUniqueNameResult = S_OK;
    HRESULT putSystemTypeResult = S_OK;
    HRESULT putNetworkTypeResult = S_OK;
    HRESULT cloneResult = S_OK;
    HRESULT getNetworkTypeResult = S_OK;
    // What get_NetworkType answers instead of the braced network type.
    std::optional<std::wstring> networkTypeText;
    HRESULT createTuneRequestResult = S_OK;
    HRESULT putLocatorResult = S_OK;
    HRESULT putCarrierFrequencyResult = S_OK;
    // Whether clones answer IDVBSTuningSpace, and tune requests IDVBTuneRequest.
    bool clonesAnswerDvbs = true;
    bool requestsAnswerDvb = true;
};

class FakeLocator : public CUnknown, public IDVBSLocator {
public:
    FakeLocator(FakeTuningClasses* classes, std::string label);
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP get_CarrierFrequency(LONG* Frequency) override;
    STDMETHODIMP put_CarrierFrequency(LONG Frequency) override;
    STDMETHODIMP get_InnerFEC(FECMethod* FEC) override;
    STDMETHODIMP put_InnerFEC(FECMethod FEC) override;
    STDMETHODIMP get_Modulation(ModulationType* Modulation) override;
    STDMETHODIMP put_Modulation(ModulationType Modulation) override;
    STDMETHODIMP get_SymbolRate(LONG* Rate) override;
    STDMETHODIMP put_SymbolRate(LONG Rate) override;
    STDMETHODIMP Clone(ILocator** NewLocator) override;
    STDMETHODIMP get_SignalPolarisation(Polarisation* PolarisationVal) override;
    STDMETHODIMP put_SignalPolarisation(Polarisation PolarisationVal) override;

    const std::string label;
    LONG carrierFrequency = -1;
    LONG symbolRate = -1;
    FECMethod innerFec = BDA_FEC_METHOD_NOT_SET;
    ModulationType modulation = BDA_MOD_NOT_SET;
    Polarisation polarisation = BDA_POLARISATION_NOT_SET;

private:
    FakeTuningClasses* const classes;
};

class FakeTuneRequest : public CUnknown, public IDVBTuneRequest {
public:
    FakeTuneRequest(FakeTuningClasses* classes, std::string label, ITuningSpace* space);
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP get_TuningSpace(ITuningSpace** TuningSpace) override;
    STDMETHODIMP Clone(ITuneRequest** NewTuneRequest) override;
    STDMETHODIMP get_Locator(ILocator** Locator) override;
    STDMETHODIMP put_Locator(ILocator* Locator) override;

    const std::string label;
    ComPtr<ITuningSpace> tuningSpace;
    ComPtr<ILocator> locator;
    // The locator as a fake, or null.
    FakeLocator* Locator() const;

private:
    FakeTuningClasses* const classes;
    const bool answersDvb;
};

class FakeTuningSpace : public CUnknown, public IDVBSTuningSpace {
public:
    FakeTuningSpace(FakeTuningClasses* classes, std::string label, bool answersDvbs);
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP get_UniqueName(BSTR* Name) override;
    STDMETHODIMP put_UniqueName(BSTR Name) override;
    STDMETHODIMP get_FriendlyName(BSTR* Name) override;
    STDMETHODIMP put_FriendlyName(BSTR Name) override;
    STDMETHODIMP get_NetworkType(BSTR* NetworkTypeGuid) override;
    STDMETHODIMP get__NetworkType(GUID* NetworkTypeGuid) override;
    STDMETHODIMP put__NetworkType(REFCLSID NetworkTypeGuid) override;
    STDMETHODIMP CreateTuneRequest(ITuneRequest** TuneRequest) override;
    STDMETHODIMP get_FrequencyMapping(BSTR* pMapping) override;
    STDMETHODIMP put_FrequencyMapping(BSTR Mapping) override;
    STDMETHODIMP get_DefaultLocator(ILocator** LocatorVal) override;
    STDMETHODIMP put_DefaultLocator(ILocator* LocatorVal) override;
    STDMETHODIMP Clone(ITuningSpace** NewTS) override;
    STDMETHODIMP get_SystemType(DVBSystemType* SysType) override;
    STDMETHODIMP put_SystemType(DVBSystemType SysType) override;
    STDMETHODIMP get_LowOscillator(LONG* LowOscillator) override;
    STDMETHODIMP put_LowOscillator(LONG LowOscillator) override;
    STDMETHODIMP get_HighOscillator(LONG* HighOscillator) override;
    STDMETHODIMP put_HighOscillator(LONG HighOscillator) override;
    STDMETHODIMP get_LNBSwitch(LONG* LNBSwitch) override;
    STDMETHODIMP put_LNBSwitch(LONG LNBSwitch) override;

    const std::string label;
    std::wstring uniqueName;
    std::wstring friendlyName;
    std::wstring frequencyMapping;
    GUID networkType = GUID_NULL;
    DVBSystemType systemType = DVB_Cable;
    LONG lowOscillator = -1;
    LONG highOscillator = -1;
    LONG lnbSwitch = -1;
    ComPtr<ILocator> defaultLocator;
    FakeLocator* DefaultLocator() const;

private:
    void Log(const char* method);
    FakeTuningClasses* const classes;
    const bool answersDvbs;
};

// The network provider's ITuner: keeps every tune request put on it.
class FakeTuner : public CUnknown, public ITuner {
public:
    static ComPtr<FakeTuner> Create(std::shared_ptr<CallLog> log);
    explicit FakeTuner(std::shared_ptr<CallLog> log);
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP get_TuneRequest(ITuneRequest** TuneRequest) override;
    STDMETHODIMP put_TuneRequest(ITuneRequest* TuneRequest) override;

    HRESULT putTuneRequestResult = S_OK;
    std::vector<ComPtr<ITuneRequest>> requests;  // those accepted, in order

private:
    std::shared_ptr<CallLog> log;
};

// Registers CLSID_DVBSTuningSpace and CLSID_DVBSLocator for its lifetime. Not movable: the
// objects it makes point back to it.
class FakeTuningClasses {
public:
    explicit FakeTuningClasses(std::shared_ptr<CallLog> log = std::make_shared<CallLog>());
    FakeTuningClasses(const FakeTuningClasses&) = delete;
    FakeTuningClasses& operator=(const FakeTuningClasses&) = delete;
    ~FakeTuningClasses();

    FakeTuningSettings settings;
    std::shared_ptr<CallLog> log;
    std::vector<ComPtr<FakeTuningSpace>> spaces;
    std::vector<ComPtr<FakeLocator>> locators;
    std::vector<ComPtr<FakeTuneRequest>> requests;

    // Made by the fakes themselves (clones, tune requests) and by the registered classes.
    ComPtr<FakeTuningSpace> NewSpace(bool answersDvbs);
    ComPtr<FakeLocator> NewLocator();
    ComPtr<FakeTuneRequest> NewRequest(ITuningSpace* space);

private:
    ClassRegistration spaceClass;
    ClassRegistration locatorClass;
};
