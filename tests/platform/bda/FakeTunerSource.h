#pragma once
// A TunerSource for tests of the tuner filter: records its tunes, reports configured
// statistics, and streams configured buffers (then the end of stream) or, with `endless`,
// waits for stop.

#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/bda/TunerSource.h"

class FakeTunerSource : public TunerSource {
public:
    HRESULT Tune(const TuneParameters& parameters) override {
        std::lock_guard lock(mutex);
        tunes.push_back(parameters);
        return tuneResult;
    }
    HRESULT GetSignalStatistics(SignalStatistics& out) override {
        if (SUCCEEDED(statisticsResult))
            out = statistics;
        return statisticsResult;
    }
    void Stream(std::stop_token stop, TransportStreamSink& sink) override {
        for (const std::vector<uint8_t>& buffer : buffers) {
            if (stop.stop_requested())
                return;
            sink.DeliverBytes(buffer.data(), buffer.size());
        }
        if (endless) {
            std::unique_lock lock(mutex);
            std::condition_variable_any wake;
            wake.wait(lock, stop, [] { return false; });
            return;
        }
        sink.DeliverEndOfStream();
    }

    std::vector<TuneParameters> Tunes() {
        std::lock_guard lock(mutex);
        return tunes;
    }

    HRESULT tuneResult = S_OK;
    SignalStatistics statistics{true, 87, -3000};
    HRESULT statisticsResult = S_OK;
    std::vector<std::vector<uint8_t>> buffers;
    bool endless = false;

private:
    std::mutex mutex;
    std::vector<TuneParameters> tunes;
};

inline bool operator==(const TuneParameters& a, const TuneParameters& b) {
    return a.carrierFrequency == b.carrierFrequency && a.symbolRate == b.symbolRate &&
           a.polarisation == b.polarisation && a.innerFec == b.innerFec &&
           a.modulation == b.modulation && a.lowOscillator == b.lowOscillator &&
           a.highOscillator == b.highOscillator && a.lnbSwitch == b.lnbSwitch;
}
