#pragma once
// The interface by which the network provider tunes the tuner device connected below it (on
// Windows a kernel-streaming property of the tuner's node; here a plain interface of our own).

#include "platform/bda/TunerSource.h"

struct IBdaTunerDevice : IUnknown {
    STDMETHOD(Tune)(const TuneParameters* parameters) PURE;
};

extern const IID IID_IBdaTunerDevice;

// The tuner's vendor command property set, which carries the PID-filter command on the input
// pin (property id 0).
extern const GUID KSPROPSETID_VendorPidFilter;

// IKsPropertySet::Set for a property set the pin does not know.
constexpr HRESULT E_PROP_SET_UNSUPPORTED = MakeFailure(0x80070492);
constexpr HRESULT E_PROP_ID_UNSUPPORTED = MakeFailure(0x80070490);
