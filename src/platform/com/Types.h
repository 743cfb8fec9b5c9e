#pragma once
// The basic COM types, status codes and declaration macros, with the sizes and values they
// have on Windows, so that code written against them also compiles against the real headers.
// Widths matter: LONG and ULONG are 32 bits here as there; code must use them (never `long`)
// wherever an interface takes one.

#include <cstdint>

using HRESULT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using UINT = unsigned int;
using INT = int;
using BOOL = int;
using BOOLEAN = uint8_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using WCHAR = wchar_t;
using OLECHAR = wchar_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using TCHAR = char;
using LPCTSTR = const TCHAR*;
using LPVOID = void*;
using LPBYTE = BYTE*;
using LCID = DWORD;
using REFERENCE_TIME = LONGLONG;  // 100 ns units

constexpr DWORD INFINITE = 0xFFFFFFFF;  // a timeout without limit

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Calling convention and declaration helpers of COM interfaces. There is no __stdcall here.
#define STDMETHODCALLTYPE
#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE
#define PURE = 0

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

// Status codes as Windows defines them.
constexpr HRESULT MakeFailure(uint32_t code) {
    return static_cast<HRESULT>(code);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT NOERROR = 0;
constexpr HRESULT E_NOTIMPL = MakeFailure(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeFailure(0x80004002);
constexpr HRESULT E_POINTER = MakeFailure(0x80004003);
constexpr HRESULT E_ABORT = MakeFailure(0x80004004);
constexpr HRESULT E_FAIL = MakeFailure(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeFailure(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = MakeFailure(0x80070005);
constexpr HRESULT E_HANDLE = MakeFailure(0x80070006);
constexpr HRESULT E_OUTOFMEMORY = MakeFailure(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeFailure(0x80070057);

constexpr HRESULT CLASS_E_NOAGGREGATION = MakeFailure(0x80040110);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeFailure(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeFailure(0x800401F0);
constexpr HRESULT CO_E_CLASSSTRING = MakeFailure(0x800401F3);
constexpr HRESULT DISP_E_BADVARTYPE = MakeFailure(0x80020008);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeFailure(0x80020005);

// DirectShow status codes.
constexpr HRESULT VFW_E_ENUM_OUT_OF_SYNC = MakeFailure(0x80040203);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = MakeFailure(0x80040204);
constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = MakeFailure(0x80040207);
constexpr HRESULT VFW_E_INVALID_DIRECTION = MakeFailure(0x80040208);
constexpr HRESULT VFW_E_NOT_CONNECTED = MakeFailure(0x80040209);
constexpr HRESULT VFW_E_NOT_FOUND = MakeFailure(0x80040216);
constexpr HRESULT VFW_E_NOT_STOPPED = MakeFailure(0x80040224);
constexpr HRESULT VFW_E_WRONG_STATE = MakeFailure(0x80040227);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = MakeFailure(0x8004022A);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = MakeFailure(0x8004025F);
constexpr HRESULT VFW_S_NO_MORE_ITEMS = 0x00040103;
constexpr HRESULT VFW_S_DUPLICATE_NAME = 0x0004022D;
