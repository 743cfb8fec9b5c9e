#pragma once
// CEnumPins: the pins of a CBaseFilter in GetPin order. It holds a reference to the filter and
// goes out of sync (VFW_E_ENUM_OUT_OF_SYNC from Next) when the filter's pin version changes;
// Reset brings it back in step from the first pin.

#include "platform/dshow/BaseFilter.h"

class CEnumPins : public CUnknown, public IEnumPins {
public:
    explicit CEnumPins(CBaseFilter* pFilter);
    ~CEnumPins() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override;
    STDMETHODIMP Reset() override;

private:
    CBaseFilter* const filter;
    int position = 0;
    LONG version;
};
