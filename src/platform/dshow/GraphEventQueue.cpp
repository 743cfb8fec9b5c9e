#include "platform/dshow/GraphEventQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

GraphEventQueue::GraphEventQueue() : signalFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

GraphEventQueue::~GraphEventQueue() {
    if (signalFd >= 0)
        close(signalFd);
}

void GraphEventQueue::BeginRun(const std::vector<IBaseFilter*>& runRenderers) {
    std::lock_guard lock(mutex);
    renderers.clear();
    for (IBaseFilter* filter : runRenderers)
        renderers.insert(reinterpret_cast<LONG_PTR>(filter));
    completed.clear();
    completeQueued = false;
}

HRESULT GraphEventQueue::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
    std::lock_guard lock(mutex);
    if (code == EC_COMPLETE) {
        // param2 names the renderer (CBaseFilter::NotifyEvent puts it there).
        if (renderers.count(param2) == 0)
            return S_OK;
        completed.insert(param2);
        if (completeQueued || completed.size() < renderers.size())
            return S_OK;
        completeQueued = true;
        Push(Event{EC_COMPLETE, param1, 0});
        return S_OK;
    }
    Push(Event{code, param1, param2});
    return S_OK;
}

void GraphEventQueue::Push(const Event& event) {
    const bool wasEmpty = events.empty();
    events.push_back(event);
    if (wasEmpty && signalFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t written = write(signalFd, &one, sizeof one);
    }
    arrived.notify_all();
}

void GraphEventQueue::ClearSignal() {
    if (signalFd < 0)
        return;
    uint64_t value;
    [[maybe_unused]] ssize_t got = read(signalFd, &value, sizeof value);
}

HRESULT GraphEventQueue::GetEventHandle(OAEVENT* handle) {
    if (handle == nullptr)
        return E_POINTER;
    *handle = signalFd;
    return signalFd >= 0 ? S_OK : E_FAIL;
}

HRESULT GraphEventQueue::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG msTimeout) {
    if (code == nullptr || param1 == nullptr || param2 == nullptr)
        return E_POINTER;
    std::unique_lock lock(mutex);
    auto ready = [this] { return !events.empty(); };
    if (msTimeout < 0) {
        arrived.wait(lock, ready);
    } else if (!arrived.wait_for(lock, std::chrono::milliseconds(msTimeout), ready)) {
        return E_ABORT;
    }
    const Event event = events.front();
    events.pop_front();
    if (events.empty())
        ClearSignal();
    *code = event.code;
    *param1 = event.param1;
    *param2 = event.param2;
    return S_OK;
}
