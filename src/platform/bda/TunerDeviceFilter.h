#pragma once
// The tuner device filter: what binding a device of the BDA network tuner category gives. A
// thin BDA shell over a TunerSource:
//  - pins: "MPEG2 Transport" (output) enumerates first, as on real tuners, because the graph
//    takes the first pin a tuner enumerates as its transport pin; then "Input0" (the antenna
//    input, where the network provider connects);
//  - IBDA_Topology: control node (0, 1, 0) (and node type 1) answers IBDA_SignalStatistics
//    from the source;
//  - IBdaTunerDevice: the network provider's tunes, handed to the source;
//  - Run starts a streaming thread on which the source delivers through the transport pin;
//    Stop joins it.

#include <memory>

#include "platform/bda/TunerDevice.h"
#include "platform/bda/TunerPins.h"
#include "platform/dshow/StreamingThread.h"

class TunerDeviceFilter : public CBaseFilter, public IBDA_Topology, public IBdaTunerDevice {
public:
    explicit TunerDeviceFilter(std::shared_ptr<TunerSource> source);
    ~TunerDeviceFilter() override;

    DECLARE_IUNKNOWN
    // IBDA_Topology and IBdaTunerDevice, then CBaseFilter's.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP Stop() override;

    // IBDA_Topology. Input pin id 0, output pin id 1, node type 0 (tuner) or 1 (demodulator);
    // E_INVALIDARG for anything else.
    STDMETHODIMP GetControlNode(ULONG ulInputPinId, ULONG ulOutputPinId, ULONG ulNodeType,
                                IUnknown** ppControlNode) override;

    // IBdaTunerDevice
    STDMETHODIMP Tune(const TuneParameters* parameters) override;

    HRESULT ReadSignalStatistics(SignalStatistics& statistics);

private:
    class PinSink;
    void Stream(std::stop_token stop);

    CCritSec lock;
    std::shared_ptr<TunerSource> source;
    TunerTransportPin transportPin;
    TunerAntennaPin antennaPin;
    StreamingThread thread;  // last: joined before anything it uses goes
};

// A class factory for device registrations: every bind makes a filter over a new source from
// makeSource, which returns null (having said why) when the source cannot be opened; the bind
// then fails with E_FAIL.
ClassFactory TunerDeviceFactory(std::function<std::shared_ptr<TunerSource>()> makeSource);
