#include "platform/sources/DvbSignalReading.h"

#include <libdvbv5/dvb-frontend.h>

#include <algorithm>

namespace {

// `value` from [low, high] onto 0-100, rounded to the nearest, clamped.
LONG Percent(int64_t value, int64_t low, int64_t high) {
    const int64_t clamped = std::clamp(value, low, high);
    return static_cast<LONG>(((clamped - low) * 200 + (high - low)) / ((high - low) * 2));
}

LONG FromRelative(const DvbStatistic& statistic) {
    return Percent(statistic.value, 0, 65535);
}

}  // namespace

SignalStatistics SignalStatisticsFrom(const DvbFrontendReading& reading) {
    SignalStatistics statistics;
    statistics.locked = (reading.status & FE_HAS_LOCK) != 0;

    switch (reading.strength.scale) {
        case DvbStatistic::Scale::Relative:
            statistics.strength = FromRelative(reading.strength);
            break;
        case DvbStatistic::Scale::Decibel:
            statistics.strength = Percent(reading.strength.value, -85000, -25000);
            break;
        default:
            break;
    }

    switch (reading.cnr.scale) {
        case DvbStatistic::Scale::Relative:
            statistics.quality = FromRelative(reading.cnr);
            break;
        case DvbStatistic::Scale::Decibel:
            statistics.quality = Percent(reading.cnr.value, 0, 15000);
            break;
        default: {
            constexpr LONG kByGrade[] = {0, 33, 67, 100};
            const int grade = reading.qualityGrade;
            statistics.quality = grade >= 0 && grade <= 3 ? kByGrade[grade] : 0;
            break;
        }
    }
    return statistics;
}
