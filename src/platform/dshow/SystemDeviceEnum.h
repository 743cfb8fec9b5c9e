#pragma once
// The system device enumerator (CLSID_SystemDeviceEnum): ICreateDevEnum over the
// DeviceRegistry. Each enumeration works on a snapshot of the category taken when it is
// created; each moniker offers the device's property bag (BindToStorage, IID_IPropertyBag,
// with "FriendlyName" as VT_BSTR) and a new filter (BindToObject).

#include "platform/dshow/CUnknown.h"
#include "platform/dshow/DeviceInterfaces.h"

class SystemDeviceEnum : public CUnknown, public ICreateDevEnum {
public:
    SystemDeviceEnum();

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP CreateClassEnumerator(REFCLSID clsidDeviceClass, IEnumMoniker** ppEnumMoniker,
                                       DWORD dwFlags) override;
};
