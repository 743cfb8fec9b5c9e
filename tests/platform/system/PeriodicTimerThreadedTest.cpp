// The periodic timer: first run at once, runs on one thread that never overlap, no run after
// deletion however it races with a run, and the callback alive as long as a run uses it.

#include "platform/system/PeriodicTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Polls until pred holds or ten seconds passed; true when it held.
template <typename Pred>
bool WaitFor(Pred pred) {
    const auto deadline = Clock::now() + 10s;
    while (!pred()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Timer threads end on their own after a deletion: each test starts when those of the tests
// before it have gone, and leaves none behind.
class PeriodicTimerThreaded : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(TimerThreadsEnded()); }
    void TearDown() override { EXPECT_TRUE(TimerThreadsEnded()); }
    // No run can come any more.
    static bool TimerThreadsEnded() {
        return WaitFor([] { return PeriodicTimer::ThreadsAlive() == 0; });
    }
};

TEST_F(PeriodicTimerThreaded, FirstRunComesAtOnceOnTheTimersThread) {
    std::promise<std::thread::id> ran;
    PeriodicTimer timer;
    // An hour's period: only the first run can come within the test.
    ASSERT_TRUE(timer.Start([&] { ran.set_value(std::this_thread::get_id()); }, 0, 3600 * 1000));
    auto firstRun = ran.get_future();
    ASSERT_EQ(firstRun.wait_for(10s), std::future_status::ready);
    EXPECT_NE(firstRun.get(), std::this_thread::get_id());
    EXPECT_FALSE(timer.Start([] {}, 0, 1)) << "already started";
    timer.Delete();
    EXPECT_TRUE(TimerThreadsEnded());
}

// Period 0 runs once; so does a period of 2^31 ms or more, which is a long period and not a
// negative one.
TEST_F(PeriodicTimerThreaded, PeriodZeroAndHugePeriodsRunOnce) {
    for (DWORD period : {DWORD{0}, DWORD{0x80000000}, DWORD{0xFFFFFFFF}}) {
        SCOPED_TRACE(period);
        std::atomic<int> runs{0};
        PeriodicTimer timer;
        ASSERT_TRUE(timer.Start([&] { ++runs; }, 0, period));
        ASSERT_TRUE(WaitFor([&] { return runs.load() > 0; }));
        if (period == 0) {
            EXPECT_TRUE(TimerThreadsEnded()) << "the thread ends by itself";
        } else {
            std::this_thread::sleep_for(50ms);
            timer.Delete();
            EXPECT_TRUE(TimerThreadsEnded());
        }
        EXPECT_EQ(runs.load(), 1);
    }
}

TEST_F(PeriodicTimerThreaded, SlowRunsNeverOverlapAndOneThreadRunsThemAll) {
    std::atomic<int> inside{0}, overlaps{0}, runs{0};
    std::mutex mutex;
    std::vector<std::thread::id> threads;
    PeriodicTimer timer;
    ASSERT_TRUE(timer.Start(
        [&] {
            if (inside.fetch_add(1) != 0)
                ++overlaps;
            {
                std::lock_guard lock(mutex);
                threads.push_back(std::this_thread::get_id());
            }
            std::this_thread::sleep_for(5ms);  // five periods
            inside.fetch_sub(1);
            ++runs;
        },
        0, 1));
    ASSERT_TRUE(WaitFor([&] { return runs.load() >= 5; }));
    timer.DeleteAndWait();
    EXPECT_EQ(overlaps.load(), 0);
    std::lock_guard lock(mutex);
    for (const auto& id : threads)
        EXPECT_EQ(id, threads.front());
}

// A run that outlasts several due times makes them lapse instead of running them in a burst.
TEST_F(PeriodicTimerThreaded, DueTimesCoveredByALongRunLapse) {
    std::mutex mutex;
    std::vector<Clock::time_point> starts;
    PeriodicTimer timer;
    ASSERT_TRUE(timer.Start(
        [&] {
            size_t run;
            {
                std::lock_guard lock(mutex);
                starts.push_back(Clock::now());
                run = starts.size();
            }
            if (run == 1)
                std::this_thread::sleep_for(350ms);  // past three due times
        },
        0, 100));
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(mutex);
        return starts.size() >= 3;
    }));
    timer.DeleteAndWait();
    std::lock_guard lock(mutex);
    EXPECT_GE(starts[2] - starts[1], 50ms);
}

// However a deletion meets a run, no run starts after it, and the callback (with what it owns)
// stays usable by the run under way: ASan reports a callback freed too early.
TEST_F(PeriodicTimerThreaded, NoRunAfterDeletionFromInsideARun) {
    struct Case {
        const char* what;
        void (*deleteFrom)(std::unique_ptr<PeriodicTimer>&);
    };
    const Case cases[] = {
        {"Delete", [](std::unique_ptr<PeriodicTimer>& t) { t->Delete(); }},
        {"DeleteAndWait", [](std::unique_ptr<PeriodicTimer>& t) { t->DeleteAndWait(); }},
        {"destroying the timer", [](std::unique_ptr<PeriodicTimer>& t) { t.reset(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<int> runs{0};
        std::string seen;
        auto timer = std::make_unique<PeriodicTimer>();
        PeriodicTimer* started = timer.get();
        ASSERT_TRUE(started->Start(
            [&, owned = std::string(64, 'x')] {
                ++runs;
                c.deleteFrom(timer);
                seen = owned;  // after the deletion, within the same run
            },
            0, 1));
        ASSERT_TRUE(TimerThreadsEnded());
        EXPECT_EQ(runs.load(), 1);
        EXPECT_EQ(seen, std::string(64, 'x'));
    }
}

TEST_F(PeriodicTimerThreaded, NoRunAfterDeletionRightAfterARunStarted) {
    struct Case {
        const char* what;
        void (*deleteFrom)(std::unique_ptr<PeriodicTimer>&);
    };
    const Case cases[] = {
        {"Delete", [](std::unique_ptr<PeriodicTimer>& t) { t->Delete(); }},
        {"destroying the timer", [](std::unique_ptr<PeriodicTimer>& t) { t.reset(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<int> runs{0};
        std::promise<void> entered, gate;
        std::shared_future<void> gateOpened = gate.get_future().share();
        std::atomic<bool> openedInTime{false};
        std::string seen;
        auto timer = std::make_unique<PeriodicTimer>();
        ASSERT_TRUE(timer->Start(
            [&, owned = std::string(64, 'y')] {
                if (++runs == 1) {
                    entered.set_value();
                    // Deletion must not wait for this run, or the gate never opens in time.
                    openedInTime = gateOpened.wait_for(10s) == std::future_status::ready;
                }
                seen = owned;
            },
            0, 1));
        entered.get_future().wait();
        c.deleteFrom(timer);
        gate.set_value();
        ASSERT_TRUE(TimerThreadsEnded());
        EXPECT_TRUE(openedInTime.load());
        EXPECT_EQ(runs.load(), 1);
        EXPECT_EQ(seen, std::string(64, 'y'));
    }
}

TEST_F(PeriodicTimerThreaded, DeleteAndWaitWaitsForTheRunUnderWay) {
    std::promise<void> entered;
    std::atomic<bool> finished{false};
    PeriodicTimer timer;
    ASSERT_TRUE(timer.Start(
        [&] {
            entered.set_value();
            std::this_thread::sleep_for(50ms);
            finished = true;
        },
        0, 3600 * 1000));
    entered.get_future().wait();
    timer.DeleteAndWait();
    EXPECT_TRUE(finished.load());
    // A deleted timer starts again.
    std::atomic<int> runs{0};
    ASSERT_TRUE(timer.Start([&] { ++runs; }, 0, 0));
    EXPECT_TRUE(TimerThreadsEnded());
    EXPECT_EQ(runs.load(), 1);
}

TEST_F(PeriodicTimerThreaded, ManyStartsAndDeletionsRaceCleanly) {
    std::atomic<int> runs{0};
    for (int i = 0; i < 200; ++i) {
        PeriodicTimer timer;
        ASSERT_TRUE(timer.Start([&] { ++runs; }, 0, 1));
        if (i % 2 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(i * 10));
        if (i % 3 == 0)
            timer.Delete();
        const int afterDeletion = [&] {
            timer.DeleteAndWait();
            return runs.load();
        }();
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        EXPECT_EQ(runs.load(), afterDeletion) << "a run after DeleteAndWait";
    }
    EXPECT_TRUE(TimerThreadsEnded());
}

}  // namespace
