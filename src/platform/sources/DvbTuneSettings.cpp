#include "platform/sources/DvbTuneSettings.h"

#include <libdvbv5/dvb-fe.h>
#include <libdvbv5/dvb-v5-std.h>

#include <cstdint>
#include <limits>

namespace {

std::string Megahertz(int64_t kilohertz) {
    std::string text = std::to_string(kilohertz / 1000);
    if (kilohertz % 1000 != 0)
        text += "." + std::to_string(1000 + kilohertz % 1000).substr(1);
    return text;
}

uint32_t ValueOf(const DvbTuneSettings& settings, uint32_t command) {
    for (const DvbProperty& property : settings.properties) {
        if (property.command == command)
            return property.value;
    }
    return 0;
}

}  // namespace

std::optional<DvbTuneSettings> DvbTuneSettingsFor(const TuneParameters& tune, std::string& reason) {
    if (tune.carrierFrequency <= 0) {
        reason = "no transponder frequency";
        return std::nullopt;
    }
    // The kernel takes symbols per second in 32 bits.
    constexpr int64_t kLargestSymbolRate = std::numeric_limits<uint32_t>::max() / 1000;
    if (tune.symbolRate <= 0 || tune.symbolRate > kLargestSymbolRate) {
        reason = "symbol rate " + std::to_string(tune.symbolRate) + " ksymbols/s is out of range";
        return std::nullopt;
    }
    DvbTuneSettings settings;
    uint32_t polarization = 0;
    switch (tune.polarisation) {
        case BDA_POLARISATION_LINEAR_V:
            polarization = POLARIZATION_V;
            settings.voltage = 13;
            break;
        case BDA_POLARISATION_LINEAR_H:
            polarization = POLARIZATION_H;
            settings.voltage = 18;
            break;
        default:
            reason = "only horizontal and vertical polarisation can be tuned";
            return std::nullopt;
    }
    settings.lnb = {tune.lowOscillator, tune.highOscillator, tune.lnbSwitch};
    if (tune.lowOscillator <= 0 || tune.highOscillator <= 0 || tune.lnbSwitch <= 0) {
        reason = "the LNB's oscillators and switch frequency are not set";
        return std::nullopt;
    }
    settings.highBand = tune.carrierFrequency >= tune.lnbSwitch;

    const auto frequency = static_cast<uint32_t>(tune.carrierFrequency);
    const auto symbolRate = static_cast<uint32_t>(tune.symbolRate) * 1000u;
    if (tune.modulation == BDA_MOD_QPSK) {
        settings.deliverySystem = SYS_DVBS;
        settings.properties = {{DTV_FREQUENCY, frequency},
                               {DTV_INVERSION, INVERSION_AUTO},
                               {DTV_SYMBOL_RATE, symbolRate},
                               {DTV_INNER_FEC, FEC_AUTO},
                               {DTV_POLARIZATION, polarization}};
        return settings;
    }
    settings.deliverySystem = SYS_DVBS2;
    const uint32_t modulation = tune.modulation == BDA_MOD_8PSK ? PSK_8 : QPSK;
    settings.properties = {{DTV_FREQUENCY, frequency},          {DTV_INVERSION, INVERSION_AUTO},
                           {DTV_SYMBOL_RATE, symbolRate},       {DTV_INNER_FEC, FEC_AUTO},
                           {DTV_MODULATION, modulation},        {DTV_PILOT, PILOT_AUTO},
                           {DTV_ROLLOFF, ROLLOFF_AUTO},         {DTV_POLARIZATION, polarization},
                           {DTV_STREAM_ID, NO_STREAM_ID_FILTER}};
    return settings;
}

std::string DescribeDvbLnb(const DvbLnb& lnb) {
    return "oscillators " + Megahertz(lnb.lowOscillator) + "/" + Megahertz(lnb.highOscillator) +
           " MHz, switch at " + Megahertz(lnb.lnbSwitch) + " MHz";
}

std::string DescribeDvbTune(const DvbTuneSettings& settings) {
    const bool dvbs2 = settings.deliverySystem == SYS_DVBS2;
    std::string text = std::to_string(ValueOf(settings, DTV_FREQUENCY)) + " kHz ";
    text += ValueOf(settings, DTV_POLARIZATION) == POLARIZATION_V ? "vertical" : "horizontal";
    text += settings.highBand ? " (high band), " : " (low band), ";
    text += std::to_string(ValueOf(settings, DTV_SYMBOL_RATE) / 1000) + " ksymbols/s, ";
    text += dvbs2 ? "DVB-S2 " : "DVB-S ";
    text += dvbs2 && ValueOf(settings, DTV_MODULATION) == PSK_8 ? "8PSK" : "QPSK";
    return text;
}
