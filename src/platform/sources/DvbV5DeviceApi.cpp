#include "platform/sources/DvbV5DeviceApi.h"

#include <fcntl.h>
#include <libdvbv5/dvb-demux.h>
#include <libdvbv5/dvb-fe.h>
#include <libdvbv5/dvb-sat.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

// libdvbv5 answers with errno values, some negated.
int ErrorOf(int result) {
    return result < 0 ? -result : result;
}

// The library's own lines would go to standard error; the source says what failed itself.
void Quiet(int, const char*, ...) {}

const dvb_sat_lnb* FindLnb(const DvbLnb& wanted) {
    for (int index = 0;; ++index) {
        const dvb_sat_lnb* lnb = dvb_sat_get_lnb(index);
        if (lnb == nullptr)
            return nullptr;
        if (int64_t{lnb->lowfreq} * 1000 == wanted.lowOscillator &&
            int64_t{lnb->highfreq} * 1000 == wanted.highOscillator &&
            int64_t{lnb->rangeswitch} * 1000 == wanted.lnbSwitch)
            return lnb;
    }
}

DvbStatistic StatisticOf(dvb_v5_fe_parms* parms, unsigned command) {
    DvbStatistic statistic;
    const dtv_stats* stats = dvb_fe_retrieve_stats_layer(parms, command, 0);
    if (stats == nullptr)
        return statistic;
    switch (stats->scale) {
        case FE_SCALE_DECIBEL:
            statistic.scale = DvbStatistic::Scale::Decibel;
            statistic.value = stats->svalue;
            break;
        case FE_SCALE_RELATIVE:
            statistic.scale = DvbStatistic::Scale::Relative;
            statistic.value = static_cast<int64_t>(stats->uvalue);
            break;
        case FE_SCALE_COUNTER:
            statistic.scale = DvbStatistic::Scale::Counter;
            statistic.value = static_cast<int64_t>(stats->uvalue);
            break;
        default:
            break;
    }
    return statistic;
}

class DvbV5Frontend final : public DvbFrontend {
public:
    explicit DvbV5Frontend(dvb_v5_fe_parms* parms) : parms(parms) {}
    ~DvbV5Frontend() override { dvb_fe_close(parms); }
    DvbV5Frontend(const DvbV5Frontend&) = delete;
    DvbV5Frontend& operator=(const DvbV5Frontend&) = delete;

    std::vector<uint32_t> DeliverySystems() override {
        std::vector<uint32_t> systems;
        for (int i = 0; i < parms->num_systems && i < MAX_DELIVERY_SYSTEMS; ++i)
            systems.push_back(parms->systems[i]);
        return systems;
    }

    int Tune(const DvbTuneSettings& settings) override {
        const dvb_sat_lnb* lnb = FindLnb(settings.lnb);
        if (lnb == nullptr)
            return EINVAL;
        int result = dvb_set_compat_delivery_system(parms, settings.deliverySystem);
        if (result != 0)
            return ErrorOf(result);
        parms->lnb = lnb;
        parms->sat_number = -1;  // no DiSEqC
        parms->freq_bpf = 0;
        for (const DvbProperty& property : settings.properties) {
            result = dvb_fe_store_parm(parms, property.command, property.value);
            if (result != 0)
                return ErrorOf(result);
        }
        return ErrorOf(dvb_fe_set_parms(parms));
    }

    int Read(DvbFrontendReading& reading) override {
        if (const int result = dvb_fe_get_stats(parms); result != 0)
            return ErrorOf(result);
        reading = {};
        dvb_fe_retrieve_stats(parms, DTV_STATUS, &reading.status);
        reading.strength = StatisticOf(parms, DTV_STAT_SIGNAL_STRENGTH);
        reading.cnr = StatisticOf(parms, DTV_STAT_CNR);
        reading.qualityGrade = dvb_fe_retrieve_quality(parms, 0);
        return 0;
    }

private:
    dvb_v5_fe_parms* const parms;
};

class DvbV5TransportInput final : public DvbTransportInput {
public:
    DvbV5TransportInput(std::string demuxPath, int dvr, int demux)
        : demuxPath(std::move(demuxPath)), dvr(dvr), demuxes{demux} {}
    ~DvbV5TransportInput() override {
        for (const int demux : demuxes)
            ::close(demux);
        ::close(dvr);
    }
    DvbV5TransportInput(const DvbV5TransportInput&) = delete;
    DvbV5TransportInput& operator=(const DvbV5TransportInput&) = delete;

    int PollDescriptor() override { return dvr; }

    // One demux handle per PID, each filtering into the dvr device.
    int Start(std::span<const uint16_t> pids) override {
        while (demuxes.size() < pids.size()) {
            const int demux = ::open(demuxPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (demux < 0)
                return errno;
            demuxes.push_back(demux);
        }
        for (size_t i = 0; i < pids.size(); ++i) {
            if (dvb_set_pesfilter(demuxes[i], pids[i], DMX_PES_OTHER, DMX_OUT_TS_TAP, 0) != 0)
                return errno != 0 ? errno : EIO;
        }
        return 0;
    }

    void Stop() override {
        for (const int demux : demuxes)
            dvb_dmx_stop(demux);
    }

    ssize_t Read(uint8_t* buffer, size_t size) override {
        const ssize_t n = ::read(dvr, buffer, size);
        return n < 0 ? -errno : n;
    }

private:
    const std::string demuxPath;
    const int dvr;
    std::vector<int> demuxes;
};

class DvbV5DeviceApi final : public DvbDeviceApi {
public:
    int ReadFrontendName(const DvbFrontendPaths& paths, std::string& name) override {
        const int fd = ::open(paths.frontendPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return errno;
        dvb_frontend_info info{};
        const int error = ::ioctl(fd, FE_GET_INFO, &info) == 0 ? 0 : errno;
        ::close(fd);
        if (error == 0)
            name.assign(info.name, ::strnlen(info.name, sizeof info.name));
        return error;
    }

    int OpenFrontend(const DvbFrontendPaths& paths,
                     std::unique_ptr<DvbFrontend>& frontend) override {
        // libdvbv5 finds the frontend by its numbers and says little when it cannot take it:
        // opening the file first tells a missing, forbidden or busy device apart.
        const int fd = ::open(paths.frontendPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return errno;
        struct stat status {};
        const bool device = ::fstat(fd, &status) == 0 && S_ISCHR(status.st_mode);
        ::close(fd);
        if (!device)
            return ENODEV;
        errno = 0;
        dvb_v5_fe_parms* parms =
            dvb_fe_open_flags(paths.adapter, paths.frontend, 0, 0, Quiet, O_RDWR);
        if (parms == nullptr)
            return errno != 0 ? errno : ENODEV;
        frontend = std::make_unique<DvbV5Frontend>(parms);
        return 0;
    }

    int OpenTransportInput(const DvbFrontendPaths& paths, std::unique_ptr<DvbTransportInput>& input,
                           std::string& failedPath) override {
        const int dvr = ::open(paths.dvrPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (dvr < 0) {
            failedPath = paths.dvrPath;
            return errno;
        }
        const int demux = ::open(paths.demuxPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (demux < 0) {
            const int error = errno;
            ::close(dvr);
            failedPath = paths.demuxPath;
            return error;
        }
        input = std::make_unique<DvbV5TransportInput>(paths.demuxPath, dvr, demux);
        return 0;
    }

    bool HasLnb(const DvbLnb& lnb) override { return FindLnb(lnb) != nullptr; }
};

}  // namespace

std::shared_ptr<DvbDeviceApi> MakeDvbV5DeviceApi() {
    return std::make_shared<DvbV5DeviceApi>();
}
