// The capture tuner's streaming thread against the main thread's Stop: a stop in the middle of
// a replay returns while a sample is still on its way down (and that sample may even need the
// tuner's own lock), and an interrupted replay signals no end.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

#include "SourceTestSupport.h"
#include "platform/Platform.h"
#include "platform/sources/CaptureFileSource.h"

using namespace sourcetest;

namespace {

class CaptureTunerThreaded : public ::testing::Test {
protected:
    void SetUp() override {
        // Many chunks, so that a stop comes long before the end.
        CaptureBuilder builder;
        for (uint16_t id = 0; builder.bytes.size() < 12 * CaptureFileSource::kChunkSize; ++id) {
            builder.Section(0x12, TestSection(id, 1000));
            builder.Stuffing(50);
        }
        capture = builder.bytes;
        dir.Write("long.ts", capture);
        ASSERT_TRUE(StartPlatform(
            dir.WriteText("epg.ini", "[Capture]\nFile=long.ts\nClock=2019-01-22T12:00:00Z\n")));
        SetEndOfCaptureHandler([this] { ++endsSignalled; });
    }
    void TearDown() override {
        StopPlatform();
        EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
    }

    const LONG objectsBefore = CBaseObject::ObjectsActive();
    TempDir dir;
    Bytes capture;
    std::atomic<int> endsSignalled{0};
};

TEST_F(CaptureTunerThreaded, StopReturnsWhileASampleThatNeedsTheTunerIsInFlight) {
    TunerGraph graph(BindTuner(1));
    std::atomic<bool> inFlight{false};
    IBaseFilter* tuner = graph.tuner.Get();
    graph.sink->SetOnReceive([&] {
        inFlight = true;
        // Still downstream when the main thread stops the graph; then it needs the tuner's
        // state lock, which a Stop that joined under it would hold.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        FILTER_INFO info{};
        tuner->QueryFilterInfo(&info);
        if (info.pGraph != nullptr)
            info.pGraph->Release();
    });
    ASSERT_EQ(graph.Run(), S_OK);
    while (!inFlight)
        std::this_thread::yield();
    EXPECT_EQ(graph.Stop(), S_OK);
    const size_t received = graph.sink->BytesReceived();
    EXPECT_LT(received, capture.size());
    EXPECT_EQ(graph.sink->EndsOfStream(), 0);
    EXPECT_EQ(endsSignalled, 0);
    // Nothing moves once Stop has returned.
    EXPECT_FALSE(graph.sink->WaitForBytes(received + 1, 100));
}

TEST_F(CaptureTunerThreaded, RunAndStopOverAndOverThenToTheEnd) {
    TunerGraph graph(BindTuner(1));
    // Each sample waits downstream until the main thread is about to stop the graph, so that the
    // replays in the loop are stopped part-way.
    std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false;
    bool open = false;
    graph.sink->SetOnReceive([&] {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stopping || open; });
    });
    auto stop = [&] {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        EXPECT_EQ(graph.Stop(), S_OK);
        std::lock_guard lock(mutex);
        stopping = false;
    };
    // Samples pass once the stop is on its way, and a loaded machine may let a replay run to
    // its end before the stop lands. Only a replay that delivered the whole capture may end.
    bool anyEnded = false;
    for (int i = 0; i < 20; ++i) {
        const size_t bytesBefore = graph.sink->BytesReceived();
        const int endsBefore = graph.sink->EndsOfStream();
        // Counted before Run: the first sample may arrive (and wait) before Run returns.
        const auto samplesBefore = graph.sink->SamplesReceived();
        ASSERT_EQ(graph.Run(), S_OK);
        if (i % 2 == 0) {
            EXPECT_TRUE(graph.sink->WaitForSamples(samplesBefore + 1));
        }
        stop();
        const size_t replayed = graph.sink->BytesReceived() - bytesBefore;
        const int ends = graph.sink->EndsOfStream() - endsBefore;
        EXPECT_LE(replayed, capture.size()) << "run " << i << " delivered more than the capture";
        if (replayed < capture.size()) {
            EXPECT_EQ(ends, 0) << "run " << i << " was interrupted yet ended the stream";
        }
        EXPECT_LE(ends, 1);
        anyEnded = anyEnded || ends > 0;
    }
    EXPECT_EQ(endsSignalled, anyEnded ? 1 : 0);

    {
        std::lock_guard lock(mutex);
        open = true;
    }
    changed.notify_all();
    const size_t before = graph.sink->BytesReceived();
    const int endsBefore = graph.sink->EndsOfStream();
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(graph.sink->WaitForEndsOfStream(endsBefore + 1));
    EXPECT_EQ(graph.sink->BytesReceived() - before, capture.size());
    graph.Stop();
    EXPECT_EQ(endsSignalled, 1);
}

TEST_F(CaptureTunerThreaded, ReleasingARunningGraphStopsTheReplay) {
    std::atomic<bool> started{false};
    {
        TunerGraph graph(BindTuner(1));
        // Slow enough that the replay is still going when the graph goes.
        graph.sink->SetOnReceive([&] {
            started = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        });
        ASSERT_EQ(graph.Run(), S_OK);
        while (!started)
            std::this_thread::yield();
        graph.control = nullptr;  // no Stop of our own: the graph manager's release stops it
    }
    EXPECT_EQ(endsSignalled, 0);
}

}  // namespace
