#pragma once
// A DvbDeviceApi for tests: frontends answer with scripted names, delivery systems, tune
// results and readings, and record every tune; the transport input is a pipe whose write end
// the test feeds, with scripted read results (an overrun, say) ahead of the pipe's data. A
// clock that moves only when the source sleeps stands in for the lock wait.

#include <chrono>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/sources/DvbDeviceApi.h"
#include "platform/sources/DvbSource.h"

class FakeDvbDeviceApi : public DvbDeviceApi {
public:
    FakeDvbDeviceApi();
    ~FakeDvbDeviceApi() override;
    FakeDvbDeviceApi(const FakeDvbDeviceApi&) = delete;
    FakeDvbDeviceApi& operator=(const FakeDvbDeviceApi&) = delete;

    int ReadFrontendName(const DvbFrontendPaths& paths, std::string& name) override;
    int OpenFrontend(const DvbFrontendPaths& paths,
                     std::unique_ptr<DvbFrontend>& frontend) override;
    int OpenTransportInput(const DvbFrontendPaths& paths, std::unique_ptr<DvbTransportInput>& input,
                           std::string& failedPath) override;
    bool HasLnb(const DvbLnb& lnb) override;

    // Writes to the transport input's pipe.
    void Feed(const std::vector<uint8_t>& bytes);
    void CloseFeed();
    // A clock for DvbSource that advances by exactly what the source sleeps.
    DvbSource::Timing Timing();

    // Scripts. Frontend names by file name ("frontend0" under "adapter1": "adapter1/frontend0");
    // a frontend without one fails FE_GET_INFO with nameError.
    std::map<std::string, std::string> names;
    int nameError = ENOTTY;
    int openFrontendError = 0;
    int openInputError = 0;
    bool openInputFailsOnDemux = false;  // else on the dvr
    std::vector<uint32_t> deliverySystems;
    int tuneError = 0;
    bool hasLnb = true;
    // Readings in turn; the last one repeats.
    std::deque<DvbFrontendReading> readings;
    int readError = 0;
    int startError = 0;
    std::deque<ssize_t> readResults;  // given before the pipe is read (negative: -errno)

    // Records.
    std::vector<std::string> openedFrontends;
    std::vector<DvbTuneSettings> tunes;
    int reads = 0;
    std::vector<std::chrono::milliseconds> sleeps;
    std::vector<std::vector<uint16_t>> starts;  // on the streaming thread; look after Stop
    int stops = 0;

private:
    friend class FakeDvbFrontend;
    friend class FakeDvbTransportInput;
    int pipeRead = -1;
    int pipeWrite = -1;
    std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
};
