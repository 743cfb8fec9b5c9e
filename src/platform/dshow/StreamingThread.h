#pragma once
// StreamingThread: the thread of a filter that produces data by itself (a source).
//
// How a source filter is written:
//
//     STDMETHODIMP MySource::Run(REFERENCE_TIME tStart) {
//         HRESULT hr = CBaseFilter::Run(tStart);        // state change under m_pLock
//         if (SUCCEEDED(hr)) thread.Start([this](std::stop_token stop) { Stream(stop); });
//         return hr;
//     }
//     STDMETHODIMP MySource::Stop() {
//         thread.Stop();                 // joins; m_pLock is NOT held here
//         return CBaseFilter::Stop();    // then the state change under m_pLock
//     }
//     ~MySource() { thread.Stop(); }     // before the pins go
//
//     void MySource::Stream(std::stop_token stop) {
//         while (!stop.stop_requested() && <data>) {
//             CMemorySample sample(bytes, length);
//             outputPin.Deliver(&sample);   // synchronous: downstream runs on this thread
//         }
//         if (<end of data>) outputPin.DeliverEndOfStream();
//     }
//
// Rules behind it:
//  - The thread starts in Run and is joined in Stop (Pause leaves it as it is), both called by
//    the graph manager on the main thread. Stop must not hold m_pLock (or any lock the stream
//    takes) while it joins: the thread may be inside Deliver, and the filters downstream take
//    their own locks there; a join under such a lock waits for a thread that waits for it.
//  - The loop takes nothing that the main thread holds while stopping; state it needs (file,
//    socket, PIDs) is set up before Start and torn down after Stop.
//  - A blocking read must wake up when stop is requested (a timeout, or a std::stop_callback
//    that interrupts it), or Stop would wait for the next packet.
//  - Stop is never called from the streaming thread itself (that would join itself); Stop
//    from there is refused and returns without waiting.

#include <functional>
#include <stop_token>
#include <thread>

class StreamingThread {
public:
    StreamingThread() = default;
    StreamingThread(const StreamingThread&) = delete;
    StreamingThread& operator=(const StreamingThread&) = delete;
    ~StreamingThread() { Stop(); }

    // Starts body on a new thread; false (and nothing started) when one is already running.
    bool Start(std::function<void(std::stop_token)> body);
    // Asks the thread to stop and waits for it; does nothing when none runs. Called from the
    // thread itself it only asks.
    void Stop();
    // Started and not yet joined (a thread whose body returned still counts until Stop).
    bool Running() const { return thread.joinable(); }

private:
    std::jthread thread;
};
