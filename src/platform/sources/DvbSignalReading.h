#pragma once
// A frontend reading as the graph's signal statistics: locked when the frontend has lock;
// strength and quality on the 0-100 scale the run prints.
//  - strength: a relative value 0-65535 proportionally; a level in dBm linearly from -85 dBm
//    (0) to -25 dBm (100), the span satellite tuners see; otherwise 0.
//  - quality: the carrier-to-noise ratio, linearly from 0 dB (0) to 15 dB (100), or
//    proportionally when relative; without it the coarse grade that libdvbv5 derives from the
//    error rates: poor 33, ok 67, good 100, unknown 0.
// Everything is clamped to 0-100.

#include "platform/bda/TunerSource.h"
#include "platform/sources/DvbDeviceApi.h"

SignalStatistics SignalStatisticsFrom(const DvbFrontendReading& reading);
