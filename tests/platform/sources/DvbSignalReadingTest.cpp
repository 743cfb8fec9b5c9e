// Frontend readings as the signal the run prints: lock from the status bits, strength and
// quality on 0-100 from relative or decibel statistics, quality from the error-rate grade when
// there is no carrier-to-noise ratio.

#include <gtest/gtest.h>
#include <libdvbv5/dvb-frontend.h>

#include "platform/sources/DvbSignalReading.h"

namespace {

using Scale = DvbStatistic::Scale;

TEST(DvbSignalReading, LockedOnlyWithTheLockBit) {
    DvbFrontendReading reading;
    reading.status = FE_HAS_SIGNAL | FE_HAS_CARRIER | FE_HAS_VITERBI | FE_HAS_SYNC;
    EXPECT_FALSE(SignalStatisticsFrom(reading).locked);
    reading.status = FE_HAS_LOCK;
    EXPECT_TRUE(SignalStatisticsFrom(reading).locked);
}

TEST(DvbSignalReading, StrengthFromRelativeOrDecibelLevels) {
    struct Case {
        DvbStatistic strength;
        LONG percent;
    };
    const Case cases[] = {
        {{Scale::Relative, 0}, 0},       {{Scale::Relative, 65535}, 100},
        {{Scale::Relative, 32768}, 50},  {{Scale::Relative, 655}, 1},
        {{Scale::Relative, 70000}, 100},  // past full scale
        {{Scale::Decibel, -85000}, 0},    // 1/1000 dBm
        {{Scale::Decibel, -25000}, 100}, {{Scale::Decibel, -55000}, 50},
        {{Scale::Decibel, -40000}, 75},  {{Scale::Decibel, -95000}, 0},
        {{Scale::Decibel, -10000}, 100}, {{Scale::NotAvailable, 12345}, 0},
        {{Scale::Counter, 12345}, 0},
    };
    for (const Case& c : cases) {
        DvbFrontendReading reading;
        reading.strength = c.strength;
        EXPECT_EQ(SignalStatisticsFrom(reading).strength, c.percent) << c.strength.value;
    }
}

TEST(DvbSignalReading, QualityFromTheCarrierToNoiseRatioElseTheGrade) {
    struct Case {
        DvbStatistic cnr;
        int grade;
        LONG percent;
    };
    const Case cases[] = {
        {{Scale::Decibel, 0}, 0, 0},  // 1/1000 dB
        {{Scale::Decibel, 15000}, 0, 100},
        {{Scale::Decibel, 7500}, 0, 50},
        {{Scale::Decibel, 9100}, 0, 61},
        {{Scale::Decibel, -2000}, 0, 0},
        {{Scale::Decibel, 21000}, 3, 100},
        // The ratio wins over the grade.
        {{Scale::Decibel, 3000}, 3, 20},
        {{Scale::Relative, 49151}, 1, 75},
        {{Scale::NotAvailable, 0}, 0, 0},
        {{Scale::NotAvailable, 0}, 1, 33},
        {{Scale::NotAvailable, 0}, 2, 67},
        {{Scale::NotAvailable, 0}, 3, 100},
        {{Scale::Counter, 500}, 2, 67},
        {{Scale::NotAvailable, 0}, 7, 0},  // a grade this library does not know
    };
    for (const Case& c : cases) {
        DvbFrontendReading reading;
        reading.cnr = c.cnr;
        reading.qualityGrade = c.grade;
        EXPECT_EQ(SignalStatisticsFrom(reading).quality, c.percent)
            << c.cnr.value << " grade " << c.grade;
    }
}

}  // namespace
