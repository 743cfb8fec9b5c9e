#include "support/SectionRecordingSink.h"

#include <chrono>

#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/RenderedInputPin.h"
#include "platform/ts/PacketFramer.h"
#include "platform/ts/SectionDemux.h"

namespace {

// Frames bytes and records the sections of 0x11 and 0x12.
class Recorder {
public:
    explicit Recorder(std::function<int64_t()> clock)
        : clock(std::move(clock)),
          demux([this](int, uint16_t pid, const uint8_t* section, size_t length) {
              sections.push_back({pid, sibuild::Bytes(section, section + length),
                                  this->clock ? this->clock() : 0});
          }),
          framer([this](const uint8_t* packets, size_t count) { demux.Feed(packets, count); }) {
        demux.MapPid(0x11, 0);
        demux.MapPid(0x12, 0);
    }
    void Push(const uint8_t* data, size_t size) { framer.Push(data, size); }
    void End() { framer.End(); }

    std::vector<RecordedSection> sections;

private:
    std::function<int64_t()> clock;
    SectionDemux demux;
    PacketFramer framer;
};

}  // namespace

class SectionRecordingSink::Pin : public CRenderedInputPin {
public:
    Pin(SectionRecordingSink* filter, CCritSec* lock, std::function<int64_t()> clock)
        : CRenderedInputPin(NAME("SectionRecordingPin"), filter, lock, nullptr, L"Input"),
          recorder(std::move(clock)) {}

    HRESULT CheckMediaType(const CMediaType* pmt) override {
        return *pmt->Type() == MEDIATYPE_Stream ? S_OK : S_FALSE;
    }

    // Samples are taken whatever the filter's state, so that nothing is lost to the order in
    // which a graph stops its filters.
    STDMETHODIMP Receive(IMediaSample* sample) override {
        if (sample == nullptr)
            return E_POINTER;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        const LONG length = sample->GetActualDataLength();
        std::function<void()> hook;
        {
            std::lock_guard guard(mutex);
            if (length > 0) {
                recorder.Push(data, static_cast<size_t>(length));
                bytes += static_cast<size_t>(length);
            }
            ++samples;
            hook = onReceive;
        }
        changed.notify_all();
        if (hook)
            hook();
        return S_OK;
    }

    STDMETHODIMP EndOfStream() override {
        {
            std::lock_guard guard(mutex);
            recorder.End();
            ++endsOfStream;
        }
        changed.notify_all();
        return CRenderedInputPin::EndOfStream();
    }

    template <typename Predicate>
    bool WaitFor(int timeoutMs, Predicate done) {
        std::unique_lock guard(mutex);
        return changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), done);
    }

    std::mutex mutex;
    std::condition_variable changed;
    Recorder recorder;
    size_t bytes = 0;
    size_t samples = 0;
    int endsOfStream = 0;
    std::function<void()> onReceive;
};

ComPtr<SectionRecordingSink> SectionRecordingSink::Create(std::function<int64_t()> clock) {
    return ComPtr<SectionRecordingSink>(new SectionRecordingSink(std::move(clock)));
}

SectionRecordingSink::SectionRecordingSink(std::function<int64_t()> clock)
    : CBaseFilter(NAME("SectionRecordingSink"), nullptr, &lock, GUID_NULL),
      pin(std::make_unique<Pin>(this, &lock, std::move(clock))) {}

SectionRecordingSink::~SectionRecordingSink() = default;

int SectionRecordingSink::GetPinCount() {
    return 1;
}

CBasePin* SectionRecordingSink::GetPin(int n) {
    return n == 0 ? pin.get() : nullptr;
}

IPin* SectionRecordingSink::InputPin() {
    return pin.get();
}

void SectionRecordingSink::SetOnReceive(std::function<void()> hook) {
    std::lock_guard guard(pin->mutex);
    pin->onReceive = std::move(hook);
}

std::vector<RecordedSection> SectionRecordingSink::Sections() {
    std::lock_guard guard(pin->mutex);
    return pin->recorder.sections;
}

size_t SectionRecordingSink::BytesReceived() {
    std::lock_guard guard(pin->mutex);
    return pin->bytes;
}

size_t SectionRecordingSink::SamplesReceived() {
    std::lock_guard guard(pin->mutex);
    return pin->samples;
}

int SectionRecordingSink::EndsOfStream() {
    std::lock_guard guard(pin->mutex);
    return pin->endsOfStream;
}

bool SectionRecordingSink::WaitForBytes(size_t count, int timeoutMs) {
    return pin->WaitFor(timeoutMs, [&] { return pin->bytes >= count; });
}

bool SectionRecordingSink::WaitForEndsOfStream(int count, int timeoutMs) {
    return pin->WaitFor(timeoutMs, [&] { return pin->endsOfStream >= count; });
}

bool SectionRecordingSink::WaitForSamples(size_t count, int timeoutMs) {
    return pin->WaitFor(timeoutMs, [&] { return pin->samples >= count; });
}

std::vector<RecordedSection> SectionsOf(const sibuild::Bytes& capture) {
    Recorder recorder({});
    recorder.Push(capture.data(), capture.size());
    recorder.End();
    return std::move(recorder.sections);
}

std::vector<RecordedSection> WithoutTimes(std::vector<RecordedSection> sections) {
    for (RecordedSection& s : sections)
        s.now = 0;
    return sections;
}
