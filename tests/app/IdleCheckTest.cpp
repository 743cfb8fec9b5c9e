// The idle check: the stamp rule, called directly and on its timer.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/IdleCheck.h"
#include "app/MainThread.h"
#include "intake/DVBFilterToParserProxy.h"
#include "support/MemoryStream.h"

namespace {

using namespace std::chrono_literals;

// A proxy writing to memory, held for the test, and a count of the main thread's wakes.
class IdleCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        seenTick = 0;
        wakeMainThread = [this] { ++wakes; };
        NewProxy();
    }
    void TearDown() override {
        DeleteIdleTimer();
        wakeMainThread = nullptr;
        seenTick = 0;
    }
    void NewProxy() {
        document = std::make_unique<MemoryStream>();
        proxy = new DVBFilterToParserProxy(document->File());
        reference = ComPtr<IUnknown>(proxy->GetOwner());
    }

    std::atomic<int> wakes{0};
    std::unique_ptr<MemoryStream> document;
    DVBFilterToParserProxy* proxy = nullptr;
    ComPtr<IUnknown> reference;
};

TEST_F(IdleCheckTest, EndsAtTheFirstCheckThatFindsTheSameNonZeroStampAgain) {
    struct Case {
        std::vector<uint32_t> stamps;  // lastActivityTick at each check
        int endingCheck;               // index of the check that ends the run; -1: none
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, -1},       // no news ever: the run does not end by itself
        {{7, 7}, 1},              // news before the timer: the second check ends it
        {{0, 7, 7}, 2},           // first news after the first check
        {{7, 8, 9, 9}, 3},        // news in every period until the last
        {{7, 8, 9, 10, 11}, -1},  // news in every period
        {{7, 0, 0}, -1},          // only equality counts, and 0 is not news
        {{7, 7, 7, 7}, 1},        // later checks do nothing more
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::PrintToString(test.stamps));
        NewProxy();
        seenTick = 0;
        wakes = 0;
        for (size_t i = 0; i < test.stamps.size(); ++i) {
            proxy->lastActivityTick = test.stamps[i];
            IdleCheck(proxy, true);
            const bool ended = test.endingCheck >= 0 && static_cast<int>(i) >= test.endingCheck;
            EXPECT_EQ(wakes, ended ? 1 : 0) << "check " << i;
            EXPECT_EQ(document->Text(), ended ? "</tv>\r\n" : "") << "check " << i;
        }
    }
}

TEST_F(IdleCheckTest, ClosedDocumentIsNotClosedAgainNorTheMainThreadWokenTwice) {
    // The end of a capture or a signal closed the document first.
    ASSERT_TRUE(proxy->CloseDocument());
    proxy->lastActivityTick = 5;
    IdleCheck(proxy, true);
    IdleCheck(proxy, true);
    EXPECT_EQ(document->Text(), "</tv>\r\n");
    EXPECT_EQ(wakes, 0);
}

TEST(IdleTimerThreaded, StampStandingStillForAPeriodEndsTheRunOnTheTimer) {
    MemoryStream document;
    auto* proxy = new DVBFilterToParserProxy(document.File());
    ComPtr<IUnknown> reference(proxy->GetOwner());
    std::atomic<int> wakes{0};
    seenTick = 0;
    wakeMainThread = [&] { ++wakes; };
    proxy->lastActivityTick = 1234;

    ASSERT_TRUE(CreateIdleTimer(proxy, 5));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (wakes == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(30ms);  // more checks after the end change nothing
    DeleteIdleTimer();
    wakeMainThread = nullptr;
    seenTick = 0;
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(document.Text(), "</tv>\r\n");
}

TEST(IdleTimerThreaded, PeriodZeroChecksOnceOnly) {
    MemoryStream document;
    auto* proxy = new DVBFilterToParserProxy(document.File());
    ComPtr<IUnknown> reference(proxy->GetOwner());
    std::atomic<int> wakes{0};
    seenTick = 0;
    wakeMainThread = [&] { ++wakes; };
    proxy->lastActivityTick = 99;

    ASSERT_TRUE(CreateIdleTimer(proxy, 0));
    // A second check would find the same stamp and end the run.
    std::this_thread::sleep_for(100ms);
    DeleteIdleTimer();
    EXPECT_EQ(seenTick, 99u);  // the one check ran
    EXPECT_EQ(wakes, 0);
    EXPECT_EQ(document.Text(), "");
    wakeMainThread = nullptr;
    seenTick = 0;
}

TEST(IdleTimerThreaded, NoCheckRunsAfterTheTimerIsDeleted) {
    MemoryStream document;
    auto* proxy = new DVBFilterToParserProxy(document.File());
    ComPtr<IUnknown> reference(proxy->GetOwner());
    seenTick = 0;
    proxy->lastActivityTick = 1;
    ASSERT_TRUE(CreateIdleTimer(proxy, 2));
    // News in every period keeps the run going while the timer checks.
    for (uint32_t stamp = 2; stamp < 20; ++stamp) {
        proxy->lastActivityTick = stamp;
        std::this_thread::sleep_for(1ms);
    }
    DeleteIdleTimer();
    const uint32_t seen = seenTick;
    proxy->lastActivityTick = 777;
    std::this_thread::sleep_for(20ms);  // ten periods
    EXPECT_EQ(seenTick, seen);
    seenTick = 0;
}

}  // namespace
