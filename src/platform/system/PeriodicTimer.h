#pragma once
// A periodic timer with the semantics of a timer-queue timer whose callback runs in the timer
// thread: every run happens on the timer's own thread, so runs never overlap.
//
//     PeriodicTimer timer;
//     if (!timer.Start([proxy] { IdleCheck(proxy); }, 0, timeoutMs)) ...;  // first run at once
//     ...
//     timer.Delete();  // returns at once; no run starts after it
//
// Runs are due at dueMs, dueMs + periodMs, dueMs + 2 * periodMs, ... after Start. A run that
// lasts past the next due time makes the runs it covered lapse: the next one comes at the first
// due time after it ended, never in a burst. Period 0 means one run only.
//
// Deletion cancels without waiting. A run the timer thread has already taken on when Delete is
// called finishes on that thread; no run starts after Delete has returned. The callback and
// everything it holds stay alive until the timer thread is done with it, even when the
// PeriodicTimer object is destroyed meanwhile or the callback deletes (or destroys) its own
// timer. Whatever else a callback uses must outlive a run under way: capture it by counted
// reference, or delete with DeleteAndWait from a thread that holds nothing the callback needs.
//
// Start, Delete and DeleteAndWait are called from one thread at a time; the callback may call
// Delete, DeleteAndWait or destroy the timer, from its very first run on.

#include <functional>
#include <memory>

#include "platform/com/Types.h"

class PeriodicTimer {
public:
    using Callback = std::function<void()>;

    PeriodicTimer() = default;
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;
    // Deletes the timer (without waiting).
    ~PeriodicTimer();

    // Starts the timer thread. False when the timer is already started (and not deleted) or
    // no thread could be made.
    bool Start(Callback callback, DWORD dueMs, DWORD periodMs);
    // Cancels the timer: no run starts after this returns. Returns at once, also while a run
    // is under way and when called from the callback itself. The timer may be started again.
    void Delete();
    // Deletes, then waits until a run under way has ended; from inside the callback it only
    // deletes, as the run could not end while it waits for itself.
    void DeleteAndWait();

    // Timer threads of the process that have not ended yet (for tests and leak checks).
    static int ThreadsAlive();

private:
    struct Shared;
    std::shared_ptr<Shared> shared;
};
