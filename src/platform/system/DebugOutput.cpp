#include "platform/system/DebugOutput.h"

#include <mutex>
#include <utility>

namespace {

std::mutex sinkMutex;
std::function<void(const char*)>& Sink() {
    static std::function<void(const char*)> sink;
    return sink;
}

}  // namespace

void OutputDebugStringA(const char* text) {
    if (text == nullptr)
        return;
    std::lock_guard lock(sinkMutex);
    if (Sink())
        Sink()(text);
}

std::function<void(const char*)> SetDebugOutputSink(std::function<void(const char*)> sink) {
    std::lock_guard lock(sinkMutex);
    return std::exchange(Sink(), std::move(sink));
}
