// A capture file replayed through network provider -> tuner -> sink: every section arrives,
// whatever the packet size, and the end of the capture is signalled once, after the last one.

#include <gtest/gtest.h>

#include <condition_variable>

#include "SourceTestSupport.h"
#include "platform/bda/TunerDeviceFilter.h"
#include "platform/sources/CaptureFileSource.h"

using namespace sourcetest;

namespace {

// What the sink had when the end of the capture was signalled, and how often it was.
struct EndSeen {
    std::mutex mutex;
    std::condition_variable changed;
    int fired = 0;
    size_t sectionsThen = 0;
    int endsOfStreamThen = 0;

    bool WaitForFire(int timeoutMs = 20000) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return fired > 0; });
    }
};

ComPtr<IBaseFilter> CaptureTuner(const std::string& path, std::shared_ptr<CaptureTime> clock,
                                 std::shared_ptr<EndOfCaptureSignal> signal) {
    std::shared_ptr<TunerSource> source = CaptureFileSource::Open(path, clock, signal);
    EXPECT_TRUE(source) << path;
    ComPtr<IBaseFilter> tuner;
    if (source) {
        CreateComObject<TunerDeviceFilter>(IID_IBaseFilter, reinterpret_cast<void**>(&tuner),
                                           source);
    }
    return tuner;
}

// Replays `path` to its end; the sections the sink recorded.
std::vector<RecordedSection> Replay(const std::string& path, EndSeen& seen) {
    auto signal = std::make_shared<EndOfCaptureSignal>();
    TunerGraph graph(CaptureTuner(path, nullptr, signal));
    signal->SetHandler([&] {
        std::lock_guard lock(seen.mutex);
        ++seen.fired;
        seen.sectionsThen = graph.sink->Sections().size();
        seen.endsOfStreamThen = graph.sink->EndsOfStream();
        seen.changed.notify_all();
    });
    EXPECT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(seen.WaitForFire()) << path;
    graph.Stop();
    return graph.sink->Sections();
}

class CaptureReplay : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore); }
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    TempDir dir;
};

TEST_F(CaptureReplay, RealCapturesArriveWholeAndTheEndComesOnceAfterTheLastSection) {
    for (const char* name : {"eit-pf-actual-other.ts", "sdt-eit-pf.ts"}) {
        SCOPED_TRACE(name);
        const Bytes capture = ReadTestData(name);
        const std::vector<RecordedSection> expected = SectionsOf(capture);
        ASSERT_GT(expected.size(), 30u);
        EndSeen seen;
        EXPECT_EQ(Replay(std::string(EPG_SOURCE_DIR) + "/tests/data/" + name, seen), expected);
        EXPECT_EQ(seen.fired, 1);
        EXPECT_EQ(seen.sectionsThen, expected.size());
        EXPECT_EQ(seen.endsOfStreamThen, 1);
    }
}

TEST_F(CaptureReplay, TimestampedAndReedSolomonPacketsGiveTheSameSections) {
    const Bytes capture = ReadTestData("sdt-eit-pf.ts");
    const std::vector<RecordedSection> expected = SectionsOf(capture);
    for (const auto& [name, bytes] :
         {std::pair{"192.ts", sibuild::To192(capture)}, {"204.ts", sibuild::To204(capture)}}) {
        SCOPED_TRACE(name);
        EndSeen seen;
        EXPECT_EQ(Replay(dir.Write(name, bytes), seen), expected);
        EXPECT_EQ(seen.fired, 1);
    }
}

TEST_F(CaptureReplay, SectionsAcrossChunksAndALongCaptureArriveInOrder) {
    // Several chunks, with sections of every size cut by the chunk boundaries.
    CaptureBuilder builder;
    uint16_t id = 0;
    while (builder.bytes.size() < 3 * CaptureFileSource::kChunkSize) {
        builder.Section(0x12, TestSection(id, 20 + (id * 97) % 4000));
        builder.Section(0x11, TestSection(id, 30, 0x42));
        builder.Stuffing(id % 7);
        ++id;
    }
    const std::vector<RecordedSection> expected = SectionsOf(builder.bytes);
    ASSERT_EQ(expected.size(), 2u * id);
    EndSeen seen;
    EXPECT_EQ(Replay(dir.Write("long.ts", builder.bytes), seen), expected);
}

TEST_F(CaptureReplay, EveryRunReplaysFromTheStartButTheEndIsSignalledOnce) {
    const std::string path = std::string(EPG_SOURCE_DIR) + "/tests/data/eit-pf-actual-other.ts";
    const std::vector<RecordedSection> once = SectionsOf(ReadTestData("eit-pf-actual-other.ts"));
    auto signal = std::make_shared<EndOfCaptureSignal>();
    int fired = 0;
    signal->SetHandler([&] { ++fired; });
    TunerGraph graph(CaptureTuner(path, nullptr, signal));
    for (int run = 1; run <= 2; ++run) {
        ASSERT_EQ(graph.Run(), S_OK);
        ASSERT_TRUE(graph.sink->WaitForEndsOfStream(run));
        graph.Stop();
        EXPECT_EQ(graph.sink->Sections().size(), run * once.size());
    }
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(graph.sink->EndsOfStream(), 2);
}

TEST_F(CaptureReplay, TheEndReachesTheGraphAsCompletion) {
    auto signal = std::make_shared<EndOfCaptureSignal>();
    TunerGraph graph(CaptureTuner(
        std::string(EPG_SOURCE_DIR) + "/tests/data/eit-pf-actual-other.ts", nullptr, signal));
    ComPtr<IMediaEvent> events;
    ASSERT_EQ(graph.graph.QueryInterface(IID_IMediaEvent, events), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 20000), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    events->FreeEventParams(code, p1, p2);
    // The end of the capture is signalled after the end of stream went down; once the
    // streaming thread is joined it has been. An end that nobody listened for is handed to the
    // first handler.
    graph.Stop();
    EXPECT_TRUE(signal->Fired());
    bool handled = false;
    signal->SetHandler([&] { handled = true; });
    EXPECT_TRUE(handled);
}

TEST_F(CaptureReplay, ACaptureTunerIsAlwaysLocked) {
    auto tuner =
        CaptureTuner(std::string(EPG_SOURCE_DIR) + "/tests/data/sdt-eit-pf.ts", nullptr, nullptr);
    ComPtr<IBDA_Topology> topology;
    ASSERT_EQ(tuner.QueryInterface(IID_IBDA_Topology, topology), S_OK);
    ComPtr<IUnknown> node;
    ASSERT_EQ(topology->GetControlNode(0, 1, 0, &node), S_OK);
    ComPtr<IBDA_SignalStatistics> statistics;
    ASSERT_EQ(node.QueryInterface(IID_IBDA_SignalStatistics, statistics), S_OK);
    BOOLEAN locked = 0;
    LONG quality = 0, strength = 0;
    statistics->get_SignalLocked(&locked);
    statistics->get_SignalQuality(&quality);
    statistics->get_SignalStrength(&strength);
    EXPECT_EQ(locked, 1);
    EXPECT_EQ(quality, 100);
    EXPECT_EQ(strength, 100);
}

}  // namespace
