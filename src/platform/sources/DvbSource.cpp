#include "platform/sources/DvbSource.h"

#include <libdvbv5/dvb-frontend.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sources/DvbSignalReading.h"
#include "platform/sources/DvbTuneSettings.h"

namespace {

bool Offers(DvbFrontend& frontend, uint32_t system) {
    const std::vector<uint32_t> systems = frontend.DeliverySystems();
    return std::find(systems.begin(), systems.end(), system) != systems.end();
}

class WakeDescriptor {
public:
    WakeDescriptor() : fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~WakeDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    WakeDescriptor(const WakeDescriptor&) = delete;
    WakeDescriptor& operator=(const WakeDescriptor&) = delete;
    void Signal() const {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(fd, &one, sizeof one);
    }
    const int fd;
};

}  // namespace

std::string DvbOpenError(const std::string& path, int error) {
    std::string reason;
    switch (error) {
        case EACCES:
        case EPERM:
            reason = "permission denied (add your user to the 'video' group and log in again)";
            break;
        case EBUSY:
            reason = "busy (another program is using the adapter)";
            break;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            reason = "no such device (is the adapter's driver loaded?)";
            break;
        default:
            reason = std::strerror(error);
            break;
    }
    return "Cannot open " + path + ": " + reason;
}

std::shared_ptr<DvbSource> DvbSource::Open(const DvbFrontendPaths& paths,
                                           std::shared_ptr<DvbDeviceApi> api, Timing timing) {
    // A bind is reported right after the graph's unterminated "Loading filter" text, so the
    // line starts on a line of its own.
    std::unique_ptr<DvbFrontend> frontend;
    if (const int error = api->OpenFrontend(paths, frontend); error != 0 || !frontend) {
        std::printf("\n%s\n", DvbOpenError(paths.frontendPath, error != 0 ? error : EIO).c_str());
        return nullptr;
    }
    if (!Offers(*frontend, SYS_DVBS) && !Offers(*frontend, SYS_DVBS2)) {
        std::printf("\nCannot use %s: not a satellite (DVB-S/S2) frontend\n",
                    paths.frontendPath.c_str());
        return nullptr;
    }
    std::unique_ptr<DvbTransportInput> input;
    std::string failedPath = paths.dvrPath;
    if (const int error = api->OpenTransportInput(paths, input, failedPath); error != 0 || !input) {
        std::printf("\n%s\n", DvbOpenError(failedPath, error != 0 ? error : EIO).c_str());
        return nullptr;
    }
    return std::make_shared<DvbSource>(paths, std::move(api), std::move(frontend), std::move(input),
                                       std::move(timing));
}

DvbSource::DvbSource(DvbFrontendPaths paths, std::shared_ptr<DvbDeviceApi> api,
                     std::unique_ptr<DvbFrontend> frontend,
                     std::unique_ptr<DvbTransportInput> input, Timing timing)
    : paths(std::move(paths)),
      api(std::move(api)),
      frontend(std::move(frontend)),
      input(std::move(input)),
      timing(std::move(timing)) {}

void DvbSource::ReportOnce(const std::string& line) {
    if (line == lastReport)
        return;
    lastReport = line;
    std::fputs(line.c_str(), stdout);
}

// The first tune happens while the graph connects the tuner, after its unterminated "Loading
// filter" text: the line starts on a line of its own. A second tune that fails for the same
// reason says nothing new.
HRESULT DvbSource::TuneFailed(const std::string& reason, HRESULT hr) {
    tuned = false;
    ReportOnce("\nCannot tune " + paths.frontendPath + ": " + reason + "\n");
    return hr;
}

HRESULT DvbSource::Tune(const TuneParameters& parameters) {
    std::string reason;
    const std::optional<DvbTuneSettings> settings = DvbTuneSettingsFor(parameters, reason);
    if (!settings)
        return TuneFailed(reason, E_INVALIDARG);
    if (!Offers(*frontend, settings->deliverySystem)) {
        const bool dvbs2 = settings->deliverySystem == SYS_DVBS2;
        return TuneFailed(std::string("the frontend does not receive ") +
                              (dvbs2 ? "DVB-S2 (set DVBS2=0 for a DVB-S transponder)" : "DVB-S"),
                          E_INVALIDARG);
    }
    if (!api->HasLnb(settings->lnb))
        return TuneFailed("libdvbv5 knows no LNB with " + DescribeDvbLnb(settings->lnb),
                          E_INVALIDARG);
    if (const int error = frontend->Tune(*settings); error != 0) {
        return TuneFailed(DescribeDvbTune(*settings) + ": " + std::strerror(error), E_FAIL);
    }
    tuned = true;
    lockDeadline = timing.now() + kLockWait;
    return S_OK;
}

HRESULT DvbSource::GetSignalStatistics(SignalStatistics& statistics) {
    DvbFrontendReading reading;
    int error = frontend->Read(reading);
    // Lock takes a moment after a tune; the graph reads the signal only once.
    while (error == 0 && (reading.status & FE_HAS_LOCK) == 0 && tuned) {
        const Clock::time_point now = timing.now();
        if (now >= lockDeadline)
            break;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(lockDeadline - now);
        const std::chrono::milliseconds pause = std::min(kLockPoll, left);
        if (timing.sleep)
            timing.sleep(pause);
        else
            std::this_thread::sleep_for(pause);
        error = frontend->Read(reading);
    }
    if (error != 0) {
        ReportOnce("Cannot read the signal of " + paths.frontendPath + ": " + std::strerror(error) +
                   "\n");
        return E_FAIL;
    }
    statistics = SignalStatisticsFrom(reading);
    return S_OK;
}

void DvbSource::Stream(std::stop_token stop, TransportStreamSink& sink) {
    WakeDescriptor wake;
    if (wake.fd < 0) {
        std::printf("%s: cannot wait: %s\n", paths.dvrPath.c_str(), std::strerror(errno));
        return;
    }
    std::stop_callback wakeOnStop(stop, [&wake] { wake.Signal(); });
    if (const int error = input->Start(kPids); error != 0) {
        std::printf("Cannot filter PIDs on %s: %s\n", paths.demuxPath.c_str(),
                    std::strerror(error));
        return;
    }
    std::vector<uint8_t> buffer(kReadSize);
    while (!stop.stop_requested()) {
        pollfd waits[2] = {{input->PollDescriptor(), POLLIN, 0}, {wake.fd, POLLIN, 0}};
        const int ready = ::poll(waits, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            std::printf("%s: cannot wait: %s\n", paths.dvrPath.c_str(), std::strerror(errno));
            break;
        }
        if (waits[1].revents != 0)
            break;
        const ssize_t n = input->Read(buffer.data(), buffer.size());
        if (n > 0) {
            sink.DeliverBytes(buffer.data(), static_cast<size_t>(n));
            continue;
        }
        // An overrun of the dvr buffer loses what it held; what follows is good again.
        if (n == -EOVERFLOW || n == -EAGAIN || n == -EINTR)
            continue;
        if (n == 0 && (waits[0].revents & (POLLHUP | POLLERR)) == 0)
            continue;
        std::printf("Cannot read %s: %s\n", paths.dvrPath.c_str(),
                    n == 0 ? "the device was closed" : std::strerror(static_cast<int>(-n)));
        break;
    }
    input->Stop();
}
