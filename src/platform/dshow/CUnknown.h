#pragma once
// The reference-counting core of the DirectShow base classes.
//
// A CUnknown has two faces. Its non-delegating side (NonDelegatingQueryInterface/AddRef/
// Release) is the object's own count and interface table. Its IUnknown side, which every
// interface of a derived class answers through DECLARE_IUNKNOWN, forwards to the owner given at
// construction:
//  - constructed with no owner (null), the object owns itself: IUnknown calls reach its own
//    non-delegating side, and it is deleted when that count returns to 0;
//  - constructed with an owner, every IUnknown call (QueryInterface, AddRef, Release) made on
//    any of its interfaces is answered by the owner; the owner's count is the only one, and the
//    owner deletes this object itself.
// The count starts at 0; the first reference is taken by whoever creates the object (see
// CreateComObject). QueryInterface(IID_IUnknown) on the non-delegating side gives the object's
// own IUnknown, so for an object without owner that pointer is its identity.

#include <atomic>
#include <utility>

#include "platform/com/ClassRegistry.h"
#include "platform/com/Unknown.h"

struct INonDelegatingUnknown {
    STDMETHOD(NonDelegatingQueryInterface)(REFIID riid, LPVOID* ppv) PURE;
    STDMETHOD_(ULONG, NonDelegatingAddRef)() PURE;
    STDMETHOD_(ULONG, NonDelegatingRelease)() PURE;
};
using PNDUNK = INonDelegatingUnknown*;

// Object names are for debugging only; NAME("...") compiles to nothing.
#define NAME(_x) (static_cast<LPCTSTR>(nullptr))

// Counts live objects, so tests can see that everything was deleted.
class CBaseObject {
public:
    explicit CBaseObject(LPCTSTR pName);
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;
    virtual ~CBaseObject();
    static LONG ObjectsActive();
};

class CUnknown : public INonDelegatingUnknown, public CBaseObject {
public:
    CUnknown(LPCTSTR pName, LPUNKNOWN pUnk);
    CUnknown(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr);
    ~CUnknown() override;

    // The IUnknown that answers for this object: the owner, or the object itself.
    LPUNKNOWN GetOwner() const { return m_pUnknown; }

    // IID_IUnknown only; E_NOINTERFACE (and null) for anything else.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    // Deletes the object when the count returns to 0.
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

protected:
    std::atomic<LONG> m_cRef{0};

private:
    // The object's own IUnknown, forwarding to the non-delegating side.
    class OwnUnknown : public IUnknown {
    public:
        explicit OwnUnknown(CUnknown* object) : object(object) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
            return object->NonDelegatingQueryInterface(riid, ppv);
        }
        STDMETHODIMP_(ULONG) AddRef() override { return object->NonDelegatingAddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return object->NonDelegatingRelease(); }

    private:
        CUnknown* object;
    };

    OwnUnknown ownUnknown;
    const LPUNKNOWN m_pUnknown;
};

// IUnknown for a class that derives from CUnknown and one or more interfaces: every call goes
// to the owner.
#define DECLARE_IUNKNOWN                                            \
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { \
        return GetOwner()->QueryInterface(riid, ppv);               \
    }                                                               \
    STDMETHODIMP_(ULONG) AddRef() override {                        \
        return GetOwner()->AddRef();                                \
    }                                                               \
    STDMETHODIMP_(ULONG) Release() override {                       \
        return GetOwner()->Release();                               \
    }

// Hands out pUnk with a new reference: the tail of every QueryInterface.
HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv);

// Creates a T (a CUnknown without owner) and queries it for riid. On failure the object is
// deleted again and *ppv is null.
template <typename T, typename... Args>
HRESULT CreateComObject(REFIID riid, void** ppv, Args&&... args) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    T* object = new T(std::forward<Args>(args)...);
    object->NonDelegatingAddRef();
    HRESULT hr = object->NonDelegatingQueryInterface(riid, ppv);
    object->NonDelegatingRelease();
    return hr;
}

// A class factory for CoCreateInstance that makes a T from copies of args; no aggregation.
template <typename T, typename... Args>
ClassFactory MakeClassFactory(Args... args) {
    return [=](IUnknown* outer, REFIID riid, void** ppv) -> HRESULT {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return CreateComObject<T>(riid, ppv, args...);
    };
}
