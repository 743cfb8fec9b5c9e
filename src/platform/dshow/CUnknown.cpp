#include "platform/dshow/CUnknown.h"

namespace {
std::atomic<LONG> objectsActive{0};
}

CBaseObject::CBaseObject(LPCTSTR) {
    ++objectsActive;
}
CBaseObject::~CBaseObject() {
    --objectsActive;
}
LONG CBaseObject::ObjectsActive() {
    return objectsActive.load();
}

CUnknown::CUnknown(LPCTSTR pName, LPUNKNOWN pUnk)
    : CBaseObject(pName), ownUnknown(this), m_pUnknown(pUnk != nullptr ? pUnk : &ownUnknown) {}

CUnknown::CUnknown(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT*) : CUnknown(pName, pUnk) {}

CUnknown::~CUnknown() = default;

STDMETHODIMP CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown)
        return GetInterface(&ownUnknown, ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CUnknown::NonDelegatingAddRef() {
    return static_cast<ULONG>(++m_cRef);
}

STDMETHODIMP_(ULONG) CUnknown::NonDelegatingRelease() {
    const LONG count = --m_cRef;
    if (count == 0) {
        // A stray AddRef/Release pair from the destructor must not delete twice.
        m_cRef = 1;
        delete this;
        return 0;
    }
    return static_cast<ULONG>(count);
}

HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = pUnk;
    pUnk->AddRef();
    return S_OK;
}
