// The main thread's wait: ended by Wake from any thread or by SIGINT/SIGTERM, telling which,
// and never missing one that came before it waited.

#include "platform/system/MainThreadWait.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

TEST(MainThreadWaitThreaded, WakeEndsTheWaitBeforeOrDuringIt) {
    MainThreadWait wait;
    wait.Wake();
    EXPECT_EQ(wait.Wait(), 0) << "a wake before the wait is kept";

    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        wait.Wake();
    });
    EXPECT_EQ(wait.Wait(), 0);
    waker.join();
}

TEST(MainThreadWaitThreaded, SignalsEndTheWaitAndSayWhich) {
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        {
            MainThreadWait wait;
            ASSERT_EQ(raise(signal), 0);  // handled on this thread, before the wait
            EXPECT_EQ(wait.Wait(), signal);
        }
        {
            MainThreadWait wait;
            std::thread sender([signal] {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                kill(getpid(), signal);
            });
            EXPECT_EQ(wait.Wait(), signal);
            sender.join();
        }
    }
}

TEST(MainThreadWaitThreaded, WakesAreTakenInTheOrderTheyCame) {
    MainThreadWait wait;
    ASSERT_EQ(raise(SIGTERM), 0);
    wait.Wake();
    EXPECT_EQ(wait.Wait(), SIGTERM);
    EXPECT_EQ(wait.Wait(), 0);
}

void CustomHandler(int) {}

TEST(MainThreadWaitThreaded, HandlersFoundBeforeComeBack) {
    struct sigaction custom {
    }, before[2], after{};
    custom.sa_handler = CustomHandler;
    sigemptyset(&custom.sa_mask);
    const int signals[] = {SIGINT, SIGTERM};
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(sigaction(signals[i], &custom, &before[i]), 0);
    {
        MainThreadWait wait;
        ASSERT_EQ(raise(SIGINT), 0);  // the handler resets itself after one signal
        EXPECT_EQ(wait.Wait(), SIGINT);
    }
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(sigaction(signals[i], &before[i], &after), 0);
        EXPECT_EQ(after.sa_handler, CustomHandler) << signals[i];
    }
}

TEST(MainThreadWaitDeathTest, ASecondSignalEndsTheProcessAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            MainThreadWait wait;
            raise(SIGINT);
            raise(SIGINT);
            std::_Exit(0);
        },
        testing::KilledBySignal(SIGINT), "");
}

}  // namespace
