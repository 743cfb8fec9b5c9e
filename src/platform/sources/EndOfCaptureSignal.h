#pragma once
// Fires once, when a replayed capture has been read to its end and its last sections have
// been delivered: nothing new can come. The handler runs on the thread that fires (the
// capture's streaming thread). An end that comes before a handler is set is remembered: the
// handler is then called at once by SetHandler, on the caller's thread.

#include <functional>
#include <mutex>

class EndOfCaptureSignal {
public:
    void SetHandler(std::function<void()> handler);
    // The first call runs the handler (or marks the end for a handler to come); later calls do
    // nothing.
    void Fire();
    bool Fired();

private:
    std::mutex mutex;
    std::function<void()> handler;
    bool fired = false;
    bool delivered = false;
};
