#include "support/FakePushSource.h"

#include <chrono>

ComPtr<FakePushSource> FakePushSource::Create(FakeFilterConfig config,
                                              std::vector<std::vector<BYTE>> buffers,
                                              bool endOfStream, bool repeat) {
    return ComPtr<FakePushSource>(
        new FakePushSource(std::move(config), std::move(buffers), endOfStream, repeat));
}

FakePushSource::FakePushSource(FakeFilterConfig config, std::vector<std::vector<BYTE>> buffers,
                               bool endOfStream, bool repeat)
    : FakeFilter(std::move(config)),
      buffers(std::move(buffers)),
      endOfStream(endOfStream),
      repeat(repeat) {}

FakePushSource::~FakePushSource() {
    thread.Stop();
}

STDMETHODIMP FakePushSource::Run(REFERENCE_TIME tStart) {
    HRESULT hr = FakeFilter::Run(tStart);
    if (SUCCEEDED(hr))
        thread.Start([this](std::stop_token stop) { Stream(stop); });
    return hr;
}

STDMETHODIMP FakePushSource::Stop() {
    // Joined without the state lock: the thread may be delivering right now.
    thread.Stop();
    return FakeFilter::Stop();
}

void FakePushSource::Stream(std::stop_token stop) {
    int output = -1;
    for (int i = 0; i < GetPinCount(); ++i) {
        if (PinConfig(i).direction == PINDIR_OUTPUT) {
            output = i;
            break;
        }
    }
    if (output < 0)
        return;
    do {
        for (const std::vector<BYTE>& buffer : buffers) {
            if (stop.stop_requested())
                return;
            Deliver(output, buffer);
            {
                std::lock_guard lock(mutex);
                ++delivered;
            }
            progress.notify_all();
        }
    } while (repeat && !buffers.empty() && !stop.stop_requested());
    if (endOfStream && !stop.stop_requested())
        DeliverEndOfStream(output);
}

size_t FakePushSource::Delivered() {
    std::lock_guard lock(mutex);
    return delivered;
}

bool FakePushSource::WaitForDelivered(size_t count, int timeoutMs) {
    std::unique_lock lock(mutex);
    return progress.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return delivered >= count; });
}
