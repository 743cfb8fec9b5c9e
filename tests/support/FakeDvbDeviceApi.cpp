#include "support/FakeDvbDeviceApi.h"

#include <fcntl.h>
#include <libdvbv5/dvb-frontend.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

class FakeDvbFrontend final : public DvbFrontend {
public:
    explicit FakeDvbFrontend(FakeDvbDeviceApi& api) : api(api) {}
    std::vector<uint32_t> DeliverySystems() override { return api.deliverySystems; }
    int Tune(const DvbTuneSettings& settings) override {
        api.tunes.push_back(settings);
        return api.tuneError;
    }
    int Read(DvbFrontendReading& reading) override {
        ++api.reads;
        if (api.readError != 0)
            return api.readError;
        if (!api.readings.empty()) {
            reading = api.readings.front();
            if (api.readings.size() > 1)
                api.readings.pop_front();
        }
        return 0;
    }

private:
    FakeDvbDeviceApi& api;
};

class FakeDvbTransportInput final : public DvbTransportInput {
public:
    explicit FakeDvbTransportInput(FakeDvbDeviceApi& api) : api(api) {}
    int PollDescriptor() override { return api.pipeRead; }
    int Start(std::span<const uint16_t> pids) override {
        api.starts.emplace_back(pids.begin(), pids.end());
        return api.startError;
    }
    void Stop() override { ++api.stops; }
    ssize_t Read(uint8_t* buffer, size_t size) override {
        if (!api.readResults.empty()) {
            const ssize_t result = api.readResults.front();
            api.readResults.pop_front();
            return result;
        }
        const ssize_t n = ::read(api.pipeRead, buffer, size);
        return n < 0 ? -errno : n;
    }

private:
    FakeDvbDeviceApi& api;
};

FakeDvbDeviceApi::FakeDvbDeviceApi() : deliverySystems{SYS_DVBS, SYS_DVBS2} {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        pipeRead = ends[0];
        pipeWrite = ends[1];
    }
    DvbFrontendReading locked;
    locked.status = FE_HAS_SIGNAL | FE_HAS_CARRIER | FE_HAS_VITERBI | FE_HAS_SYNC | FE_HAS_LOCK;
    readings.push_back(locked);
}

FakeDvbDeviceApi::~FakeDvbDeviceApi() {
    CloseFeed();
    if (pipeRead >= 0)
        ::close(pipeRead);
}

int FakeDvbDeviceApi::ReadFrontendName(const DvbFrontendPaths& paths, std::string& name) {
    const std::filesystem::path path(paths.frontendPath);
    const auto found = names.find((path.parent_path().filename() / path.filename()).string());
    if (found == names.end())
        return nameError;
    name = found->second;
    return 0;
}

int FakeDvbDeviceApi::OpenFrontend(const DvbFrontendPaths& paths,
                                   std::unique_ptr<DvbFrontend>& frontend) {
    openedFrontends.push_back(paths.frontendPath);
    if (openFrontendError != 0)
        return openFrontendError;
    frontend = std::make_unique<FakeDvbFrontend>(*this);
    return 0;
}

int FakeDvbDeviceApi::OpenTransportInput(const DvbFrontendPaths& paths,
                                         std::unique_ptr<DvbTransportInput>& input,
                                         std::string& failedPath) {
    if (openInputError != 0) {
        failedPath = openInputFailsOnDemux ? paths.demuxPath : paths.dvrPath;
        return openInputError;
    }
    input = std::make_unique<FakeDvbTransportInput>(*this);
    return 0;
}

bool FakeDvbDeviceApi::HasLnb(const DvbLnb&) {
    return hasLnb;
}

void FakeDvbDeviceApi::Feed(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(pipeWrite, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

void FakeDvbDeviceApi::CloseFeed() {
    if (pipeWrite >= 0)
        ::close(pipeWrite);
    pipeWrite = -1;
}

DvbSource::Timing FakeDvbDeviceApi::Timing() {
    DvbSource::Timing timing;
    timing.now = [this] { return now; };
    timing.sleep = [this](std::chrono::milliseconds pause) {
        sleeps.push_back(pause);
        now += pause;
    };
    return timing;
}
