#pragma once
// What a DVB tuner source needs of a Linux DVB adapter, and nothing more: the frontend's name,
// the frontend opened for tuning (delivery systems, tune, status and statistics), and the
// transport stream of the adapter's dvr device behind PID filters of its demux. The real
// implementation (DvbV5DeviceApi) talks to the kernel through libdvbv5; tests stand in a fake
// that records what was sent and answers what they script. Failures are errno values, so that
// the source can say what went wrong in words a user can act on.

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// One frontend of the device tree and the devices that carry its transport stream.
struct DvbFrontendPaths {
    int adapter = 0;
    int frontend = 0;
    std::string frontendPath;  // <root>/adapterN/frontendM
    std::string demuxPath;
    std::string dvrPath;
};

// A DVBv5 property (DTV_* command of the kernel or of libdvbv5) and its value.
struct DvbProperty {
    uint32_t command = 0;
    uint32_t value = 0;
    bool operator==(const DvbProperty&) const = default;
};

// An LNB by its local oscillators and band switch, in kHz.
struct DvbLnb {
    int64_t lowOscillator = 0;
    int64_t highOscillator = 0;
    int64_t lnbSwitch = 0;
    bool operator==(const DvbLnb&) const = default;
};

// A tune as it goes to the frontend: the delivery system, its properties in the order they are
// stored, and the LNB that turns the transponder frequency into the tuner's.
struct DvbTuneSettings {
    uint32_t deliverySystem = 0;  // SYS_DVBS or SYS_DVBS2
    std::vector<DvbProperty> properties;
    DvbLnb lnb;
    // What the LNB is sent; libdvbv5 derives the same from the frequency and polarisation.
    bool highBand = false;  // 22 kHz tone on, high oscillator
    int voltage = 13;       // 13 V vertical, 18 V horizontal
};

// A statistic as the frontend reports it (struct dtv_stats): decibel values in 1/1000 dB (or
// dBm), relative ones 0-65535.
struct DvbStatistic {
    enum class Scale { NotAvailable, Decibel, Relative, Counter };
    Scale scale = Scale::NotAvailable;
    int64_t value = 0;
};

// One reading of the frontend.
struct DvbFrontendReading {
    uint32_t status = 0;  // fe_status_t bits
    DvbStatistic strength;
    DvbStatistic cnr;
    int qualityGrade = 0;  // enum dvb_quality: 0 unknown, 1 poor, 2 ok, 3 good
};

class DvbFrontend {
public:
    virtual ~DvbFrontend() = default;
    // The delivery systems the frontend offers (fe_delivery_system values).
    virtual std::vector<uint32_t> DeliverySystems() = 0;
    // Stores the settings and tunes; 0 or an errno value.
    virtual int Tune(const DvbTuneSettings& settings) = 0;
    // 0 or an errno value.
    virtual int Read(DvbFrontendReading& reading) = 0;
};

// The demux's PID filters feeding the dvr device, and the dvr device read without blocking.
class DvbTransportInput {
public:
    virtual ~DvbTransportInput() = default;
    // The descriptor to poll for data.
    virtual int PollDescriptor() = 0;
    // Filters these PIDs into the dvr (replacing any earlier filters); 0 or an errno value.
    virtual int Start(std::span<const uint16_t> pids) = 0;
    virtual void Stop() = 0;
    // Bytes read (0: none now), or minus an errno value.
    virtual ssize_t Read(uint8_t* buffer, size_t size) = 0;
};

class DvbDeviceApi {
public:
    virtual ~DvbDeviceApi() = default;
    // The frontend's name (FE_GET_INFO), read without taking the frontend; 0 or an errno value.
    virtual int ReadFrontendName(const DvbFrontendPaths& paths, std::string& name) = 0;
    // Takes the frontend for tuning; 0 or an errno value.
    virtual int OpenFrontend(const DvbFrontendPaths& paths,
                             std::unique_ptr<DvbFrontend>& frontend) = 0;
    // Takes the dvr device and the demux; 0 or an errno value, with the file that failed.
    virtual int OpenTransportInput(const DvbFrontendPaths& paths,
                                   std::unique_ptr<DvbTransportInput>& input,
                                   std::string& failedPath) = 0;
    // Whether the tuning library knows an LNB with these oscillators and switch.
    virtual bool HasLnb(const DvbLnb& lnb) = 0;
};
