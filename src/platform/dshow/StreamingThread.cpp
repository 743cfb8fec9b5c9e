#include "platform/dshow/StreamingThread.h"

bool StreamingThread::Start(std::function<void(std::stop_token)> body) {
    if (thread.joinable())
        return false;
    thread = std::jthread([body = std::move(body)](std::stop_token stop) { body(stop); });
    return true;
}

void StreamingThread::Stop() {
    if (!thread.joinable())
        return;
    thread.request_stop();
    if (thread.get_id() == std::this_thread::get_id())
        return;
    thread.join();
}
