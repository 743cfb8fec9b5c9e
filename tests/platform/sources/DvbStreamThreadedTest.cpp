// The DVB source's stream on a thread of its own: the service information PIDs filtered into
// the dvr device, everything read delivered, an overrun of the dvr buffer passed over, a stop
// noticed at once while waiting, and read failures reported once with the stream ended.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "SourceTestSupport.h"
#include "support/FakeDvbDeviceApi.h"
#include "support/StdoutCapture.h"

using namespace sourcetest;
using namespace std::chrono_literals;

namespace {

class RecordingSink : public TransportStreamSink {
public:
    void DeliverBytes(const uint8_t* data, size_t size) override {
        std::lock_guard lock(mutex);
        bytes.insert(bytes.end(), data, data + size);
        changed.notify_all();
    }
    void DeliverEndOfStream() override {
        std::lock_guard lock(mutex);
        ended = true;
    }
    bool WaitFor(size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return bytes.size() >= count; });
    }
    std::vector<uint8_t> Bytes() {
        std::lock_guard lock(mutex);
        return bytes;
    }
    bool Ended() {
        std::lock_guard lock(mutex);
        return ended;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint8_t> bytes;
    bool ended = false;
};

class DvbStreamThreaded : public ::testing::Test {
protected:
    std::shared_ptr<DvbSource> Open() {
        std::shared_ptr<DvbSource> source;
        CaptureStdout([&] {
            source = DvbSource::Open({0, 0, "/dev/dvb/adapter0/frontend0",
                                      "/dev/dvb/adapter0/demux0", "/dev/dvb/adapter0/dvr0"},
                                     api, api->Timing());
        });
        return source;
    }

    std::shared_ptr<FakeDvbDeviceApi> api = std::make_shared<FakeDvbDeviceApi>();
    RecordingSink sink;
};

TEST_F(DvbStreamThreaded, DeliversWhatTheDvrGivesPastAnOverrunUntilStopped) {
    std::shared_ptr<DvbSource> source = Open();
    ASSERT_TRUE(source);
    api->readResults = {-EOVERFLOW, -EAGAIN};
    const Bytes first(188 * 3, 0x47);
    const Bytes second(188 * 200, 0x11);
    api->Feed(first);
    std::string printed;
    {
        std::jthread stream([&](std::stop_token stop) { source->Stream(stop, sink); });
        ASSERT_TRUE(sink.WaitFor(first.size()));
        api->Feed(second);
        ASSERT_TRUE(sink.WaitFor(first.size() + second.size()));
        // Waiting for more now; the stop wakes it.
        stream.request_stop();
    }
    Bytes expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(sink.Bytes(), expected);
    EXPECT_FALSE(sink.Ended());  // live: no end of stream
    EXPECT_EQ(api->starts, (std::vector<std::vector<uint16_t>>{{0x0000, 0x0011, 0x0012}}));
    EXPECT_EQ(api->stops, 1);
}

TEST_F(DvbStreamThreaded, AStopWhileNothingComesEndsTheStreamAndARunStartsAnew) {
    std::shared_ptr<DvbSource> source = Open();
    ASSERT_TRUE(source);
    for (int run = 1; run <= 2; ++run) {
        std::jthread stream([&](std::stop_token stop) { source->Stream(stop, sink); });
        std::this_thread::sleep_for(20ms);
        stream.request_stop();
        stream.join();
        EXPECT_EQ(api->starts.size(), static_cast<size_t>(run));
        EXPECT_EQ(api->stops, run);
    }
    EXPECT_TRUE(sink.Bytes().empty());
}

TEST_F(DvbStreamThreaded, FailuresEndTheStreamWithOneLine) {
    struct Case {
        const char* what;
        std::function<void(FakeDvbDeviceApi&)> script;
        std::string line;
        int stops;
    };
    const Case cases[] = {
        {"read error", [](FakeDvbDeviceApi& a) { a.readResults = {-EIO}; },
         "Cannot read /dev/dvb/adapter0/dvr0: Input/output error\n", 1},
        {"closed", [](FakeDvbDeviceApi& a) { a.CloseFeed(); },
         "Cannot read /dev/dvb/adapter0/dvr0: the device was closed\n", 1},
        {"filter", [](FakeDvbDeviceApi& a) { a.startError = EINVAL; },
         "Cannot filter PIDs on /dev/dvb/adapter0/demux0: Invalid argument\n", 0},
    };
    for (const Case& c : cases) {
        api = std::make_shared<FakeDvbDeviceApi>();
        std::shared_ptr<DvbSource> source = Open();
        ASSERT_TRUE(source);
        c.script(*api);
        if (c.stops > 0 && !api->readResults.empty())
            api->Feed({0x47});  // something to wake the wait
        const std::string printed = CaptureStdout([&] {
            std::jthread stream([&](std::stop_token stop) { source->Stream(stop, sink); });
            stream.join();  // ends by itself
        });
        EXPECT_EQ(printed, c.line) << c.what;
        EXPECT_EQ(api->stops, c.stops) << c.what;
    }
}

}  // namespace
