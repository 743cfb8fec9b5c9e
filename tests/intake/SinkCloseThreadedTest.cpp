// The closing tag against samples in flight: the idle check closes the document on its timer
// thread while the streaming thread keeps delivering.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "intake/DVBFilterInputPin.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/dshow/MemorySample.h"
#include "sibuild/SdtBuilder.h"
#include "support/MemoryStream.h"
#include "support/XmlCheck.h"

using sibuild::Bytes;

namespace {

// A sample of several new services, so that every sample writes elements.
Bytes NewServices(uint16_t first, int count) {
    std::vector<sibuild::SdtService> services;
    for (int i = 0; i < count; ++i) {
        sibuild::SdtService service;
        service.serviceId = static_cast<uint16_t>(first + i);
        service.descriptors = sibuild::ServiceDescriptor(0x01, "Provider", "A channel name");
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

TEST(SinkCloseThreaded, TheClosingTagIsTheLastBytesWhicheverThreadWins) {
    constexpr int rounds = 20;
    constexpr int samples = 200;
    for (int round = 0; round < rounds; ++round) {
        MemoryStream document;
        auto* proxy = new DVBFilterToParserProxy(document.File());
        ComPtr<IUnknown> keep(proxy->GetOwner());
        IMemInputPin* input = proxy->pin;

        std::atomic<int> delivered{0};
        std::atomic<bool> closed{false};
        std::thread streaming([&] {
            for (int i = 0; i < samples; ++i) {
                const Bytes sample = NewServices(static_cast<uint16_t>(1 + i * 4), 4);
                CMemorySample memory(sample.data(), static_cast<LONG>(sample.size()));
                EXPECT_EQ(input->Receive(&memory), S_OK);
                delivered = i + 1;
            }
        });
        // Close somewhere in the middle of the stream, varying from round to round.
        const int closeAfter = (round * samples) / rounds;
        while (delivered < closeAfter)
            std::this_thread::yield();
        std::thread timer([&] { closed = proxy->CloseDocument(); });
        timer.join();
        streaming.join();

        EXPECT_TRUE(closed.load());
        EXPECT_FALSE(proxy->CloseDocument());
        const std::string text = document.Text();
        ASSERT_GE(text.size(), 7u);
        EXPECT_EQ(text.substr(text.size() - 7), "</tv>\r\n") << "round " << round;
        EXPECT_EQ(Occurrences(text, "</tv>"), 1u) << "round " << round;
        // Every channel element is whole: the tag never landed inside one.
        EXPECT_EQ(Occurrences(text, "<channel "), Occurrences(text, "</channel>\r\n"));
        EXPECT_TRUE(IsWellFormedXml(text.substr(0, text.size() - 7))) << "round " << round;
    }
}
