#pragma once
// A tuner fed by a Linux DVB-S/S2 adapter. Binding takes the frontend (for tuning) and the
// adapter's dvr device; a tune sends the transponder's settings through libdvbv5; the signal is
// read from the frontend's status and statistics, after waiting for lock for at most
// kLockWait since the tune, so that a single reading right after tuning means something; Run
// filters the service information PIDs into the dvr device and delivers what it reads. The
// stream is live: it has no end. The vendor PID-filter command is not taken: Linux drivers have
// no such command, the demux filters by PID instead.
//
// Everything it says goes to standard output as one line each: why the adapter cannot be used
// (at the bind), why a tune failed (once per distinct reason), why the stream stopped.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/bda/TunerSource.h"
#include "platform/sources/DvbDeviceApi.h"

// How a DVB source's wait for lock passes time; tests pass their own.
struct DvbSourceTiming {
    std::function<std::chrono::steady_clock::time_point()> now = [] {
        return std::chrono::steady_clock::now();
    };
    std::function<void(std::chrono::milliseconds)> sleep;  // empty: the thread sleeps
};

class DvbSource : public TunerSource {
public:
    using Clock = std::chrono::steady_clock;
    using Timing = DvbSourceTiming;
    static constexpr std::chrono::milliseconds kLockWait{3000};
    static constexpr std::chrono::milliseconds kLockPoll{50};
    static constexpr size_t kReadSize = 1 << 20;
    // The program association table and the service information tables: SDT/BAT and EIT. The
    // time tables are not needed: a live source runs on the system clock.
    static constexpr uint16_t kPids[] = {0x0000, 0x0011, 0x0012};

    // Takes the frontend and the dvr device. On failure prints one line that starts on a line
    // of its own ("Cannot open <file>: <reason>") and gives null.
    static std::shared_ptr<DvbSource> Open(const DvbFrontendPaths& paths,
                                           std::shared_ptr<DvbDeviceApi> api, Timing timing = {});

    DvbSource(DvbFrontendPaths paths, std::shared_ptr<DvbDeviceApi> api,
              std::unique_ptr<DvbFrontend> frontend, std::unique_ptr<DvbTransportInput> input,
              Timing timing);

    HRESULT Tune(const TuneParameters& parameters) override;
    HRESULT GetSignalStatistics(SignalStatistics& statistics) override;
    // Waits for the dvr device until stop is requested; a stop request wakes the wait at once.
    void Stream(std::stop_token stop, TransportStreamSink& sink) override;
    bool AcceptsVendorPidFilter() const override { return false; }

private:
    // Prints `line` unless it was the last thing this source said.
    void ReportOnce(const std::string& line);
    HRESULT TuneFailed(const std::string& reason, HRESULT hr);

    const DvbFrontendPaths paths;
    const std::shared_ptr<DvbDeviceApi> api;
    const std::unique_ptr<DvbFrontend> frontend;
    const std::unique_ptr<DvbTransportInput> input;
    const Timing timing;
    bool tuned = false;
    Clock::time_point lockDeadline;
    std::string lastReport;
};

// The words for a failed open of a device file: "Cannot open <path>: <reason>".
std::string DvbOpenError(const std::string& path, int error);
