#pragma once
// The process-wide class registry behind CoCreateInstance: which class id makes which object.
//
// The platform's own classes (graph manager, device enumerator, demultiplexer, tuning
// objects, ...) are installed on first use from BuiltinClasses.cpp. Tests register their own
// for a scope: a registration hides the one before it for the same class id until its handle
// goes away, so a test can make a class fail, replace it, or remove it, and the previous
// registration comes back afterwards:
//
//     ClassRegistration failing = RegisterClass(CLSID_FilterGraph, FailingFactory(E_OUTOFMEMORY));
//     ClassRegistration missing = RegisterClass(CLSID_SystemDeviceEnum, nullptr);  // absent
//
// Everything here is thread-safe.

#include <functional>

#include "platform/com/Unknown.h"

// Makes an object and queries it for riid into *ppv (with one reference); outer is the
// aggregating object or null. A factory that does not support aggregation answers a non-null
// outer with CLASS_E_NOAGGREGATION.
using ClassFactory = std::function<HRESULT(IUnknown* outer, REFIID riid, void** ppv)>;

// Removes its registration when destroyed (or on Reset). Move-only.
class ClassRegistration {
public:
    ClassRegistration() = default;
    ClassRegistration(ClassRegistration&& other) noexcept;
    ClassRegistration& operator=(ClassRegistration&& other) noexcept;
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    ~ClassRegistration();
    // Removes the registration now.
    void Reset();
    // Keeps the registration for the rest of the process (the built-in classes).
    void Keep() { id = 0; }

private:
    friend ClassRegistration RegisterClass(REFCLSID clsid, ClassFactory factory);
    explicit ClassRegistration(uint64_t id) : id(id) {}
    uint64_t id = 0;
};

// Registers factory for clsid above any earlier registration. A null factory registers the
// class as absent: CoCreateInstance then gives REGDB_E_CLASSNOTREG.
ClassRegistration RegisterClass(REFCLSID clsid, ClassFactory factory);

// A factory that always fails with hr (for tests of failure paths).
ClassFactory FailingFactory(HRESULT hr);

enum CLSCTX : DWORD {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10,
    CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
    CLSCTX_ALL =
        CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
};

// Every class here is an in-process server: a context without CLSCTX_INPROC_SERVER finds
// nothing (REGDB_E_CLASSNOTREG). An outer object is only accepted together with IID_IUnknown
// (CLASS_E_NOAGGREGATION otherwise). *ppv is null on every failure.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                         void** ppv);

enum COINIT : DWORD {
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2,
};

// Apartments are only counted, per thread: the first call on a thread gives S_OK, later ones
// S_FALSE; each CoUninitialize undoes one. Object creation does not require them.
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
void CoUninitialize();
// How many CoInitializeEx calls of this thread are not yet undone (for tests of shutdown).
LONG CoInitializeCount();

// The platform's own classes; defined in BuiltinClasses.cpp.
void RegisterBuiltinClasses();
