#pragma once
// FakePushSource: a source filter with a streaming thread, written the way StreamingThread.h
// prescribes. Its first output pin delivers `buffers` one sample each, in order, from the
// moment the filter runs; then, with `endOfStream`, the end of stream; with `repeat` it starts
// over until stopped. Stop joins the thread.
//
//     FakeFilterConfig config;
//     config.pins = {FakePinConfig::Output(L"Out")};
//     auto source = FakePushSource::Create(config, {{0x47, 0x00}, {0x47, 0x01}});

#include <condition_variable>
#include <mutex>

#include "platform/dshow/StreamingThread.h"
#include "support/FakeFilter.h"

class FakePushSource : public FakeFilter {
public:
    static ComPtr<FakePushSource> Create(FakeFilterConfig config,
                                         std::vector<std::vector<BYTE>> buffers,
                                         bool endOfStream = true, bool repeat = false);

    FakePushSource(FakeFilterConfig config, std::vector<std::vector<BYTE>> buffers,
                   bool endOfStream, bool repeat);
    ~FakePushSource() override;

    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP Stop() override;

    // Samples delivered so far (whatever the receiver answered).
    size_t Delivered();
    // Waits until at least count samples went out, or the timeout passed; true when they did.
    bool WaitForDelivered(size_t count, int timeoutMs = 10000);
    bool StreamingThreadRunning() const { return thread.Running(); }

private:
    void Stream(std::stop_token stop);

    const std::vector<std::vector<BYTE>> buffers;
    const bool endOfStream;
    const bool repeat;
    StreamingThread thread;
    std::mutex mutex;
    std::condition_variable progress;
    size_t delivered = 0;
};
