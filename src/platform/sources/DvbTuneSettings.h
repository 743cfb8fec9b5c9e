#pragma once
// From the network provider's tune to what a Linux DVB frontend is sent: the transponder's own
// frequency and polarisation with an LNB like the tuning space's (libdvbv5 works out the
// intermediate frequency, tone and voltage from them; no DiSEqC), the symbol rate, and the
// delivery system by modulation: QPSK is DVB-S, 8PSK is DVB-S2 8PSK, and anything else is
// DVB-S2 QPSK. Code rate, inversion, pilot and roll-off are left to the demodulator.

#include <optional>
#include <string>

#include "platform/bda/TunerSource.h"
#include "platform/sources/DvbDeviceApi.h"

// The settings, or nothing with the reason why the tune cannot be made.
std::optional<DvbTuneSettings> DvbTuneSettingsFor(const TuneParameters& tune, std::string& reason);

// "oscillators 9750/10600 MHz, switch at 11700 MHz"
std::string DescribeDvbLnb(const DvbLnb& lnb);

// "12303000 kHz vertical (high band), 27500 ksymbols/s, DVB-S2 8PSK", for messages.
std::string DescribeDvbTune(const DvbTuneSettings& settings);
