// What a tune becomes for a Linux DVB frontend: delivery system, properties and LNB by
// polarisation, band and modulation; tunes that cannot be made, with their reasons.

#include <gtest/gtest.h>
#include <libdvbv5/dvb-fe.h>
#include <libdvbv5/dvb-v5-std.h>

#include "platform/sources/DvbTuneSettings.h"

namespace {

TuneParameters Tune(LONG frequency, Polarisation polarisation, ModulationType modulation,
                    LONG symbolRate = 27500) {
    TuneParameters tune;
    tune.carrierFrequency = frequency;
    tune.symbolRate = symbolRate;
    tune.polarisation = polarisation;
    tune.innerFec = BDA_FEC_VITERBI;
    tune.modulation = modulation;
    tune.lowOscillator = 9750000;
    tune.highOscillator = 10600000;
    tune.lnbSwitch = 11700000;
    return tune;
}

TEST(DvbTuneSettings, PropertiesByPolarisationBandAndModulation) {
    struct Case {
        LONG frequency;
        Polarisation polarisation;
        ModulationType modulation;
        uint32_t system;
        std::vector<DvbProperty> properties;
        bool highBand;
        int voltage;
    };
    const Case cases[] = {
        {11494000,
         BDA_POLARISATION_LINEAR_V,
         BDA_MOD_QPSK,
         SYS_DVBS,
         {{DTV_FREQUENCY, 11494000},
          {DTV_INVERSION, INVERSION_AUTO},
          {DTV_SYMBOL_RATE, 27500000},
          {DTV_INNER_FEC, FEC_AUTO},
          {DTV_POLARIZATION, POLARIZATION_V}},
         false,
         13},
        {10744000,
         BDA_POLARISATION_LINEAR_H,
         BDA_MOD_QPSK,
         SYS_DVBS,
         {{DTV_FREQUENCY, 10744000},
          {DTV_INVERSION, INVERSION_AUTO},
          {DTV_SYMBOL_RATE, 27500000},
          {DTV_INNER_FEC, FEC_AUTO},
          {DTV_POLARIZATION, POLARIZATION_H}},
         false,
         18},
        {12603000,
         BDA_POLARISATION_LINEAR_H,
         BDA_MOD_8PSK,
         SYS_DVBS2,
         {{DTV_FREQUENCY, 12603000},
          {DTV_INVERSION, INVERSION_AUTO},
          {DTV_SYMBOL_RATE, 27500000},
          {DTV_INNER_FEC, FEC_AUTO},
          {DTV_MODULATION, PSK_8},
          {DTV_PILOT, PILOT_AUTO},
          {DTV_ROLLOFF, ROLLOFF_AUTO},
          {DTV_POLARIZATION, POLARIZATION_H},
          {DTV_STREAM_ID, NO_STREAM_ID_FILTER}},
         true,
         18},
        // The modulation a DVBS2 value other than 0 and 2 leaves on the locator.
        {12303000,
         BDA_POLARISATION_LINEAR_V,
         BDA_MOD_8VSB,
         SYS_DVBS2,
         {{DTV_FREQUENCY, 12303000},
          {DTV_INVERSION, INVERSION_AUTO},
          {DTV_SYMBOL_RATE, 27500000},
          {DTV_INNER_FEC, FEC_AUTO},
          {DTV_MODULATION, QPSK},
          {DTV_PILOT, PILOT_AUTO},
          {DTV_ROLLOFF, ROLLOFF_AUTO},
          {DTV_POLARIZATION, POLARIZATION_V},
          {DTV_STREAM_ID, NO_STREAM_ID_FILTER}},
         true,
         13},
        {11600000,
         BDA_POLARISATION_LINEAR_V,
         BDA_MOD_NOT_SET,
         SYS_DVBS2,
         {{DTV_FREQUENCY, 11600000},
          {DTV_INVERSION, INVERSION_AUTO},
          {DTV_SYMBOL_RATE, 27500000},
          {DTV_INNER_FEC, FEC_AUTO},
          {DTV_MODULATION, QPSK},
          {DTV_PILOT, PILOT_AUTO},
          {DTV_ROLLOFF, ROLLOFF_AUTO},
          {DTV_POLARIZATION, POLARIZATION_V},
          {DTV_STREAM_ID, NO_STREAM_ID_FILTER}},
         false,
         13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frequency);
        std::string reason;
        const std::optional<DvbTuneSettings> settings =
            DvbTuneSettingsFor(Tune(c.frequency, c.polarisation, c.modulation), reason);
        ASSERT_TRUE(settings) << reason;
        EXPECT_EQ(settings->deliverySystem, c.system);
        EXPECT_EQ(settings->properties, c.properties);
        EXPECT_EQ(settings->lnb, (DvbLnb{9750000, 10600000, 11700000}));
        EXPECT_EQ(settings->highBand, c.highBand);
        EXPECT_EQ(settings->voltage, c.voltage);
    }
}

TEST(DvbTuneSettings, TheBandSwitchesAtTheLnbSwitchFrequency) {
    std::string reason;
    EXPECT_FALSE(DvbTuneSettingsFor(Tune(11699999, BDA_POLARISATION_LINEAR_V, BDA_MOD_QPSK), reason)
                     ->highBand);
    EXPECT_TRUE(DvbTuneSettingsFor(Tune(11700000, BDA_POLARISATION_LINEAR_V, BDA_MOD_QPSK), reason)
                    ->highBand);
    // Another LNB's switch counts as given.
    TuneParameters tune = Tune(11800000, BDA_POLARISATION_LINEAR_H, BDA_MOD_QPSK);
    tune.lnbSwitch = 12200000;
    EXPECT_FALSE(DvbTuneSettingsFor(tune, reason)->highBand);
}

TEST(DvbTuneSettings, SymbolRatesInSymbolsPerSecond) {
    std::string reason;
    for (const LONG rate : {1000, 22000, 30000, 45000}) {
        const auto settings = DvbTuneSettingsFor(
            Tune(12303000, BDA_POLARISATION_LINEAR_V, BDA_MOD_QPSK, rate), reason);
        ASSERT_TRUE(settings) << reason;
        EXPECT_EQ(settings->properties[2],
                  (DvbProperty{DTV_SYMBOL_RATE, static_cast<uint32_t>(rate) * 1000}));
    }
}

TEST(DvbTuneSettings, TunesThatCannotBeMadeSayWhy) {
    struct Case {
        TuneParameters tune;
        std::string reason;
    };
    auto with = [](auto change) {
        TuneParameters tune = Tune(12303000, BDA_POLARISATION_LINEAR_V, BDA_MOD_QPSK);
        change(tune);
        return tune;
    };
    const Case cases[] = {
        {with([](TuneParameters& t) { t.carrierFrequency = 0; }), "no transponder frequency"},
        {with([](TuneParameters& t) { t.carrierFrequency = -1; }), "no transponder frequency"},
        {with([](TuneParameters& t) { t.symbolRate = 0; }),
         "symbol rate 0 ksymbols/s is out of range"},
        {with([](TuneParameters& t) { t.symbolRate = -5; }),
         "symbol rate -5 ksymbols/s is out of range"},
        // More would not fit the kernel's 32 bits of symbols per second.
        {with([](TuneParameters& t) { t.symbolRate = 4294968; }),
         "symbol rate 4294968 ksymbols/s is out of range"},
        {with([](TuneParameters& t) { t.polarisation = BDA_POLARISATION_NOT_SET; }),
         "only horizontal and vertical polarisation can be tuned"},
        {with([](TuneParameters& t) { t.polarisation = BDA_POLARISATION_CIRCULAR_L; }),
         "only horizontal and vertical polarisation can be tuned"},
        {with([](TuneParameters& t) { t.lnbSwitch = -1; }),
         "the LNB's oscillators and switch frequency are not set"},
        {with([](TuneParameters& t) { t.highOscillator = 0; }),
         "the LNB's oscillators and switch frequency are not set"},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_FALSE(DvbTuneSettingsFor(c.tune, reason)) << c.reason;
        EXPECT_EQ(reason, c.reason);
    }
    std::string reason;
    EXPECT_TRUE(
        DvbTuneSettingsFor(with([](TuneParameters& t) { t.symbolRate = 4294967; }), reason));
}

TEST(DvbTuneSettings, DescriptionsForMessages) {
    std::string reason;
    EXPECT_EQ(DescribeDvbTune(*DvbTuneSettingsFor(
                  Tune(12303000, BDA_POLARISATION_LINEAR_V, BDA_MOD_8PSK, 27500), reason)),
              "12303000 kHz vertical (high band), 27500 ksymbols/s, DVB-S2 8PSK");
    EXPECT_EQ(DescribeDvbTune(*DvbTuneSettingsFor(
                  Tune(10744000, BDA_POLARISATION_LINEAR_H, BDA_MOD_QPSK, 22000), reason)),
              "10744000 kHz horizontal (low band), 22000 ksymbols/s, DVB-S QPSK");
    EXPECT_EQ(DescribeDvbLnb({9750000, 10600000, 11700000}),
              "oscillators 9750/10600 MHz, switch at 11700 MHz");
    EXPECT_EQ(DescribeDvbLnb({5150000, 5750500, 0}),
              "oscillators 5150/5750.500 MHz, switch at 0 MHz");
}

}  // namespace
