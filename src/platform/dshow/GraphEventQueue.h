#pragma once
// The graph manager's event queue: what filters send with IMediaEventSink::Notify, waiting
// for the application's IMediaEvent::GetEvent. EC_COMPLETE is collected per renderer and
// queued once, when every renderer of the running graph has sent it. Thread-safe: filters
// notify from their streaming threads.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "platform/dshow/GraphInterfaces.h"

class GraphEventQueue {
public:
    GraphEventQueue();
    ~GraphEventQueue();
    GraphEventQueue(const GraphEventQueue&) = delete;
    GraphEventQueue& operator=(const GraphEventQueue&) = delete;

    // The renderers whose EC_COMPLETE make up the graph's completion; a new run starts over.
    void BeginRun(const std::vector<IBaseFilter*>& renderers);

    HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2);
    // A descriptor that polls readable while events wait (E_FAIL if the system gave none).
    HRESULT GetEventHandle(OAEVENT* handle);
    HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG msTimeout);

private:
    struct Event {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
    };
    void Push(const Event& event);  // with mutex held
    void ClearSignal();             // with mutex held

    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Event> events;
    std::unordered_set<LONG_PTR> renderers;  // compared, never dereferenced
    std::unordered_set<LONG_PTR> completed;
    bool completeQueued = false;
    int signalFd = -1;
};
