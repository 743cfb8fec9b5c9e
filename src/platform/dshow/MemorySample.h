#pragma once
// CMemorySample: an IMediaSample over bytes the caller owns, for one synchronous Deliver.
// It lives on the caller's stack or in its buffers; references are counted but never delete
// it, and a receiver must not keep it (nor write to its bytes) after Receive returns.

#include <atomic>

#include "platform/dshow/FilterInterfaces.h"

class CMemorySample : public IMediaSample {
public:
    CMemorySample(const BYTE* data, LONG length);
    CMemorySample(const CMemorySample&) = delete;
    CMemorySample& operator=(const CMemorySample&) = delete;
    ~CMemorySample();

    // Points the sample at other bytes (between deliveries).
    void SetData(const BYTE* data, LONG length);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetPointer(BYTE** ppBuffer) override;
    STDMETHODIMP_(LONG) GetSize() override;
    STDMETHODIMP_(LONG) GetActualDataLength() override;

private:
    BYTE* data;
    LONG length;
    std::atomic<LONG> references{0};
};
