// The idle check's closing tag against the streaming thread: the timer ends the run while
// samples keep arriving, some of them during the check.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/IdleCheck.h"
#include "app/MainThread.h"
#include "intake/DVBFilterInputPin.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/dshow/MemorySample.h"
#include "sibuild/SdtBuilder.h"
#include "support/MemoryStream.h"
#include "support/XmlCheck.h"

namespace {

using namespace std::chrono_literals;
using sibuild::Bytes;

// One sample of `count` services not seen before: news, and elements written.
Bytes NewServices(uint16_t first, int count) {
    std::vector<sibuild::SdtService> services;
    for (int i = 0; i < count; ++i) {
        sibuild::SdtService service;
        service.serviceId = static_cast<uint16_t>(first + i);
        service.descriptors = sibuild::ServiceDescriptor(0x01, "Provider", "Channel & more");
        services.push_back(service);
    }
    return sibuild::SdtSection({}, services);
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

TEST(IdleRaceThreaded, ClosingTagOnTheTimerIsWrittenOnceAndLastWhileSamplesStream) {
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        MemoryStream document;
        auto* proxy = new DVBFilterToParserProxy(document.File());
        ComPtr<IUnknown> reference(proxy->GetOwner());
        std::atomic<int> wakes{0};
        seenTick = 0;
        wakeMainThread = [&] { ++wakes; };

        std::atomic<bool> stop{false};
        std::thread streaming([&] {
            IMemInputPin* input = proxy->pin;
            uint16_t next = 1;
            // Bursts of news, then a pause longer than a period: the check ends the run in
            // some pause or during some sample, and samples keep coming after the end.
            while (!stop) {
                for (int i = 0; i < 4 + round && !stop; ++i) {
                    const Bytes sample = NewServices(next, 20);
                    next = static_cast<uint16_t>(next + 20);
                    CMemorySample memory(sample.data(), static_cast<LONG>(sample.size()));
                    input->Receive(&memory);
                }
                std::this_thread::sleep_for(std::chrono::microseconds(1500 + 250 * round));
            }
        });

        ASSERT_TRUE(CreateIdleTimer(proxy, 1));
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (wakes == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(10ms);  // samples after the end write nothing
        DeleteIdleTimer();
        stop = true;
        streaming.join();
        wakeMainThread = nullptr;
        seenTick = 0;

        EXPECT_EQ(wakes, 1);
        const std::string text = document.Text();
        ASSERT_GE(text.size(), 7u);
        EXPECT_EQ(text.substr(text.size() - 7), "</tv>\r\n");
        EXPECT_EQ(Occurrences(text, "</tv>"), 1u);
        EXPECT_EQ(Occurrences(text, "<channel "), Occurrences(text, "</channel>\r\n"));
        EXPECT_TRUE(IsWellFormedXml(text.substr(0, text.size() - 7)));
    }
}
