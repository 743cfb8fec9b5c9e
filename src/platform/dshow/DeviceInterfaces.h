#pragma once
// The system device enumerator's interfaces: a category's devices as monikers, each with a
// property bag ("FriendlyName") and a filter to bind.

#include "platform/com/Variant.h"
#include "platform/dshow/FilterInterfaces.h"

// Bind contexts and error logs are accepted for the Windows signatures and not used: pass null.
struct IBindCtx : IUnknown {};
struct IErrorLog : IUnknown {};

struct IPropertyBag : IUnknown {
    // pVar must be initialised (VariantInit); it receives a VT_BSTR for "FriendlyName".
    STDMETHOD(Read)(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) PURE;
};

struct IMoniker : IUnknown {
    // Creates the device's filter (IID_IBaseFilter): a new instance on every call.
    STDMETHOD(BindToObject)
    (IBindCtx* pbc, IMoniker* pmkToLeft, REFIID riidResult, void** ppvResult) PURE;
    // The device's properties (IID_IPropertyBag).
    STDMETHOD(BindToStorage)(IBindCtx* pbc, IMoniker* pmkToLeft, REFIID riid, void** ppvObj) PURE;
};

struct IEnumMoniker : IUnknown {
    STDMETHOD(Next)(ULONG celt, IMoniker** rgelt, ULONG* pceltFetched) PURE;
    STDMETHOD(Reset)() PURE;
};

struct ICreateDevEnum : IUnknown {
    // S_FALSE and a null enumerator for a category without devices. dwFlags must be 0.
    STDMETHOD(CreateClassEnumerator)
    (REFCLSID clsidDeviceClass, IEnumMoniker** ppEnumMoniker, DWORD dwFlags) PURE;
};

extern const IID IID_IBindCtx;
extern const IID IID_IErrorLog;
extern const IID IID_IPropertyBag;
extern const IID IID_IMoniker;
extern const IID IID_IEnumMoniker;
extern const IID IID_ICreateDevEnum;
