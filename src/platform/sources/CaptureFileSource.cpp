#include "platform/sources/CaptureFileSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/sources/TimeTableTracker.h"
#include "platform/ts/PacketFramer.h"

namespace {

// A bind is reported right after the graph's unterminated "Loading filter" text, so the line
// starts on a line of its own.
void Report(const std::string& path, const char* reason) {
    std::printf("\nCapture file %s: %s\n", path.c_str(), reason);
}

// Whether the demultiplexer's framer finds at least one packet in these bytes.
bool HoldsTransportPackets(const uint8_t* data, size_t size) {
    bool found = false;
    PacketFramer framer([&found](const uint8_t*, size_t) { found = true; });
    framer.Push(data, size);
    framer.End();
    return found;
}

}  // namespace

std::shared_ptr<CaptureFileSource> CaptureFileSource::Open(
    const std::string& path, std::shared_ptr<CaptureTime> clock,
    std::shared_ptr<EndOfCaptureSignal> endOfCapture) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Report(path, std::strerror(errno));
        return nullptr;
    }
    auto source =
        std::make_shared<CaptureFileSource>(fd, path, std::move(clock), std::move(endOfCapture));
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        Report(path, std::strerror(errno));
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        Report(path, std::strerror(EISDIR));
        return nullptr;
    }
    std::vector<uint8_t> probe(kProbeSize);
    size_t have = 0;
    while (have < probe.size()) {
        const ssize_t n =
            ::pread(fd, probe.data() + have, probe.size() - have, static_cast<off_t>(have));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            Report(path, std::strerror(errno));
            return nullptr;
        }
        if (n == 0)
            break;
        have += static_cast<size_t>(n);
    }
    if (have == 0) {
        Report(path, "not a transport stream (the file is empty)");
        return nullptr;
    }
    // Said, but not fatal: a recording may start with junk and carry its packets later, and
    // a file without any still ends the run in order with an empty guide.
    if (!HoldsTransportPackets(probe.data(), have))
        Report(path, "no packets in its first 16 KiB; reading on");
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return source;
}

CaptureFileSource::CaptureFileSource(int fd, std::string path, std::shared_ptr<CaptureTime> clock,
                                     std::shared_ptr<EndOfCaptureSignal> endOfCapture)
    : fd(fd),
      path(std::move(path)),
      clock(std::move(clock)),
      endOfCapture(std::move(endOfCapture)) {}

CaptureFileSource::~CaptureFileSource() {
    ::close(fd);
}

HRESULT CaptureFileSource::Tune(const TuneParameters&) {
    return S_OK;
}

HRESULT CaptureFileSource::GetSignalStatistics(SignalStatistics& statistics) {
    statistics = {true, 100, 100};
    return S_OK;
}

CaptureFileSource::Read CaptureFileSource::ReadChunk(uint8_t* buffer, uint64_t offset, size_t& size,
                                                     bool report) {
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, kChunkSize, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (report)
                std::printf("Capture file %s: %s\n", path.c_str(), std::strerror(errno));
            return Read::Failed;
        }
        size = static_cast<size_t>(n);
        return n == 0 ? Read::End : Read::Data;
    }
}

bool CaptureFileSource::FindFirstTime(std::stop_token stop, uint8_t* buffer) {
    clock->Clear();
    TimeTableTracker tracker;
    uint64_t offset = 0;
    size_t size = 0;
    // A read error here shows again, and is reported, when the replay reads the same bytes.
    while (ReadChunk(buffer, offset, size, false) == Read::Data) {
        if (stop.stop_requested())
            return false;
        tracker.Push(buffer, size);
        if (tracker.First()) {
            clock->Set(*tracker.First());
            return true;
        }
        offset += size;
    }
    tracker.End();
    if (tracker.First())
        clock->Set(*tracker.First());
    return !stop.stop_requested();
}

void CaptureFileSource::Stream(std::stop_token stop, TransportStreamSink& sink) {
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kChunkSize]);
    if (clock && !FindFirstTime(stop, buffer.get()))
        return;
    std::unique_ptr<TimeTableTracker> tracker;
    if (clock)
        tracker = std::make_unique<TimeTableTracker>();
    uint64_t offset = 0;
    for (;;) {
        if (stop.stop_requested())
            return;
        size_t size = 0;
        // A read error ends the replay as the end of the file does: nothing more can come.
        if (ReadChunk(buffer.get(), offset, size, true) != Read::Data)
            break;
        if (tracker)
            DeliverWithStreamClock(buffer.get(), size, *tracker, *clock, sink);
        else
            sink.DeliverBytes(buffer.get(), size);
        offset += size;
    }
    if (tracker) {
        tracker->End();
        if (tracker->Last())
            clock->Set(*tracker->Last());
    }
    sink.DeliverEndOfStream();
    if (endOfCapture)
        endOfCapture->Fire();
}

void DeliverWithStreamClock(const uint8_t* data, size_t size, TimeTableTracker& tracker,
                            CaptureTime& clock, TransportStreamSink& sink) {
    // The tracker frames the bytes as the demultiplexer will and tells, for each time table they
    // complete, how far the demultiplexer must be fed to have delivered the packet that completed
    // it. The bytes up to there go down first, then the clock moves.
    const uint64_t start = tracker.Pushed();
    tracker.Push(data, size);
    size_t delivered = 0;
    for (const TimeTableTracker::Mark& mark : tracker.Marks()) {
        const size_t cut =
            mark.readyAt <= start
                ? 0
                : static_cast<size_t>(std::min<uint64_t>(mark.readyAt - start, size));
        if (cut > delivered) {
            sink.DeliverBytes(data + delivered, cut - delivered);
            delivered = cut;
        }
        clock.Set(mark.utcSeconds);
    }
    if (delivered < size)
        sink.DeliverBytes(data + delivered, size - delivered);
}
