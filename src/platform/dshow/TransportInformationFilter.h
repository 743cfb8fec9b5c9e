#pragma once
// The transport information filter (TIF) of the BDA graph, offered as a device of
// KSCATEGORY_BDA_TRANSPORT_INFORMATION. Its one input pin takes the demultiplexer's section
// output (MEDIATYPE_MPEG2_SECTIONS) and discards what arrives; the graph needs it only so that
// the PAT output has a taker. As a renderer it reports the end of stream to the graph.

#include <memory>

#include "platform/dshow/BaseFilter.h"
#include "platform/dshow/DeviceRegistry.h"

extern const CLSID CLSID_TransportInformationFilter;

class TransportInformationFilter : public CBaseFilter {
public:
    static constexpr const wchar_t* kFriendlyName = L"BDA MPEG2 Transport Information Filter";

    TransportInformationFilter();
    ~TransportInformationFilter() override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

private:
    class InputPin;
    CCritSec lock;
    std::unique_ptr<InputPin> input;
};

// Adds the TIF to its device category for as long as the handle lives.
[[nodiscard]] DeviceRegistration RegisterTransportInformationFilter();
