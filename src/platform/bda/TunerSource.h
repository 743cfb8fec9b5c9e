#pragma once
// What feeds a tuner device filter: a capture file, a UDP/RTP stream or a DVB adapter. The
// filter (TunerDeviceFilter) is a thin shell that gives any source the BDA face the graph
// expects; the source tunes, reports the signal and produces transport stream bytes.

#include <cstddef>
#include <cstdint>
#include <stop_token>

#include "platform/bda/BdaInterfaces.h"

// A tune as the network provider hands it down: the locator's values and the tuning space's
// LNB. -1 (or the enums' NOT_SET) where the request left a value unset.
struct TuneParameters {
    LONG carrierFrequency = -1;  // kHz
    LONG symbolRate = -1;        // ksymbols/s
    Polarisation polarisation = BDA_POLARISATION_NOT_SET;
    FECMethod innerFec = BDA_FEC_METHOD_NOT_SET;
    ModulationType modulation = BDA_MOD_NOT_SET;
    LONG lowOscillator = -1;  // kHz
    LONG highOscillator = -1;
    LONG lnbSwitch = -1;
};

struct SignalStatistics {
    bool locked = false;
    LONG quality = 0;   // percent
    LONG strength = 0;  // as the driver reports it
};

// Where a source puts its bytes: the tuner's transport pin. Both calls are synchronous: when
// they return, everything downstream (demultiplexer, sink, parsers) has handled the bytes.
class TransportStreamSink {
public:
    // Transport stream bytes in any amount, not necessarily whole packets.
    virtual void DeliverBytes(const uint8_t* data, size_t size) = 0;
    // Nothing more will come.
    virtual void DeliverEndOfStream() = 0;

protected:
    ~TransportStreamSink() = default;
};

class TunerSource {
public:
    virtual ~TunerSource() = default;

    // Called on the main thread, before or between runs.
    virtual HRESULT Tune(const TuneParameters& parameters) = 0;
    virtual HRESULT GetSignalStatistics(SignalStatistics& statistics) = 0;

    // Runs on the filter's streaming thread from Run until stop is requested or the source has
    // nothing more to give. Must notice a stop request promptly, also while waiting for data.
    // A source that ends by itself calls sink.DeliverEndOfStream() last.
    virtual void Stream(std::stop_token stop, TransportStreamSink& sink) = 0;

    // Whether the tuner's input pin takes the vendor PID-filter command. Sources that filter
    // nothing by PID take it and have nothing to do; a driver that knows no such command
    // refuses it.
    virtual bool AcceptsVendorPidFilter() const { return true; }
};
