#pragma once
// IUnknown, the root of every interface, and ComPtr, an owning interface pointer.
//
// Rules every object here follows: a created or queried interface comes with one reference
// that its receiver releases; QueryInterface for IID_IUnknown always gives the same pointer
// for one object (its identity); reference counts are atomic, so references may be taken
// and dropped on any thread.

#include <utility>

#include "platform/com/Guid.h"

struct IUnknown {
    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) PURE;
    STDMETHOD_(ULONG, AddRef)() PURE;
    STDMETHOD_(ULONG, Release)() PURE;
};
using LPUNKNOWN = IUnknown*;

extern const IID IID_IUnknown;

// Owns one reference to an interface. Copying adds a reference, destruction releases it.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to p (p keeps its own).
    ComPtr(T* p) : ptr(p) {
        if (ptr)
            ptr->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.ptr) {}
    ComPtr(ComPtr&& other) noexcept : ptr(std::exchange(other.ptr, nullptr)) {}
    ~ComPtr() { Release(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(T* p) {
        ComPtr(p).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Release();
        return *this;
    }

    T* Get() const { return ptr; }
    T* operator->() const { return ptr; }
    T& operator*() const { return *ptr; }
    explicit operator bool() const { return ptr != nullptr; }

    // For an out parameter: drops the current reference first, so nothing leaks when the
    // callee fills it in.
    T** operator&() { return ReleaseAndGetAddressOf(); }
    T** ReleaseAndGetAddressOf() {
        Release();
        return &ptr;
    }
    // Address of the pointer as it stands (e.g. to pass it as input array).
    T* const* GetAddressOf() const { return &ptr; }

    // Takes over a reference the caller owns (no AddRef).
    void Attach(T* p) {
        Release();
        ptr = p;
    }
    // Gives up the reference to the caller (no Release).
    T* Detach() { return std::exchange(ptr, nullptr); }
    // Hands out a new reference.
    HRESULT CopyTo(T** pp) const {
        if (pp == nullptr)
            return E_POINTER;
        *pp = ptr;
        if (ptr)
            ptr->AddRef();
        return S_OK;
    }
    // Releases the reference and empties the pointer.
    void Release() {
        if (T* p = std::exchange(ptr, nullptr))
            p->Release();
    }
    void Swap(ComPtr& other) noexcept { std::swap(ptr, other.ptr); }

    // QueryInterface into another ComPtr (or a raw out pointer).
    template <typename U>
    HRESULT QueryInterface(REFIID riid, ComPtr<U>& out) const {
        return QueryInterface(riid, out.ReleaseAndGetAddressOf());
    }
    template <typename U>
    HRESULT QueryInterface(REFIID riid, U** out) const {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (ptr == nullptr)
            return E_POINTER;
        return ptr->QueryInterface(riid, reinterpret_cast<void**>(out));
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.ptr == b.ptr; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.ptr == nullptr; }

private:
    T* ptr = nullptr;
};
