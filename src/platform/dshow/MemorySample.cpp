#include "platform/dshow/MemorySample.h"

#include <cassert>

CMemorySample::CMemorySample(const BYTE* data, LONG length)
    : data(const_cast<BYTE*>(data)), length(length) {}

CMemorySample::~CMemorySample() {
    // A receiver that kept a reference would now hold a dangling sample.
    assert(references == 0 && "a receiver kept the sample after Receive");
}

void CMemorySample::SetData(const BYTE* newData, LONG newLength) {
    data = const_cast<BYTE*>(newData);
    length = newLength;
}

STDMETHODIMP CMemorySample::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IMediaSample || riid == IID_IUnknown) {
        *ppv = static_cast<IMediaSample*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CMemorySample::AddRef() {
    return static_cast<ULONG>(++references);
}

STDMETHODIMP_(ULONG) CMemorySample::Release() {
    return static_cast<ULONG>(--references);
}

STDMETHODIMP CMemorySample::GetPointer(BYTE** ppBuffer) {
    if (ppBuffer == nullptr)
        return E_POINTER;
    *ppBuffer = data;
    return S_OK;
}

STDMETHODIMP_(LONG) CMemorySample::GetSize() {
    return length;
}

STDMETHODIMP_(LONG) CMemorySample::GetActualDataLength() {
    return length;
}
