#pragma once
// A tuner fed by a recorded transport stream (188-, 192- or 204-byte packets: the
// demultiplexer's framer sorts them out, so the bytes go down as they are, in large chunks).
// The capture is replayed from its start on every Run, as fast as it can be read; always
// locked, quality and strength 100. When it has been read to its end, the end of stream goes
// down and then the end-of-capture signal fires.
//
// With a CaptureTime (Clock=stream) the source also keeps the stream's clock: before anything
// is delivered it reads ahead to the first TDT/TOT and sets the time to it (or clears it when the
// capture has none); while replaying it cuts its deliveries after every packet that completes a
// TDT/TOT and sets the time before it goes on. As the demultiplexer hands down everything it
// received before it takes more, each section is parsed with the time of the latest TDT/TOT
// before the packet that completed it.

#include <memory>
#include <string>

#include "platform/bda/TunerSource.h"
#include "platform/sources/CaptureTime.h"
#include "platform/sources/EndOfCaptureSignal.h"

class CaptureFileSource : public TunerSource {
public:
    static constexpr size_t kChunkSize = 1 << 20;
    // A capture must show transport packets within its first bytes.
    static constexpr size_t kProbeSize = 16 * 1024;

    // Opens the capture and checks that it is a transport stream. On failure prints one line,
    // "Capture file <path>: <reason>", and gives null. `clock` (may be null: the clock is not
    // the stream's) and `endOfCapture` (may be null) are shared with the platform.
    static std::shared_ptr<CaptureFileSource> Open(
        const std::string& path, std::shared_ptr<CaptureTime> clock,
        std::shared_ptr<EndOfCaptureSignal> endOfCapture);

    CaptureFileSource(int fd, std::string path, std::shared_ptr<CaptureTime> clock,
                      std::shared_ptr<EndOfCaptureSignal> endOfCapture);
    ~CaptureFileSource() override;
    CaptureFileSource(const CaptureFileSource&) = delete;
    CaptureFileSource& operator=(const CaptureFileSource&) = delete;

    HRESULT Tune(const TuneParameters& parameters) override;
    HRESULT GetSignalStatistics(SignalStatistics& statistics) override;
    void Stream(std::stop_token stop, TransportStreamSink& sink) override;

private:
    enum class Read { Data, End, Failed };
    // Up to kChunkSize bytes at `offset` into buffer; `size` gets the count. A failure is
    // reported as "Capture file <path>: <reason>" when `report`.
    Read ReadChunk(uint8_t* buffer, uint64_t offset, size_t& size, bool report);
    // Reads ahead for the first TDT/TOT; false when stopped on the way.
    bool FindFirstTime(std::stop_token stop, uint8_t* buffer);

    const int fd;
    const std::string path;
    const std::shared_ptr<CaptureTime> clock;
    const std::shared_ptr<EndOfCaptureSignal> endOfCapture;
};

// Hands `data` to `sink`, cut after each packet that completes a TDT/TOT, and sets `clock` to
// that table's time at each cut before the rest goes down. `tracker` follows the stream from its
// start.
class TimeTableTracker;
void DeliverWithStreamClock(const uint8_t* data, size_t size, TimeTableTracker& tracker,
                            CaptureTime& clock, TransportStreamSink& sink);
