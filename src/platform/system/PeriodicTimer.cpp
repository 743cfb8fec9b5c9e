#include "platform/system/PeriodicTimer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {
std::atomic<int> threadsAlive{0};
}

// What the timer thread and the PeriodicTimer object share. The thread holds a reference until
// it ends, so the callback outlives the object when it has to.
struct PeriodicTimer::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool deleted = false;
    bool running = false;  // a run is under way
    std::thread::id thread;
    Callback callback;
    DWORD dueMs = 0;
    DWORD periodMs = 0;

    void Run();
};

void PeriodicTimer::Shared::Run() {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(periodMs);
    auto due = Clock::now() + std::chrono::milliseconds(dueMs);
    std::unique_lock lock(mutex);
    thread = std::this_thread::get_id();
    while (!changed.wait_until(lock, due, [this] { return deleted; })) {
        // Taken on under the lock: a Delete from here on finds this run under way, and one
        // that came first has stopped it.
        running = true;
        lock.unlock();
        callback();
        lock.lock();
        running = false;
        changed.notify_all();
        if (period.count() == 0)
            break;
        due += period;
        const auto now = Clock::now();
        if (due <= now)  // the run took longer: skip the due times it covered
            due += ((now - due) / period + 1) * period;
    }
    deleted = true;
}

PeriodicTimer::~PeriodicTimer() {
    Delete();
}

bool PeriodicTimer::Start(Callback callback, DWORD dueMs, DWORD periodMs) {
    if (shared) {
        std::lock_guard lock(shared->mutex);
        if (!shared->deleted)
            return false;
    }
    auto state = std::make_shared<Shared>();
    state->callback = std::move(callback);
    state->dueMs = dueMs;
    state->periodMs = periodMs;

    // In place before the thread exists: its first run may come at once and delete (or
    // destroy) the timer before Start returns, so nothing here touches the object after it.
    shared = state;
    threadsAlive.fetch_add(1);
    try {
        std::thread([state = std::move(state)]() mutable {
            state->Run();
            // The callback's captures go now, on this thread, rather than with the object.
            state->callback = nullptr;
            state.reset();
            threadsAlive.fetch_sub(1);
        }).detach();
    } catch (const std::system_error&) {
        threadsAlive.fetch_sub(1);
        shared.reset();
        return false;
    }
    return true;
}

void PeriodicTimer::Delete() {
    if (!shared)
        return;
    std::lock_guard lock(shared->mutex);
    shared->deleted = true;
    shared->changed.notify_all();
}

void PeriodicTimer::DeleteAndWait() {
    if (!shared)
        return;
    std::unique_lock lock(shared->mutex);
    shared->deleted = true;
    shared->changed.notify_all();
    if (shared->thread == std::this_thread::get_id())
        return;
    shared->changed.wait(lock, [this] { return !shared->running; });
}

int PeriodicTimer::ThreadsAlive() {
    return threadsAlive.load();
}
