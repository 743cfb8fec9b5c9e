#pragma once
// The DVB-S tuning space: names, the network type (the class id of the network provider that
// tunes it), the default locator, the DVB system type and the LNB: oscillator frequencies and
// the switch frequency between them, in kHz. LNB values start "not set" (-1). Strings and the
// default locator are copied in, so a space owns what it holds; Clone copies all of it.

#include <optional>
#include <string>

#include "platform/bda/BdaInterfaces.h"
#include "platform/dshow/CUnknown.h"

class DVBSTuningSpace : public CUnknown, public IDVBSTuningSpace {
public:
    DVBSTuningSpace();

    DECLARE_IUNKNOWN
    // IDVBSTuningSpace, IDVBTuningSpace, ITuningSpace and IUnknown.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // ITuningSpace. A name never put reads as a null BSTR.
    STDMETHODIMP get_UniqueName(BSTR* Name) override;
    STDMETHODIMP put_UniqueName(BSTR Name) override;
    STDMETHODIMP get_FriendlyName(BSTR* Name) override;
    STDMETHODIMP put_FriendlyName(BSTR Name) override;
    // The network type's class id in braced text.
    STDMETHODIMP get_NetworkType(BSTR* NetworkTypeGuid) override;
    STDMETHODIMP get__NetworkType(GUID* NetworkTypeGuid) override;
    STDMETHODIMP put__NetworkType(REFCLSID NetworkTypeGuid) override;
    // A DVB tune request on this space, without a locator of its own.
    STDMETHODIMP CreateTuneRequest(ITuneRequest** TuneRequest) override;
    STDMETHODIMP get_FrequencyMapping(BSTR* pMapping) override;
    STDMETHODIMP put_FrequencyMapping(BSTR Mapping) override;
    // The default locator as it was put (a copy of it); S_FALSE and null when none was.
    STDMETHODIMP get_DefaultLocator(ILocator** LocatorVal) override;
    STDMETHODIMP put_DefaultLocator(ILocator* LocatorVal) override;
    // An independent copy: later changes to either leave the other alone.
    STDMETHODIMP Clone(ITuningSpace** NewTS) override;

    // IDVBTuningSpace
    STDMETHODIMP get_SystemType(DVBSystemType* SysType) override;
    STDMETHODIMP put_SystemType(DVBSystemType SysType) override;

    // IDVBSTuningSpace
    STDMETHODIMP get_LowOscillator(LONG* LowOscillator) override;
    STDMETHODIMP put_LowOscillator(LONG LowOscillator) override;
    STDMETHODIMP get_HighOscillator(LONG* HighOscillator) override;
    STDMETHODIMP put_HighOscillator(LONG HighOscillator) override;
    STDMETHODIMP get_LNBSwitch(LONG* LNBSwitch) override;
    STDMETHODIMP put_LNBSwitch(LONG LNBSwitch) override;

private:
    using Text = std::optional<std::wstring>;  // none: never put (or put as null)

    static HRESULT GetText(const Text& text, BSTR* out);
    static void PutText(Text& text, BSTR value);

    Text uniqueName;
    Text friendlyName;
    Text frequencyMapping;
    CLSID networkType = GUID_NULL;
    ComPtr<ILocator> defaultLocator;
    DVBSystemType systemType = DVB_Satellite;
    LONG lowOscillator = -1;
    LONG highOscillator = -1;
    LONG lnbSwitch = -1;
};
